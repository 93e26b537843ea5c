#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace melvora {

// A counted run of bytes that may hold NUL: reply bodies, file blocks, UTF-16 code units.
// Deliberately not convertible to or from Text, so a body never passes for text by accident.
class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::string_view bytes) : m_bytes(bytes) {}
    explicit Bytes(std::string&& bytes) : m_bytes(std::move(bytes)) {}

    [[nodiscard]] const std::string& str() const { return m_bytes; }
    [[nodiscard]] std::string_view view() const { return m_bytes; }
    [[nodiscard]] const char* data() const { return m_bytes.data(); }
    [[nodiscard]] std::size_t size() const { return m_bytes.size(); }
    [[nodiscard]] bool empty() const { return m_bytes.empty(); }

    void Append(std::string_view more) { m_bytes.append(more); }
    void Clear() { m_bytes.clear(); }

    friend bool operator==(const Bytes&, const Bytes&) = default;

private:
    std::string m_bytes;
};

}  // namespace melvora
