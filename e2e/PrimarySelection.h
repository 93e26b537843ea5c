#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace melvora::testing {

// Reads the X primary selection, where a program puts the text a user selects with the mouse.
// It is how a test reads a message box from outside: selecting the box's text with the mouse
// hands that text to whoever asks.
class PrimarySelection {
public:
    // Null when the display cannot be reached.
    static std::unique_ptr<PrimarySelection> Connect(const std::string& displayName);

    ~PrimarySelection();
    PrimarySelection(const PrimarySelection&) = delete;
    PrimarySelection& operator=(const PrimarySelection&) = delete;

    // Takes the selection over, so that only a selection made after this call is read later.
    bool Claim();
    // The selected text (UTF-8) once another client owns the selection; nullopt when none does,
    // or it does not answer, within `limit`.
    std::optional<std::string> WaitForText(std::chrono::milliseconds limit);

private:
    class Connection;
    explicit PrimarySelection(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> m_connection;
};

}  // namespace melvora::testing
