// melvora-fake-service: the music service offline, for the demo and for tests that start it as a
// separate process. Prints the port it listens on, then serves until SIGINT or SIGTERM.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "testing/fake_service/FakeMusicService.h"

namespace {

using melvora::testing::FakeMusicService;
using melvora::testing::FakeServiceKnobs;

constexpr const char* kUsage =
    "usage: melvora-fake-service [--port N] [--port-file PATH] [--media PATH]\n"
    "                            [--delay-ms N] [--drop-after BYTES] [--ignore-range] "
    "[--not-found]\n"
    "                            [--drop-once HASH BYTES]...\n";

struct Options {
    uint16_t port = 0;
    std::string portFile;
    std::string mediaPath;
    FakeServiceKnobs knobs;
    // Tracks whose first download is cut after so many body bytes, to try out resuming.
    std::vector<std::pair<std::string, std::size_t>> dropsOnce;
};

// The MP3 the build puts beside this program; the build tree's path when run from elsewhere.
std::string MediaBesideProgram() {
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    if (length > 0) {
        self.resize(static_cast<std::size_t>(length));
        const std::string candidate = self.substr(0, self.rfind('/') + 1) + "demo.mp3";
        if (std::ifstream(candidate).good()) {
            return candidate;
        }
    }
    return FakeMusicService::DefaultMediaPath();
}

bool ParseNumber(const char* text, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        const bool hasValue = i + 1 < argc;
        unsigned long long number = 0;
        if (flag == "--ignore-range") {
            options.knobs.ignoreRange = true;
        } else if (flag == "--not-found") {
            options.knobs.answerNotFound = true;
        } else if (flag == "--port-file" && hasValue) {
            options.portFile = argv[++i];
        } else if (flag == "--media" && hasValue) {
            options.mediaPath = argv[++i];
        } else if (flag == "--port" && hasValue && ParseNumber(argv[++i], number) &&
                   number <= 65535) {
            options.port = static_cast<uint16_t>(number);
        } else if (flag == "--delay-ms" && hasValue && ParseNumber(argv[++i], number)) {
            options.knobs.delay = std::chrono::milliseconds(number);
        } else if (flag == "--drop-after" && hasValue && ParseNumber(argv[++i], number)) {
            options.knobs.dropAfterBodyBytes = static_cast<std::size_t>(number);
        } else if (flag == "--drop-once" && i + 2 < argc && ParseNumber(argv[i + 2], number)) {
            options.dropsOnce.emplace_back(argv[i + 1], static_cast<std::size_t>(number));
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << kUsage;
        return 2;
    }
    // Block the stop signals before any thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    FakeMusicService service(options.mediaPath.empty() ? MediaBesideProgram() : options.mediaPath);
    service.SetKnobs(options.knobs);
    for (const auto& [fileHash, bodyBytes] : options.dropsOnce) {
        service.ArmMediaDrop(fileHash, bodyBytes);
    }
    if (!service.Start(options.port)) {
        std::cerr << "melvora-fake-service: cannot load the MP3 or listen on 127.0.0.1\n";
        return 1;
    }
    if (!options.portFile.empty()) {
        // Written whole under a temporary name first, so a reader never sees half a number.
        const std::string temporary = options.portFile + ".tmp";
        std::ofstream(temporary) << service.Port() << '\n';
        if (std::rename(temporary.c_str(), options.portFile.c_str()) != 0) {
            std::cerr << "melvora-fake-service: cannot write " << options.portFile << '\n';
            return 1;
        }
    }
    std::cout << service.Port() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    service.Stop();
    return 0;
}
