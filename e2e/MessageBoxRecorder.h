#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

namespace melvora::testing {

// Answers the message boxes the program shows, as a user would: each box that becomes the
// active modal window is recorded and then closed with `answer`. It runs on the GUI thread's
// event loop, which a modal box keeps running.
class MessageBoxRecorder : public QObject {
public:
    struct Seen {
        QString text;
        QString caption;
    };

    explicit MessageBoxRecorder(QMessageBox::StandardButton answer);

    [[nodiscard]] const std::vector<Seen>& Boxes() const { return m_boxes; }
    void Forget() { m_boxes.clear(); }

private:
    void AnswerActiveBox();

    QMessageBox::StandardButton m_answer;
    QTimer m_poll;
    std::vector<Seen> m_boxes;
};

}  // namespace melvora::testing
