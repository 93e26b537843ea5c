#include "app/MessageBox.h"

#include <QMessageBox>
#include <algorithm>
#include <vector>

namespace melvora {

namespace {

struct ButtonChoice {
    QMessageBox::StandardButton standard;
    MessageBoxButton result;
};

std::vector<ButtonChoice> ButtonsOf(uint32_t style) {
    using B = QMessageBox;
    using R = MessageBoxButton;
    switch (style & 0x0FU) {
        case 1:
            return {{B::Ok, R::Ok}, {B::Cancel, R::Cancel}};
        case 2:
            return {{B::Abort, R::Abort}, {B::Retry, R::Retry}, {B::Ignore, R::Ignore}};
        case 3:
            return {{B::Yes, R::Yes}, {B::No, R::No}, {B::Cancel, R::Cancel}};
        case 4:
            return {{B::Yes, R::Yes}, {B::No, R::No}};
        case 5:
            return {{B::Retry, R::Retry}, {B::Cancel, R::Cancel}};
        default:
            return {{B::Ok, R::Ok}};
    }
}

QMessageBox::Icon IconOf(uint32_t style) {
    switch (style & 0xF0U) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

MessageBoxButton ShowModalMessageBox(const QString& text, const QString& caption, uint32_t style) {
    const std::vector<ButtonChoice> buttons = ButtonsOf(style);
    QMessageBox box(IconOf(style), caption, text, QMessageBox::NoButton, nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    for (const ButtonChoice& choice : buttons) {
        box.addButton(choice.standard);
    }
    const size_t defaultIndex = std::min<size_t>((style & 0xF00U) >> 8U, buttons.size() - 1);
    box.setDefaultButton(buttons[defaultIndex].standard);
    box.exec();

    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const ButtonChoice& choice : buttons) {
        if (choice.standard == clicked) {
            return choice.result;
        }
    }
    // Closed without a button (only possible when none is the escape button): the box was
    // dismissed, which the classic box reports as Cancel.
    return MessageBoxButton::Cancel;
}

}  // namespace melvora
