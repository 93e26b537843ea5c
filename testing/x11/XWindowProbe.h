#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace melvora::testing {

struct ScreenRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// Frame widths the window manager reports in _NET_FRAME_EXTENTS.
struct FrameExtents {
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
};

// A test's own connection to an X server: finds top-level windows and reads what the window
// manager made of them, the way an outside observer sees them.
class XWindowProbe {
public:
    // Null when the display cannot be reached.
    static std::unique_ptr<XWindowProbe> Connect(const std::string& displayName);

    ~XWindowProbe();
    XWindowProbe(const XWindowProbe&) = delete;
    XWindowProbe& operator=(const XWindowProbe&) = delete;

    // True once an EWMH window manager has announced itself on the root window.
    bool IsWindowManagerRunning();

    // The first managed client (from _NET_CLIENT_LIST) whose _NET_WM_NAME or WM_NAME is `title`.
    std::optional<uint32_t> FindClientByTitle(const std::string& title);

    // The client area in root coordinates.
    std::optional<ScreenRect> ClientRect(uint32_t window);
    // The outermost ancestor below the root, which is the frame under a reparenting manager.
    std::optional<ScreenRect> FrameRect(uint32_t window);
    std::optional<FrameExtents> FrameExtentsOf(uint32_t window);
    // Whether _NET_WM_STATE of the window holds the atom named `state`.
    bool HasWmState(uint32_t window, const std::string& state);

    // Asks the window to close as the window manager's close button would (WM_DELETE_WINDOW).
    bool RequestClose(uint32_t window);

    // A plain top-level window of our own, mapped, with the given title; 0 on failure.
    uint32_t CreateMappedWindow(const std::string& title, ScreenRect rect);
    void DestroyWindow(uint32_t window);
    // Gives a window of ours what a program's window tells the window manager: its process
    // (_NET_WM_PID), its class (WM_CLASS, instance name "melvora-probe") and a UTF-8 title
    // (_NET_WM_NAME). A processId of 0 leaves _NET_WM_PID unset.
    bool DescribeWindow(uint32_t window, uint32_t processId, const std::string& className,
                        const std::string& utf8Title);
    // Puts a window of ours on top of its siblings.
    void RaiseWindow(uint32_t window);
    // Asks the window manager to minimise a window of ours, as its owner would (WM_CHANGE_STATE).
    bool RequestIconify(uint32_t window);
    // Whether the window manager lists `window` among its clients (_NET_CLIENT_LIST).
    bool IsManaged(uint32_t window);

private:
    class Connection;
    explicit XWindowProbe(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> m_connection;
};

}  // namespace melvora::testing
