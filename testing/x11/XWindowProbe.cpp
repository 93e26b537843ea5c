#include "testing/x11/XWindowProbe.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "testing/x11/XcbTestSupport.h"

namespace melvora::testing {

class XWindowProbe::Connection {
public:
    explicit Connection(const std::string& displayName) {
        int screenNumber = 0;
        m_connection = xcb_connect(displayName.c_str(), &screenNumber);
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        m_screen = ScreenOf(m_connection, screenNumber);
    }
    ~Connection() { xcb_disconnect(m_connection); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] bool IsUsable() const { return m_screen != nullptr; }
    xcb_connection_t* Get() { return m_connection; }
    xcb_window_t Root() { return m_screen->root; }
    xcb_screen_t* Screen() { return m_screen; }

    xcb_atom_t Atom(const std::string& name) {
        ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(name.size()), name.c_str()),
            nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    // The property's raw items, empty when it is missing or of another type.
    template <typename Item>
    std::vector<Item> Property(xcb_window_t window, const std::string& name, xcb_atom_t type) {
        ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, Atom(name), type, 0, 4096),
            nullptr));
        if (!reply || reply->type != type) {
            return {};
        }
        const auto* items = static_cast<const Item*>(xcb_get_property_value(reply.get()));
        const int length = xcb_get_property_value_length(reply.get());
        return std::vector<Item>(items, items + length / static_cast<int>(sizeof(Item)));
    }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
};

XWindowProbe::XWindowProbe(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection)) {}

XWindowProbe::~XWindowProbe() = default;

std::unique_ptr<XWindowProbe> XWindowProbe::Connect(const std::string& displayName) {
    auto connection = std::make_unique<Connection>(displayName);
    if (!connection->IsUsable()) {
        return nullptr;
    }
    return std::unique_ptr<XWindowProbe>(new XWindowProbe(std::move(connection)));
}

bool XWindowProbe::IsWindowManagerRunning() {
    const auto check = m_connection->Property<xcb_window_t>(
        m_connection->Root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    return !check.empty() && check.front() != XCB_WINDOW_NONE;
}

std::optional<uint32_t> XWindowProbe::FindClientByTitle(const std::string& title) {
    const xcb_atom_t utf8String = m_connection->Atom("UTF8_STRING");
    const auto clients = m_connection->Property<xcb_window_t>(m_connection->Root(),
                                                              "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
    for (const xcb_window_t client : clients) {
        const auto netName = m_connection->Property<char>(client, "_NET_WM_NAME", utf8String);
        const auto wmName = m_connection->Property<char>(client, "WM_NAME", XCB_ATOM_STRING);
        if (std::string(netName.begin(), netName.end()) == title ||
            std::string(wmName.begin(), wmName.end()) == title) {
            return client;
        }
    }
    return std::nullopt;
}

bool XWindowProbe::IsManaged(uint32_t window) {
    const auto clients = m_connection->Property<xcb_window_t>(m_connection->Root(),
                                                              "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

std::optional<ScreenRect> XWindowProbe::ClientRect(uint32_t window) {
    xcb_connection_t* connection = m_connection->Get();
    ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    ReplyPtr<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, m_connection->Root(), 0, 0),
        nullptr));
    if (!geometry || !origin) {
        return std::nullopt;
    }
    return ScreenRect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

std::optional<ScreenRect> XWindowProbe::FrameRect(uint32_t window) {
    xcb_connection_t* connection = m_connection->Get();
    xcb_window_t current = window;
    for (;;) {
        ReplyPtr<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, current), nullptr));
        if (!tree) {
            return std::nullopt;
        }
        if (tree->parent == tree->root) {
            break;
        }
        current = tree->parent;
    }
    ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, current), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    // A child of the root has its position in root coordinates; the border lies outside it.
    const int32_t border = geometry->border_width;
    return ScreenRect{geometry->x, geometry->y, geometry->width + 2 * border,
                      geometry->height + 2 * border};
}

std::optional<FrameExtents> XWindowProbe::FrameExtentsOf(uint32_t window) {
    const auto extents =
        m_connection->Property<uint32_t>(window, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    if (extents.size() != 4) {
        return std::nullopt;
    }
    return FrameExtents{static_cast<int32_t>(extents[0]), static_cast<int32_t>(extents[1]),
                        static_cast<int32_t>(extents[2]), static_cast<int32_t>(extents[3])};
}

bool XWindowProbe::HasWmState(uint32_t window, const std::string& state) {
    const xcb_atom_t wanted = m_connection->Atom(state);
    const auto states = m_connection->Property<xcb_atom_t>(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    for (const xcb_atom_t atom : states) {
        if (atom == wanted) {
            return true;
        }
    }
    return false;
}

bool XWindowProbe::RequestClose(uint32_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = m_connection->Atom("WM_PROTOCOLS");
    event.data.data32[0] = m_connection->Atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection->Get(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    return xcb_flush(m_connection->Get()) > 0;
}

uint32_t XWindowProbe::CreateMappedWindow(const std::string& title, ScreenRect rect) {
    xcb_connection_t* connection = m_connection->Get();
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t values[] = {m_connection->Screen()->white_pixel};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, m_connection->Root(),
                      static_cast<int16_t>(rect.x), static_cast<int16_t>(rect.y),
                      static_cast<uint16_t>(rect.width), static_cast<uint16_t>(rect.height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, m_connection->Screen()->root_visual,
                      XCB_CW_BACK_PIXEL, values);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(title.size()), title.data());
    xcb_map_window(connection, window);
    if (xcb_flush(connection) <= 0) {
        return 0;
    }
    return window;
}

bool XWindowProbe::DescribeWindow(uint32_t window, uint32_t processId, const std::string& className,
                                  const std::string& utf8Title) {
    xcb_connection_t* connection = m_connection->Get();
    if (processId != 0) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                            m_connection->Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1,
                            &processId);
    }
    const std::string instanceAndClass = std::string("melvora-probe") + '\0' + className + '\0';
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(instanceAndClass.size()),
                        instanceAndClass.data());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        m_connection->Atom("_NET_WM_NAME"), m_connection->Atom("UTF8_STRING"), 8,
                        static_cast<uint32_t>(utf8Title.size()), utf8Title.data());
    return xcb_flush(connection) > 0;
}

void XWindowProbe::RaiseWindow(uint32_t window) {
    const uint32_t above[] = {XCB_STACK_MODE_ABOVE};
    xcb_configure_window(m_connection->Get(), window, XCB_CONFIG_WINDOW_STACK_MODE, above);
    xcb_flush(m_connection->Get());
}

bool XWindowProbe::RequestIconify(uint32_t window) {
    constexpr uint32_t kIconicState = 3;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = m_connection->Atom("WM_CHANGE_STATE");
    event.data.data32[0] = kIconicState;
    xcb_send_event(m_connection->Get(), 0, m_connection->Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    return xcb_flush(m_connection->Get()) > 0;
}

void XWindowProbe::DestroyWindow(uint32_t window) {
    xcb_destroy_window(m_connection->Get(), window);
    xcb_flush(m_connection->Get());
}

}  // namespace melvora::testing
