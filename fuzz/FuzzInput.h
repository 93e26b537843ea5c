#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "text/Text.h"
#include "text/TextSearch.h"

namespace melvora::fuzz {

// Reads a fuzz input as line-separated fields, so that the seed corpora stay readable files and a
// mutation that adds or drops a line feed moves text from one field to the next.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, std::size_t size)
        : m_rest(reinterpret_cast<const char*>(data), size) {}

    // The bytes up to the next line feed (without it); all that is left when there is none.
    std::string_view NextLine() {
        const std::size_t end = m_rest.find('\n');
        const std::string_view line = m_rest.substr(0, end);
        m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + 1);
        return line;
    }

    // Everything not read yet, NUL bytes included.
    [[nodiscard]] std::string_view Rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

// An invariant that failed is a finding like any sanitizer report: say which, then abort so that
// libFuzzer keeps the input.
inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz invariant failed: %s\n", what);
        std::abort();
    }
}

// Equal when the ASCII letters are folded, the way the case-blind searches compare.
inline bool EqualIgnoringAsciiCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (FoldAsciiCase(left[i]) != FoldAsciiCase(right[i])) {
            return false;
        }
    }
    return true;
}

inline bool IsSubstring(const Text& part, const Text& whole) {
    return whole.view().find(part.view()) != std::string_view::npos;
}

}  // namespace melvora::fuzz
