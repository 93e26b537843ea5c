#include "e2e/MessageBoxRecorder.h"

#include <QAbstractButton>
#include <QApplication>

namespace melvora::testing {

MessageBoxRecorder::MessageBoxRecorder(QMessageBox::StandardButton answer) : m_answer(answer) {
    connect(&m_poll, &QTimer::timeout, this, [this] { AnswerActiveBox(); });
    m_poll.start(5);
}

void MessageBoxRecorder::AnswerActiveBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
        return;
    }
    m_boxes.push_back({.text = box->text(), .caption = box->windowTitle()});
    if (QAbstractButton* button = box->button(m_answer); button != nullptr) {
        button->click();
    } else {
        box->reject();
    }
}

}  // namespace melvora::testing
