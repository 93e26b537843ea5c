#pragma once

#include <compare>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace melvora {

// Byte text in code page 936 (GBK), the form every text inside the program takes. Like the C
// strings it stands for, a Text ends at its first NUL byte: bytes after a NUL are never kept.
// Convert only at the edges (Qt strings, file names, the wire) with the routines of CodePage.h.
class Text {
public:
    Text() = default;
    // For ASCII literals in code. Chinese literals are UTF-8 in our sources: write them as "…"_gbk.
    Text(const char* ascii)
        : Text(std::string_view(ascii)) {}  // NOLINT(google-explicit-constructor)
    explicit Text(std::string_view gbk) : m_bytes(gbk.substr(0, gbk.find('\0'))) {}
    explicit Text(std::string&& gbk) : m_bytes(std::move(gbk)) { CutAtNul(); }

    [[nodiscard]] const std::string& str() const { return m_bytes; }
    [[nodiscard]] std::string_view view() const { return m_bytes; }
    [[nodiscard]] const char* c_str() const { return m_bytes.c_str(); }
    [[nodiscard]] std::size_t size() const { return m_bytes.size(); }
    [[nodiscard]] bool empty() const { return m_bytes.empty(); }
    [[nodiscard]] unsigned char operator[](std::size_t i) const {
        return static_cast<unsigned char>(m_bytes[i]);
    }

    // 0-based byte slice, clamped to the text.
    [[nodiscard]] Text Slice(std::size_t offset, std::size_t count = std::string::npos) const {
        return offset >= m_bytes.size() ? Text()
                                        : Text(std::string_view(m_bytes).substr(offset, count));
    }

    Text& operator+=(const Text& other) {
        m_bytes += other.m_bytes;
        return *this;
    }
    friend Text operator+(Text left, const Text& right) { return left += right; }

    friend bool operator==(const Text&, const Text&) = default;
    friend std::strong_ordering operator<=>(const Text&, const Text&) = default;

private:
    void CutAtNul() {
        if (const auto nul = m_bytes.find('\0'); nul != std::string::npos) {
            m_bytes.resize(nul);
        }
    }

    std::string m_bytes;
};

// Shows a Text as UTF-8 in test failures and diagnostics (gtest finds it by name).
void PrintTo(const Text& text, std::ostream* out);

namespace literals {
// "歌曲数量："_gbk: a UTF-8 source literal converted to GBK (defined in CodePage.cpp).
Text operator""_gbk(const char* utf8, std::size_t length);
}  // namespace literals

}  // namespace melvora
