#pragma once

#include <QObject>
#include <memory>

#include "app/ControlWidgets.h"
#include "app/TaskSession.h"
#include "report/SearchReport.h"

namespace melvora {

// A search's report shown in the main window: hits as rows of 歌曲超级列表框, the count in part
// 0 of 状态条1. Each call is carried over to the GUI thread while the search waits, and is
// dropped once the search's session is cancelled, so a cancelled search never writes into the
// list of a newer one.
class WindowSearchReport : public SearchReport {
public:
    // `guiObject` lives on the GUI thread and outlives the widgets' use.
    WindowSearchReport(QObject* guiObject, ControlWidgets widgets,
                       std::shared_ptr<TaskSession> session);

    void SearchStarted() override;
    void HitListed(const SongHit& hit) override;
    void PlayAddressResolved(int32_t row, const Text& playAddress) override;
    void SearchFinished(int32_t songCount) override;

private:
    template <typename Operation>
    void OnGuiThread(Operation operation);

    QObject* m_guiObject;
    ControlWidgets m_widgets;
    std::shared_ptr<TaskSession> m_session;
};

}  // namespace melvora
