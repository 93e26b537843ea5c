#include "app/QtText.h"

#include "text/CodePage.h"

namespace melvora {

QString ToQString(const Text& text) {
    return QString::fromStdU16String(Utf16FromGbk(text));
}

Text FromQString(const QString& string) {
    return GbkFromUtf16(string.toStdU16String());
}

}  // namespace melvora
