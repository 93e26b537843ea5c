#include "app/WindowSearchReport.h"

#include <string>

#include "app/ControlOperations.h"
#include "app/GuiThreadCall.h"
#include "app/ResultListColumns.h"
#include "app/presentation/StatusTexts.h"

namespace melvora {

WindowSearchReport::WindowSearchReport(QObject* guiObject, ControlWidgets widgets,
                                       std::shared_ptr<TaskSession> session)
    : m_guiObject(guiObject), m_widgets(widgets), m_session(std::move(session)) {}

template <typename Operation>
void WindowSearchReport::OnGuiThread(Operation operation) {
    CallOnGuiThread(
        m_guiObject, m_session,
        [widgets = m_widgets, operation = std::move(operation)] {
            operation(widgets);
            return true;
        },
        false);
}

void WindowSearchReport::SearchStarted() {
    OnGuiThread([](const ControlWidgets& widgets) {
        ClearResultList(widgets);
        // The count part keeps the previous count until this search has its own.
        SetStatusText(widgets, kProgressPart, Text());
    });
}

void WindowSearchReport::HitListed(const SongHit& hit) {
    OnGuiThread([hit](const ControlWidgets& widgets) { AppendHitRow(widgets, hit); });
}

void WindowSearchReport::PlayAddressResolved(int32_t row, const Text& playAddress) {
    OnGuiThread([row, playAddress](const ControlWidgets& widgets) {
        SetCellText(widgets, row, kPlayAddressColumn, playAddress);
    });
}

void WindowSearchReport::SearchFinished(int32_t songCount) {
    OnGuiThread([songCount](const ControlWidgets& widgets) {
        SetStatusText(widgets, kCountPart, SongCountText(songCount));
    });
}

}  // namespace melvora
