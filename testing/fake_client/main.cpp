// melvora-fake-kugou: stands in for the music client on a test's X server. The process calls
// itself "KuGou.exe" and shows one window whose outer frame covers the rectangle given on the
// command line (default 100,50 to 900,650):
//
//   melvora-fake-kugou [--frame LEFT TOP WIDTH HEIGHT] [--title UTF8]
//
// It then takes commands on standard input, one a line:
//   move LEFT TOP   puts the frame's top-left corner there
//   minimise        asks the window manager to minimise the window
//   restore         maps the window again
//   quit            ends the program (so does the end of input or a close from the manager)
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "testing/x11/XcbTestSupport.h"

namespace {

using melvora::testing::ReplyPtr;

struct Frame {
    int32_t left = 100;
    int32_t top = 50;
    int32_t width = 800;
    int32_t height = 600;
};

struct Extents {
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
};

class Display {
public:
    Display() {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        m_screen = melvora::testing::ScreenOf(m_connection, screenNumber);
    }
    ~Display() { xcb_disconnect(m_connection); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    [[nodiscard]] bool IsUsable() const { return m_screen != nullptr; }
    xcb_connection_t* Get() { return m_connection; }
    xcb_screen_t* Screen() { return m_screen; }

    xcb_atom_t Atom(const char* name) {
        ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
};

class FakeClientWindow {
public:
    FakeClientWindow(Display& display, const Frame& frame, const std::string& title)
        : m_display(display), m_frame(frame) {
        xcb_connection_t* connection = display.Get();
        m_window = xcb_generate_id(connection);
        const uint32_t values[] = {
            display.Screen()->white_pixel,
            XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, m_window, Root(),
                          static_cast<int16_t>(frame.left), static_cast<int16_t>(frame.top),
                          static_cast<uint16_t>(frame.width), static_cast<uint16_t>(frame.height),
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, display.Screen()->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        const uint32_t processId = static_cast<uint32_t>(getpid());
        ChangeProperty(display.Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &processId);
        const char instanceAndClass[] = "kugou\0KuGou";
        ChangeProperty(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof instanceAndClass,
                       instanceAndClass);
        ChangeProperty(display.Atom("_NET_WM_NAME"), display.Atom("UTF8_STRING"), 8,
                       static_cast<uint32_t>(title.size()), title.data());
        ChangeProperty(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 5, "KuGou");
        m_deleteWindow = display.Atom("WM_DELETE_WINDOW");
        ChangeProperty(display.Atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, &m_deleteWindow);
        m_frameExtents = display.Atom("_NET_FRAME_EXTENTS");
    }

    [[nodiscard]] xcb_window_t Id() const { return m_window; }
    [[nodiscard]] xcb_atom_t DeleteAtom() const { return m_deleteWindow; }

    // Sizes the client so that the frame the manager puts around it has the asked size, asks for
    // the frame's position and maps the window.
    void Show() {
        const Extents extents = AskFrameExtents();
        const int32_t width = m_frame.width - extents.left - extents.right;
        const int32_t height = m_frame.height - extents.top - extents.bottom;
        const uint32_t size[] = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
        xcb_configure_window(m_display.Get(), m_window,
                             XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        SetNormalHints(width, height);
        xcb_map_window(m_display.Get(), m_window);
        xcb_flush(m_display.Get());
        MoveFrame(m_frame.left, m_frame.top);
    }

    // With north-west gravity the manager puts the frame's top-left corner where the client asks
    // for its own; the frame is checked afterwards and corrected when the manager placed it
    // elsewhere.
    void MoveFrame(int32_t left, int32_t top) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            RequestPosition(left, top);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            // Plain values rather than an optional pair: GCC's -Wmaybe-uninitialized misreads
            // the latter under -fsanitize=thread.
            bool placed = false;
            int32_t placedLeft = 0;
            int32_t placedTop = 0;
            while (std::chrono::steady_clock::now() < deadline) {
                if (const auto origin = FrameOrigin()) {
                    placed = true;
                    placedLeft = origin->first;
                    placedTop = origin->second;
                    if (placedLeft == left && placedTop == top) {
                        return;
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (placed) {
                // Shift the request by the error the manager made.
                left += left - placedLeft;
                top += top - placedTop;
            }
        }
    }

    void Minimise() {
        constexpr uint32_t kIconicState = 3;
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = m_window;
        event.type = m_display.Atom("WM_CHANGE_STATE");
        event.data.data32[0] = kIconicState;
        xcb_send_event(m_display.Get(), 0, Root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_display.Get());
    }

    void Restore() {
        xcb_map_window(m_display.Get(), m_window);
        xcb_flush(m_display.Get());
    }

private:
    xcb_window_t Root() { return m_display.Screen()->root; }

    void ChangeProperty(xcb_atom_t property, xcb_atom_t type, uint8_t format, uint32_t count,
                        const void* data) {
        xcb_change_property(m_display.Get(), XCB_PROP_MODE_REPLACE, m_window, property, type,
                            format, count, data);
    }

    void RequestPosition(int32_t left, int32_t top) {
        const uint32_t position[] = {static_cast<uint32_t>(left), static_cast<uint32_t>(top)};
        xcb_configure_window(m_display.Get(), m_window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                             position);
        xcb_flush(m_display.Get());
    }

    void SetNormalHints(int32_t width, int32_t height) {
        constexpr uint32_t kUserPosition = 1;
        constexpr uint32_t kUserSize = 2;
        constexpr uint32_t kWinGravity = 512;
        constexpr uint32_t kNorthWestGravity = 1;
        uint32_t hints[18] = {};
        hints[0] = kUserPosition | kUserSize | kWinGravity;
        hints[1] = static_cast<uint32_t>(m_frame.left);
        hints[2] = static_cast<uint32_t>(m_frame.top);
        hints[3] = static_cast<uint32_t>(width);
        hints[4] = static_cast<uint32_t>(height);
        hints[17] = kNorthWestGravity;
        ChangeProperty(XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    }

    std::optional<Extents> ReadFrameExtents() {
        ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_display.Get(),
            xcb_get_property(m_display.Get(), 0, m_window, m_frameExtents, XCB_ATOM_CARDINAL, 0, 4),
            nullptr));
        if (!reply || reply->type != XCB_ATOM_CARDINAL ||
            xcb_get_property_value_length(reply.get()) != 16) {
            return std::nullopt;
        }
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        return Extents{static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                       static_cast<int32_t>(values[2]), static_cast<int32_t>(values[3])};
    }

    // The manager tells the frame it will draw before the window is mapped, when asked.
    Extents AskFrameExtents() {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = m_window;
        event.type = m_display.Atom("_NET_REQUEST_FRAME_EXTENTS");
        xcb_send_event(m_display.Get(), 0, Root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(m_display.Get());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            if (const auto extents = ReadFrameExtents()) {
                return *extents;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

    // Where the frame's top-left corner is now: the client's origin less the frame extents.
    std::optional<std::pair<int32_t, int32_t>> FrameOrigin() {
        const auto extents = ReadFrameExtents();
        ReplyPtr<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            m_display.Get(), xcb_translate_coordinates(m_display.Get(), m_window, Root(), 0, 0),
            nullptr));
        if (!extents || !origin) {
            return std::nullopt;
        }
        return std::pair{origin->dst_x - extents->left, origin->dst_y - extents->top};
    }

    Display& m_display;
    Frame m_frame;
    xcb_window_t m_window = 0;
    xcb_atom_t m_deleteWindow = XCB_ATOM_NONE;
    xcb_atom_t m_frameExtents = XCB_ATOM_NONE;
};

// Runs one command line; false when the program is to end.
bool RunCommand(const std::string& line, FakeClientWindow& window) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "move") {
        int32_t left = 0;
        int32_t top = 0;
        if (words >> left >> top) {
            window.MoveFrame(left, top);
        }
    } else if (command == "minimise") {
        window.Minimise();
    } else if (command == "restore") {
        window.Restore();
    } else if (command == "quit") {
        return false;
    }
    return true;
}

// Drains the X events; false once the manager asked the window to close.
bool HandleEvents(Display& display, const FakeClientWindow& window) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(display.Get())) {
        const ReplyPtr<xcb_generic_event_t> owned(event);
        if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (message->data.data32[0] == window.DeleteAtom()) {
                return false;
            }
        }
    }
    return xcb_connection_has_error(display.Get()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    // What the docking looks for; /proc then shows this as the process's comm.
    prctl(PR_SET_NAME, "KuGou.exe");

    Frame frame;
    std::string title = "酷狗音乐";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--frame" && i + 4 < argc) {
            frame = {std::atoi(argv[i + 1]), std::atoi(argv[i + 2]), std::atoi(argv[i + 3]),
                     std::atoi(argv[i + 4])};
            i += 4;
        } else if (argument == "--title" && i + 1 < argc) {
            title = argv[++i];
        }
    }

    Display display;
    if (!display.IsUsable()) {
        return 2;
    }
    FakeClientWindow window(display, frame, title);
    window.Show();

    std::string pending;
    for (;;) {
        pollfd waitFor[2] = {
            {.fd = STDIN_FILENO, .events = POLLIN, .revents = 0},
            {.fd = xcb_get_file_descriptor(display.Get()), .events = POLLIN, .revents = 0}};
        if (!HandleEvents(display, window)) {
            return 0;
        }
        if (poll(waitFor, 2, 1000) < 0) {
            continue;
        }
        if ((waitFor[0].revents & (POLLIN | POLLHUP)) != 0) {
            char buffer[256];
            const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
            if (count <= 0) {
                return 0;
            }
            pending.append(buffer, static_cast<size_t>(count));
            for (size_t end = pending.find('\n'); end != std::string::npos;
                 end = pending.find('\n')) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!RunCommand(line, window)) {
                    return 0;
                }
            }
        }
    }
}
