#include "testing/x11/VirtualDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "testing/x11/XWindowProbe.h"

namespace melvora::testing {

namespace {

constexpr auto kReadyTimeout = std::chrono::seconds(10);

// Closes a descriptor on every path.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int Get() const { return m_fd; }

private:
    int m_fd;
};

// Xvfb writes the display number it chose, then a newline, once it accepts connections.
std::string ReadDisplayNumber(int fd) {
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + kReadyTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd waitFor{.fd = fd, .events = POLLIN, .revents = 0};
        if (poll(&waitFor, 1, 100) <= 0) {
            continue;
        }
        char byte = 0;
        if (read(fd, &byte, 1) != 1) {
            return {};
        }
        if (byte == '\n') {
            return number;
        }
        number.push_back(byte);
    }
    return {};
}

// Maps a sentinel window and waits a moment for the window manager to list it; the sentinel is
// destroyed either way, so a window mapped before the manager was ready never lingers.
bool IsManagingWindows(XWindowProbe& probe) {
    if (!probe.IsWindowManagerRunning()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return false;
    }
    const uint32_t sentinel = probe.CreateMappedWindow("sentinel", {0, 0, 10, 10});
    bool managed = false;
    for (int attempt = 0; attempt < 50 && !managed; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        managed = probe.IsManaged(sentinel);
    }
    probe.DestroyWindow(sentinel);
    return managed;
}

}  // namespace

std::unique_ptr<VirtualDisplay> VirtualDisplay::Start(const VirtualDisplayOptions& options) {
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return nullptr;
    }
    const Descriptor readEnd(ends[0]);
    std::unique_ptr<VirtualDisplay> display(new VirtualDisplay());
    {
        const Descriptor writeEnd(ends[1]);
        display->m_server = ChildProcess::Start({
            .arguments = {"Xvfb", "-displayfd", std::to_string(writeEnd.Get()), "-screen", "0",
                          std::to_string(options.width) + "x" + std::to_string(options.height) +
                              "x24",
                          "-nolisten", "tcp",
                          // A server left without clients would reset and drop the next connection.
                          "-noreset"},
            .inheritedDescriptor = writeEnd.Get(),
            .silent = true,
        });
    }
    if (!display->m_server) {
        return nullptr;
    }
    const std::string number = ReadDisplayNumber(readEnd.Get());
    if (number.empty()) {
        return nullptr;
    }
    display->m_name = ":" + number;
    if (!options.windowManager) {
        if (!XWindowProbe::Connect(display->m_name)) {
            return nullptr;
        }
        return display;
    }

    display->m_windowManager = ChildProcess::Start({
        .arguments = {"openbox", "--sm-disable"},
        .environment = {{"DISPLAY", display->m_name}},
        .silent = true,
    });
    if (!display->m_windowManager) {
        return nullptr;
    }
    const auto probe = XWindowProbe::Connect(display->m_name);
    if (!probe) {
        return nullptr;
    }
    // Openbox announces itself before it manages new windows, so the server counts as ready
    // only once the manager has taken on a window of ours.
    const auto deadline = std::chrono::steady_clock::now() + kReadyTimeout;
    while (!IsManagingWindows(*probe)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return nullptr;
        }
    }
    return display;
}

VirtualDisplay::~VirtualDisplay() {
    // The window manager first, so it never outlives its server.
    m_windowManager.reset();
    m_server.reset();
}

}  // namespace melvora::testing
