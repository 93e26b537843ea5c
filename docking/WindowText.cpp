#include "docking/WindowText.h"

#include <algorithm>
#include <string>

#include "docking/WindowEntry.h"
#include "text/CodePage.h"
#include "text/TextSearch.h"

namespace melvora {

namespace {

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

Text CutToLimit(Text text) {
    if (text.size() <= kWindowTextLimit) {
        return text;
    }
    size_t end = 0;
    while (end < text.size()) {
        const size_t width = IsGbkLeadByte(text[end]) ? 2 : 1;
        if (end + width > kWindowTextLimit) {
            break;
        }
        end += width;
    }
    return text.Slice(0, end);
}

}  // namespace

Text GbkFromUtf8OrAscii(std::string_view utf8) {
    return IsAscii(utf8) ? Text(utf8) : GbkFromUtf8(utf8);
}

Text WindowTextFromUtf8(std::string_view utf8) {
    return CutToLimit(GbkFromUtf8OrAscii(utf8));
}

Text WindowTextFromLatin1(std::string_view latin1) {
    if (IsAscii(latin1)) {
        return CutToLimit(Text(latin1));
    }
    std::string utf8;
    utf8.reserve(latin1.size() * 2);
    for (const char byte : latin1) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x80) {
            utf8.push_back(byte);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return CutToLimit(GbkFromUtf8(utf8));
}

}  // namespace melvora
