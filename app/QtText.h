#pragma once

#include <QString>

#include "text/Text.h"

namespace melvora {

// The program's GBK texts meet Qt's UTF-16 strings only here.
QString ToQString(const Text& text);
Text FromQString(const QString& string);

}  // namespace melvora
