#include "testing/x11/FakeClient.h"

#include <chrono>
#include <thread>

namespace melvora::testing {

std::unique_ptr<FakeClient> FakeClient::Start(const std::string& program,
                                              const std::string& displayName, ScreenRect frame) {
    const auto probe = XWindowProbe::Connect(displayName);
    if (!probe) {
        return nullptr;
    }
    std::unique_ptr<FakeClient> client(new FakeClient());
    client->m_process = ChildProcess::Start({
        .arguments = {program, "--frame", std::to_string(frame.x), std::to_string(frame.y),
                      std::to_string(frame.width), std::to_string(frame.height), "--title", kTitle},
        .environment = {{"DISPLAY", displayName}},
        .pipeInput = true,
    });
    if (!client->m_process) {
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (const auto window = probe->FindClientByTitle(kTitle)) {
            if (probe->FrameRect(*window) == frame) {
                client->m_window = *window;
                return client;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

bool FakeClient::MoveFrame(int32_t left, int32_t top) {
    return m_process->SendInput("move " + std::to_string(left) + " " + std::to_string(top) + "\n");
}

bool FakeClient::Minimise() {
    return m_process->SendInput("minimise\n");
}

bool FakeClient::Restore() {
    return m_process->SendInput("restore\n");
}

}  // namespace melvora::testing
