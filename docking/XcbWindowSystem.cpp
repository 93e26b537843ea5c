#include "docking/XcbWindowSystem.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "docking/WindowText.h"

namespace melvora {

namespace {

// xcb replies and errors are malloc'd; this frees them on every path.
struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

// Collects one reply. An error (a window that vanished) is freed here and yields no reply; left
// to xcb it would pile up in the event queue, which nobody reads on this connection.
template <typename Reply, typename Cookie>
ReplyPtr<Reply> TakeReply(xcb_connection_t* connection, Cookie cookie,
                          Reply* (*fetch)(xcb_connection_t*, Cookie, xcb_generic_error_t**)) {
    xcb_generic_error_t* error = nullptr;
    ReplyPtr<Reply> reply(fetch(connection, cookie, &error));
    std::free(error);
    return reply;
}

using PropertyReply = ReplyPtr<xcb_get_property_reply_t>;

PropertyReply TakeProperty(xcb_connection_t* connection, xcb_get_property_cookie_t cookie) {
    return TakeReply(connection, cookie, &xcb_get_property_reply);
}

std::string_view PropertyBytes(const xcb_get_property_reply_t& reply) {
    return {static_cast<const char*>(xcb_get_property_value(&reply)),
            static_cast<size_t>(xcb_get_property_value_length(&reply))};
}

// The 32-bit items of a property of the given type; empty when it is missing or of another kind.
template <typename Item>
std::basic_string_view<Item> PropertyItems(const PropertyReply& reply, xcb_atom_t type) {
    static_assert(sizeof(Item) == 4);
    if (!reply || reply->type != type || reply->format != 32) {
        return {};
    }
    return {static_cast<const Item*>(xcb_get_property_value(reply.get())),
            static_cast<size_t>(xcb_get_property_value_length(reply.get())) / sizeof(Item)};
}

// Enough of a UTF-8 title for 254 GBK bytes even when every character takes four bytes.
constexpr uint32_t kTitleLongs = 256;
// WM_CLASS holds the instance name before the class name.
constexpr uint32_t kClassLongs = 1024;
constexpr uint32_t kListLongs = 65536;

}  // namespace

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
        m_root = m_ewmh.screens[screenNumber]->root;
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
        const auto reply = TakeReply(m_connection, xcb_get_window_attributes(m_connection, window),
                                     &xcb_get_window_attributes_reply);
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    bool RequestAbove(xcb_window_t window, bool onTop) {
        const xcb_ewmh_wm_state_action_t action =
            onTop ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE;
        xcb_ewmh_request_change_wm_state(&m_ewmh, m_screenNumber, window, action,
                                         m_ewmh._NET_WM_STATE_ABOVE, XCB_NONE,
                                         XCB_EWMH_CLIENT_SOURCE_TYPE_NORMAL);
        return xcb_flush(m_connection) > 0;
    }

    void CollectVisibleWindows(std::vector<WindowEntry>& collected) {
        if (ReadEvents() || !m_cacheValid) {
            Rebuild();
        }
        for (const CachedWindow& window : m_windows) {
            if (window.visible) {
                collected.push_back(window.entry);
            }
        }
    }

    bool IsWindowVisible(xcb_window_t window) {
        if (!ReadEvents() && m_cacheValid) {
            const auto cached = std::find_if(
                m_windows.begin(), m_windows.end(),
                [&](const CachedWindow& entry) { return entry.entry.handle == window; });
            if (cached != m_windows.end()) {
                return cached->visible;
            }
        }
        return IsVisible(AskVisibility(window));
    }

    void StopWatching() {
        if (!m_watching) {
            return;
        }
        const uint32_t noEvents[] = {XCB_EVENT_MASK_NO_EVENT};
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, noEvents);
        for (const CachedWindow& window : m_windows) {
            xcb_change_window_attributes(m_connection, window.entry.handle, XCB_CW_EVENT_MASK,
                                         noEvents);
        }
        xcb_flush(m_connection);
        m_watching = false;
        m_cacheValid = false;
        m_windows.clear();
        ReadEvents();
    }

    std::optional<TargetRect> OuterRect(xcb_window_t window) {
        const auto geometryCookie = xcb_get_geometry(m_connection, window);
        const auto originCookie = xcb_translate_coordinates(m_connection, window, m_root, 0, 0);
        const auto extentsCookie =
            GetProperty(window, m_ewmh._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
        const auto geometry = TakeReply(m_connection, geometryCookie, &xcb_get_geometry_reply);
        const auto origin = TakeReply(m_connection, originCookie, &xcb_translate_coordinates_reply);
        const PropertyReply extentsReply = TakeProperty(m_connection, extentsCookie);
        if (!geometry || !origin) {
            return std::nullopt;
        }
        // The frame around the client, as the window manager reports it; none without one.
        const auto extents = PropertyItems<uint32_t>(extentsReply, XCB_ATOM_CARDINAL);
        const auto extent = [&](size_t index) {
            return extents.size() == 4 ? static_cast<int32_t>(extents[index]) : 0;
        };
        const int32_t border = geometry->border_width;
        return TargetRect{
            .left = origin->dst_x - border - extent(0),
            .top = origin->dst_y - border - extent(2),
            .right = origin->dst_x + geometry->width + border + extent(1),
            .bottom = origin->dst_y + geometry->height + border + extent(3),
        };
    }

private:
    struct CachedWindow {
        WindowEntry entry;
        bool visible = false;
    };

    struct VisibilityRequests {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t state;
    };

    struct WindowRequests {
        xcb_window_t window;
        VisibilityRequests visibility;
        xcb_get_property_cookie_t processId;
        xcb_get_property_cookie_t windowClass;
        xcb_get_property_cookie_t netName;
        xcb_get_property_cookie_t name;
    };

    xcb_get_property_cookie_t GetProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                          uint32_t longs) {
        return xcb_get_property(m_connection, 0, window, property, type, 0, longs);
    }

    // The window manager's clients in its order; the root's children without one.
    std::vector<xcb_window_t> TopLevelWindows() {
        const PropertyReply clients =
            TakeProperty(m_connection,
                         GetProperty(m_root, m_ewmh._NET_CLIENT_LIST, XCB_ATOM_WINDOW, kListLongs));
        m_usesClientList = clients && clients->type == XCB_ATOM_WINDOW;
        if (m_usesClientList) {
            const auto items = PropertyItems<xcb_window_t>(clients, XCB_ATOM_WINDOW);
            return {items.begin(), items.end()};
        }
        const auto tree =
            TakeReply(m_connection, xcb_query_tree(m_connection, m_root), &xcb_query_tree_reply);
        if (!tree) {
            return {};
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        return {children, children + xcb_query_tree_children_length(tree.get())};
    }

    VisibilityRequests AskVisibility(xcb_window_t window) {
        return {.attributes = xcb_get_window_attributes(m_connection, window),
                .state = GetProperty(window, m_ewmh._NET_WM_STATE, XCB_ATOM_ATOM, 64)};
    }

    WindowRequests AskAbout(xcb_window_t window) {
        return {
            .window = window,
            .visibility = AskVisibility(window),
            .processId = GetProperty(window, m_ewmh._NET_WM_PID, XCB_ATOM_CARDINAL, 1),
            .windowClass = GetProperty(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, kClassLongs),
            .netName = GetProperty(window, m_ewmh._NET_WM_NAME, m_ewmh.UTF8_STRING, kTitleLongs),
            .name = GetProperty(window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kTitleLongs)};
    }

    // Viewable (for a client under a reparenting manager: the client window itself is mapped)
    // and not minimised. Collects both replies whatever the first one says.
    bool IsVisible(const VisibilityRequests& request) {
        const auto attributes =
            TakeReply(m_connection, request.attributes, &xcb_get_window_attributes_reply);
        const PropertyReply state = TakeProperty(m_connection, request.state);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
            return false;
        }
        const auto states = PropertyItems<xcb_atom_t>(state, XCB_ATOM_ATOM);
        return std::find(states.begin(), states.end(), m_ewmh._NET_WM_STATE_HIDDEN) == states.end();
    }

    // Reads everything about one window. Every reply is collected, so none is left behind.
    CachedWindow CollectWindow(const WindowRequests& request) {
        CachedWindow cached{.entry = {.handle = request.window},
                            .visible = IsVisible(request.visibility)};
        const PropertyReply processId = TakeProperty(m_connection, request.processId);
        const PropertyReply windowClass = TakeProperty(m_connection, request.windowClass);
        const PropertyReply netName = TakeProperty(m_connection, request.netName);
        const PropertyReply name = TakeProperty(m_connection, request.name);
        WindowEntry& entry = cached.entry;
        const auto pid = PropertyItems<uint32_t>(processId, XCB_ATOM_CARDINAL);
        entry.processId = pid.empty() ? 0 : pid.front();
        if (windowClass && windowClass->type == XCB_ATOM_STRING) {
            // "instance\0class\0"
            const std::string_view both = PropertyBytes(*windowClass);
            const size_t instanceEnd = both.find('\0');
            if (instanceEnd != std::string_view::npos) {
                const std::string_view rest = both.substr(instanceEnd + 1);
                entry.className = WindowTextFromLatin1(rest.substr(0, rest.find('\0')));
            }
        }
        if (netName && netName->type == m_ewmh.UTF8_STRING) {
            entry.title = WindowTextFromUtf8(PropertyBytes(*netName));
        } else if (name && name->type == m_ewmh.UTF8_STRING) {
            entry.title = WindowTextFromUtf8(PropertyBytes(*name));
        } else if (name && name->type != XCB_ATOM_NONE) {
            // STRING is ISO 8859-1; COMPOUND_TEXT starts out the same way.
            entry.title = WindowTextFromLatin1(PropertyBytes(*name));
        }
        return cached;
    }

    // Reads the top-level windows afresh and watches them from here on: every change that could
    // alter what was read (the list, a window's mapping, state, process, class or title) sends
    // an event, and the next lookup that sees one reads again. The watch is asked for before
    // each read, in the same request stream, so no change can slip between the two.
    void Rebuild() {
        const uint32_t rootEvents[] = {XCB_EVENT_MASK_PROPERTY_CHANGE |
                                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, rootEvents);
        m_watching = true;
        const std::vector<xcb_window_t> windows = TopLevelWindows();
        const uint32_t windowEvents[] = {XCB_EVENT_MASK_PROPERTY_CHANGE |
                                         XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        std::vector<WindowRequests> requests;
        requests.reserve(windows.size());
        for (const xcb_window_t window : windows) {
            xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, windowEvents);
            requests.push_back(AskAbout(window));
        }
        m_windows.clear();
        for (const WindowRequests& request : requests) {
            m_windows.push_back(CollectWindow(request));
        }
        m_cacheValid = true;
    }

    // Takes every event that has arrived; true when one of them makes the cached windows stale.
    bool ReadEvents() {
        bool stale = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const ReplyPtr<xcb_generic_event_t> owned(event);
            stale = stale || MakesStale(*event);
        }
        if (xcb_connection_has_error(m_connection) != 0) {
            m_cacheValid = false;
            m_windows.clear();
        }
        return stale;
    }

    bool MakesStale(const xcb_generic_event_t& event) {
        const uint8_t type = event.response_type & 0x7FU;
        if (type == 0) {
            return true;  // an error: a watched window has gone
        }
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (notify.window == m_root) {
                return notify.atom == m_ewmh._NET_CLIENT_LIST;
            }
            const xcb_atom_t read[] = {m_ewmh._NET_WM_PID, XCB_ATOM_WM_CLASS, m_ewmh._NET_WM_NAME,
                                       XCB_ATOM_WM_NAME, m_ewmh._NET_WM_STATE};
            return std::find(std::begin(read), std::end(read), notify.atom) != std::end(read);
        }
        if (!m_usesClientList) {
            // The root's children are the list: any change among them counts, their stacking
            // order included.
            return true;
        }
        // With a window manager only the clients' own mapping matters; the frames' comings and
        // goings and every move are seen through the root and ignored.
        xcb_window_t watched = XCB_WINDOW_NONE;
        switch (type) {
            case XCB_MAP_NOTIFY:
                watched = reinterpret_cast<const xcb_map_notify_event_t&>(event).event;
                break;
            case XCB_UNMAP_NOTIFY:
                watched = reinterpret_cast<const xcb_unmap_notify_event_t&>(event).event;
                break;
            case XCB_DESTROY_NOTIFY:
                watched = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).event;
                break;
            case XCB_REPARENT_NOTIFY:
                watched = reinterpret_cast<const xcb_reparent_notify_event_t&>(event).event;
                break;
            default:
                return false;
        }
        return watched != m_root;
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhReady = false;
    int m_screenNumber = 0;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    // The windows as last read, in order, visible or not, while the watch keeps them exact.
    std::vector<CachedWindow> m_windows;
    bool m_cacheValid = false;
    bool m_watching = false;
    bool m_usesClientList = false;
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

void XcbWindowSystem::CollectVisibleWindows(std::vector<WindowEntry>& collected) {
    if (m_connection->IsReady()) {
        m_connection->CollectVisibleWindows(collected);
    }
}

bool XcbWindowSystem::IsWindowVisible(int32_t handle) {
    // 0 and -1 are the lookup's "nothing sought" and "nothing found", never windows.
    if (!m_connection->IsReady() || handle == 0 || handle == -1) {
        return false;
    }
    return m_connection->IsWindowVisible(static_cast<xcb_window_t>(handle));
}

void XcbWindowSystem::StopWatching() {
    if (m_connection->IsReady()) {
        m_connection->StopWatching();
    }
}

std::optional<TargetRect> XcbWindowSystem::OuterRect(int32_t handle) {
    if (!m_connection->IsReady() || handle == 0 || handle == -1) {
        return std::nullopt;
    }
    return m_connection->OuterRect(static_cast<xcb_window_t>(handle));
}

}  // namespace melvora
