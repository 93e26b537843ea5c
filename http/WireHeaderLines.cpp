#include "http/WireHeaderLines.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "http/TextPieces.h"
#include "text/TextSearch.h"

namespace melvora {

namespace {

// Headers libcurl adds on its own when the request lacks them. Host and Content-Length stay,
// since the request cannot do without them; Authorization lines come from the credentials.
constexpr std::array<std::string_view, 4> kHeadersCurlWouldAdd{"Accept", "Expect", "Content-Type",
                                                               "Proxy-Connection"};

bool IsTokenCharacter(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), IsTokenCharacter);
}

bool SameNameIgnoringCase(std::string_view left, std::string_view right) {
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return FoldAsciiCase(a) == FoldAsciiCase(b); });
}

bool IsBlankValue(std::string_view value) {
    return value.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

std::optional<std::vector<std::string>> WireHeaderLines(const Text& block) {
    std::vector<std::string> lines;
    std::vector<std::string> names;
    for (const Text& piece : SplitText(block, "\r\n")) {
        const std::string_view line = piece.view();
        if (line.empty()) {
            continue;
        }
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)) ||
            line.find_first_of("\r\n") != std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = line.substr(colon + 1);
        // curl reads "Name:" with nothing after it as "remove this header"; "Name;" is its
        // spelling for a header sent with an empty value.
        lines.push_back(IsBlankValue(value) ? std::string(name) + ";" : std::string(line));
        names.emplace_back(name);
    }
    for (const std::string_view internal : kHeadersCurlWouldAdd) {
        const bool carried = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
            return SameNameIgnoringCase(name, internal);
        });
        if (!carried) {
            lines.push_back(std::string(internal) + ":");
        }
    }
    return lines;
}

}  // namespace melvora
