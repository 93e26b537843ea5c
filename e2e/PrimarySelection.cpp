#include "e2e/PrimarySelection.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "testing/x11/XcbTestSupport.h"

namespace melvora::testing {

class PrimarySelection::Connection {
public:
    explicit Connection(const std::string& displayName) {
        int screenNumber = 0;
        m_connection = xcb_connect(displayName.c_str(), &screenNumber);
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        const xcb_screen_t* screen = ScreenOf(m_connection, screenNumber);
        if (screen == nullptr) {
            return;
        }
        // An unmapped window of our own, to own the selection and receive the converted text.
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        m_utf8 = Atom("UTF8_STRING");
        m_property = Atom("MELVORA_TEST_SELECTION");
        xcb_flush(m_connection);
    }
    ~Connection() { xcb_disconnect(m_connection); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] bool IsUsable() const {
        return m_window != 0 && m_utf8 != XCB_ATOM_NONE && m_property != XCB_ATOM_NONE;
    }

    bool Claim() {
        xcb_set_selection_owner(m_connection, m_window, XCB_ATOM_PRIMARY, XCB_CURRENT_TIME);
        return Owner() == m_window;
    }

    // Asks the owner for the text once; nullopt when it does not answer in time or refuses.
    std::optional<std::string> Convert(std::chrono::milliseconds limit) {
        xcb_convert_selection(m_connection, m_window, XCB_ATOM_PRIMARY, m_utf8, m_property,
                              XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            const ReplyPtr<xcb_generic_event_t> event(xcb_poll_for_event(m_connection));
            if (!event) {
                if (xcb_connection_has_error(m_connection) != 0) {
                    return std::nullopt;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            if ((event->response_type & 0x7F) != XCB_SELECTION_NOTIFY) {
                continue;
            }
            const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event.get());
            if (notify->requestor != m_window) {
                continue;
            }
            if (notify->property == XCB_ATOM_NONE) {
                return std::nullopt;
            }
            return TakeProperty();
        }
        return std::nullopt;
    }

    xcb_window_t Owner() {
        const ReplyPtr<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, XCB_ATOM_PRIMARY), nullptr));
        return reply ? reply->owner : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
    }

    [[nodiscard]] xcb_window_t Window() const { return m_window; }

private:
    xcb_atom_t Atom(const char* name) {
        const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    std::string TakeProperty() {
        constexpr uint32_t kMaxUnits = 1U << 20U;
        const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 1, m_window, m_property, XCB_ATOM_ANY, 0, kMaxUnits),
            nullptr));
        if (!reply) {
            return {};
        }
        const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
        return std::string(bytes,
                           static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_utf8 = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
};

PrimarySelection::PrimarySelection(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection)) {}

PrimarySelection::~PrimarySelection() = default;

std::unique_ptr<PrimarySelection> PrimarySelection::Connect(const std::string& displayName) {
    auto connection = std::make_unique<Connection>(displayName);
    if (!connection->IsUsable()) {
        return nullptr;
    }
    return std::unique_ptr<PrimarySelection>(new PrimarySelection(std::move(connection)));
}

bool PrimarySelection::Claim() {
    return m_connection->Claim();
}

std::optional<std::string> PrimarySelection::WaitForText(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const xcb_window_t owner = m_connection->Owner();
        if (owner != XCB_WINDOW_NONE && owner != m_connection->Window()) {
            if (auto text = m_connection->Convert(std::chrono::seconds(2))) {
                return text;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

}  // namespace melvora::testing
