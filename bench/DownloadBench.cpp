// A 256 MiB download over loopback through ResumableDownload (with the real progress text after
// every block), and, as the baseline, through the curl command line ("curl -s -o FILE URL"), in
// the same run and from the same sender. Prints both throughputs, their ratio, and the peak
// resident memory of each, measured in a child process of its own. The files go to /dev/shm when
// there is one, so the disk's speed does not hide the difference between the two.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/controls/Controls.h"
#include "download/DownloadProgress.h"
#include "download/ResumableDownload.h"

extern char** environ;

namespace {

using namespace melvora;

constexpr std::size_t kBodyBytes = 256U * 1024U * 1024U;
constexpr std::size_t kChunkBytes = 1024U * 1024U;

// Streams one generated body per connection, one connection at a time, on a thread of its own;
// the body is never held whole.
class BodySender {
public:
    BodySender() : m_chunk(kChunkBytes) {
        for (std::size_t i = 0; i < m_chunk.size(); ++i) {
            m_chunk[i] = static_cast<char>((i * 131U) ^ (i >> 9U));
        }
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(m_listener, 8) != 0 ||
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::perror("loopback sender");
            std::exit(1);
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }

    ~BodySender() {
        m_stopping = true;
        shutdown(m_listener, SHUT_RDWR);
        close(m_listener);
        m_thread.join();
    }

    [[nodiscard]] std::string Url() const {
        return "http://127.0.0.1:" + std::to_string(m_port) + "/track.mp3";
    }

private:
    void Serve() {
        while (!m_stopping) {
            const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) {
                return;
            }
            SendOne(connection);
            close(connection);
        }
    }

    void SendOne(int connection) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) {
                return;
            }
            request.append(buffer, static_cast<std::size_t>(got));
        }
        const std::string head =
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBodyBytes) +
            "\r\nConnection: close\r\n\r\n";
        if (!SendAll(connection, head.data(), head.size())) {
            return;
        }
        for (std::size_t sent = 0; sent < kBodyBytes;) {
            const std::size_t count = std::min(m_chunk.size(), kBodyBytes - sent);
            if (!SendAll(connection, m_chunk.data(), count)) {
                return;
            }
            sent += count;
        }
    }

    static bool SendAll(int connection, const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t sent = send(connection, data, size, MSG_NOSIGNAL);
            if (sent <= 0) {
                return false;
            }
            data += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }

    std::vector<char> m_chunk;
    int m_listener = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

// The window as the downloader sees it during a download: the status text is composed and set
// after every block, and goes nowhere.
class DiscardingControls : public Controls {
public:
    void ClearList() override {}
    int32_t AppendRow() override { return -1; }
    void SetCellText(int32_t, int32_t, const Text&) override {}
    Text CellText(int32_t, int32_t) override { return {}; }
    int32_t RowCount() override { return 0; }
    int32_t CurrentSelection() override { return -1; }
    void SetStatusText(int32_t, const Text& text) override { benchmark::DoNotOptimize(text); }
    bool IsPlayAfterDownloadChecked() override { return false; }
    bool IsDockingChecked() override { return false; }
    Text SearchText() override { return {}; }
    using Controls::ShowMessageBox;
    MessageBoxButton ShowMessageBox(const Text& text, const Text&, uint32_t) override {
        std::fprintf(stderr, "message box: %s\n", text.c_str());
        return MessageBoxButton::Ok;
    }
};

int32_t DownloadOnce(const std::string& url, const std::filesystem::path& file) {
    DiscardingControls controls;
    const Text song("bench");
    return download::ResumableDownload(
        controls, Text(url), file,
        [&](int32_t contentLength, int32_t downloaded) {
            download::ShowDownloadProgress(controls, song, contentLength, downloaded);
        },
        0, download::ResumeMode::Fresh);
}

std::filesystem::path ScratchFile(const char* name) {
    const std::filesystem::path shm = "/dev/shm";
    const auto folder =
        std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
    return folder / (std::string("melvora-bench-") + std::to_string(getpid()) + "-" + name);
}

// Runs a program to its end; its exit status and peak resident memory in KiB.
struct ChildResult {
    int status = -1;
    long peakKibibytes = 0;
};

ChildResult RunChild(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return {};
    }
    ChildResult result;
    rusage usage{};
    if (wait4(child, &result.status, 0, &usage) == child) {
        result.peakKibibytes = usage.ru_maxrss;
    }
    return result;
}

std::string g_url;
std::string g_self;
double g_oursBytesPerSecond = 0;
double g_curlBytesPerSecond = 0;

template <typename Run>
void MeasureDownload(benchmark::State& state, double& bestBytesPerSecond, Run run) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!run()) {
            state.SkipWithError("download failed");
            return;
        }
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(seconds.count());
        bestBytesPerSecond = std::max(bestBytesPerSecond, kBodyBytes / seconds.count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
}

void BM_ResumableDownload(benchmark::State& state) {
    const auto file = ScratchFile("ours");
    MeasureDownload(state, g_oursBytesPerSecond, [&] {
        const bool done = DownloadOnce(g_url, file) == download::kDownloadSucceeded &&
                          std::filesystem::file_size(file) == kBodyBytes;
        std::filesystem::remove(file);
        return done;
    });
}

void BM_CurlCommandLine(benchmark::State& state) {
    const auto file = ScratchFile("curl");
    MeasureDownload(state, g_curlBytesPerSecond, [&] {
        const ChildResult result = RunChild({"curl", "-s", "-o", file.string(), g_url});
        const bool done = WIFEXITED(result.status) && WEXITSTATUS(result.status) == 0 &&
                          std::filesystem::file_size(file) == kBodyBytes;
        std::filesystem::remove(file);
        return done;
    });
}

// The two take turns, so a machine that gets busier or quieter during the run treats both
// alike; the best turn of each is compared.
constexpr int kTurns = 4;

void RegisterTurns() {
    for (int turn = 1; turn <= kTurns; ++turn) {
        const std::string suffix = "/turn:" + std::to_string(turn);
        benchmark::RegisterBenchmark(("BM_ResumableDownload" + suffix).c_str(),
                                     BM_ResumableDownload)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
        benchmark::RegisterBenchmark(("BM_CurlCommandLine" + suffix).c_str(), BM_CurlCommandLine)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The memory probe: one download in a process of its own, so its peak is the downloader's.
    if (argc == 4 && std::strcmp(argv[1], "--download-once") == 0) {
        return DownloadOnce(argv[2], argv[3]) == download::kDownloadSucceeded ? 0 : 1;
    }
    BodySender sender;
    g_url = sender.Url();
    g_self = std::filesystem::read_symlink("/proc/self/exe").string();

    RegisterTurns();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto oursFile = ScratchFile("ours-rss");
    const ChildResult ours = RunChild({g_self, "--download-once", g_url, oursFile.string()});
    std::filesystem::remove(oursFile);
    const auto curlFile = ScratchFile("curl-rss");
    const ChildResult curl = RunChild({"curl", "-s", "-o", curlFile.string(), g_url});
    std::filesystem::remove(curlFile);

    constexpr double kMebibyte = 1024.0 * 1024.0;
    std::printf("\nbody: %zu MiB over loopback, best turn of each above\n",
                kBodyBytes / (1024U * 1024U));
    std::printf("ResumableDownload : %8.1f MiB/s\n", g_oursBytesPerSecond / kMebibyte);
    std::printf("curl command line : %8.1f MiB/s\n", g_curlBytesPerSecond / kMebibyte);
    if (g_curlBytesPerSecond > 0) {
        std::printf("throughput ratio (ours / curl): %.3f (goal >= 0.9)\n",
                    g_oursBytesPerSecond / g_curlBytesPerSecond);
    }
    std::printf(
        "peak RSS of one whole download in its own process: ours %.1f MiB%s, curl %.1f MiB"
        " (goal: ours < 40 MiB)\n",
        ours.peakKibibytes / 1024.0,
        WIFEXITED(ours.status) && WEXITSTATUS(ours.status) == 0 ? "" : " (download failed)",
        curl.peakKibibytes / 1024.0);
    return 0;
}
