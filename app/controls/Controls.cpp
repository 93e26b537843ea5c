#include "app/controls/Controls.h"

namespace melvora {

using namespace literals;

MessageBoxButton Controls::ShowMessageBox(const Text& text, uint32_t style) {
    static const Text defaultCaption = "信息："_gbk;
    return ShowMessageBox(text, defaultCaption, style);
}

}  // namespace melvora
