#include "app/ChineseFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace melvora {

bool UseChineseFont() {
    const QString family = QStringLiteral("WenQuanYi Micro Hei");
    if (!QFontDatabase::families().contains(family)) {
        return false;
    }
    QFont font(family);
    font.setPixelSize(12);
    QApplication::setFont(font);
    return true;
}

}  // namespace melvora
