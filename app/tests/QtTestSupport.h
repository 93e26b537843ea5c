#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "app/ControlWidgets.h"

namespace melvora::testing {

// The child of `parent` with the (UTF-8) object name, or null.
template <typename Widget>
Widget* FindControl(const QObject& parent, const char* objectName) {
    return parent.findChild<Widget*>(QString::fromUtf8(objectName));
}

// The controls of a main window, found by their names.
ControlWidgets WidgetsOf(const QObject& window);

// Runs the GUI thread's event loop until `condition` holds; false when it still does not after
// `limitMs` (a guard against hanging, not a measurement).
bool ProcessEventsUntil(const std::function<bool()>& condition, int limitMs = 10000);

// Lets the event loop run for a short while, so queued calls that are going to run do run.
void ProcessEventsBriefly();

// Answers the message boxes the code under test shows, as a user would: each box that becomes
// the active modal window is recorded and then dismissed with `answer`.
class MessageBoxAnswerer : public QObject {
public:
    struct Seen {
        QString text;
        QString caption;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::WindowModality modality = Qt::NonModal;
        bool hasOwner = false;
    };

    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer);

    [[nodiscard]] const std::vector<Seen>& Boxes() const { return m_boxes; }
    void Forget() { m_boxes.clear(); }

private:
    void AnswerActiveBox();

    QMessageBox::StandardButton m_answer;
    QTimer m_poll;
    std::vector<Seen> m_boxes;
};

}  // namespace melvora::testing
