#include "docking/XcbWindowSystem.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>

namespace melvora {

// Owns the xcb connection and the EWMH atoms interned on it.
class XcbWindowSystem::Connection {
public:
    Connection() {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(m_connection, &m_ewmh);
        if (xcb_ewmh_init_atoms_replies(&m_ewmh, cookies, nullptr) == 0) {
            return;
        }
        m_ewmhReady = true;
        m_screenNumber = screenNumber;
    }

    ~Connection() {
        if (m_ewmhReady) {
            xcb_ewmh_connection_wipe(&m_ewmh);
        }
        // xcb_connect never returns null; even a failed connection must be disconnected.
        xcb_disconnect(m_connection);
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] bool IsReady() const { return m_ewmhReady; }

    // The window manager only honours state requests for windows it manages; before the window
    // is mapped the request would be dropped, so it is reported as not made.
    bool IsViewable(xcb_window_t window) {
        xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        if (reply == nullptr) {
            return false;
        }
        const bool viewable = reply->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(reply);
        return viewable;
    }

    bool RequestAbove(xcb_window_t window, bool onTop) {
        const xcb_ewmh_wm_state_action_t action =
            onTop ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE;
        xcb_ewmh_request_change_wm_state(&m_ewmh, m_screenNumber, window, action,
                                         m_ewmh._NET_WM_STATE_ABOVE, XCB_NONE,
                                         XCB_EWMH_CLIENT_SOURCE_TYPE_NORMAL);
        return xcb_flush(m_connection) > 0;
    }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhReady = false;
    int m_screenNumber = 0;
};

XcbWindowSystem::XcbWindowSystem() : m_connection(std::make_unique<Connection>()) {}

XcbWindowSystem::~XcbWindowSystem() = default;

bool XcbWindowSystem::IsConnected() const {
    return m_connection->IsReady();
}

bool XcbWindowSystem::SetAlwaysOnTop(NativeWindowId window, bool onTop) {
    if (!m_connection->IsReady() || !m_connection->IsViewable(window)) {
        return false;
    }
    return m_connection->RequestAbove(window, onTop);
}

}  // namespace melvora
