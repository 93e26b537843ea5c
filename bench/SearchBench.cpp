// A whole search with a full page of 30 hits against the fake music service, which waits a fixed
// delay d before every reply. A search makes 31 requests in sequence, so 31·d is its floor; the
// baseline measured beside it is the same 31 requests made bare with HttpFetch. The service runs
// as a separate process, so the process CPU time counted here is the search's own.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "http/HttpFetch.h"
#include "search/SearchUrls.h"
#include "search/SongSearch.h"
#include "testing/RecordingSearchReport.h"

extern char** environ;

namespace {

using melvora::Text;

constexpr int kRequestsPerSearch = 31;

// The service built in the same tree (bench/../testing/fake_service), unless
// MELVORA_FAKE_SERVICE names another.
std::string ServiceProgram() {
    if (const char* path = std::getenv("MELVORA_FAKE_SERVICE"); path != nullptr && *path != '\0') {
        return path;
    }
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    if (length <= 0) {
        return {};
    }
    self.resize(static_cast<std::size_t>(length));
    const std::string benchDir = self.substr(0, self.rfind('/'));
    return benchDir.substr(0, benchDir.rfind('/') + 1) +
           "testing/fake_service/melvora-fake-service";
}

// melvora-fake-service as a child process, stopped and reaped on every path.
class ServiceProcess {
public:
    explicit ServiceProcess(int delayMilliseconds) {
        const std::string program = ServiceProgram();
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const std::string delay = std::to_string(delayMilliseconds);
        std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                                   const_cast<char*>("--delay-ms"),
                                   const_cast<char*>(delay.c_str()), nullptr};
        const bool spawned =
            posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (!spawned) {
            m_pid = -1;
            ::close(pipeFds[0]);
            return;
        }
        // The service prints its port on the first line once it listens.
        std::string line;
        char c = 0;
        while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') {
            line.push_back(c);
        }
        ::close(pipeFds[0]);
        m_host = "127.0.0.1:" + line;
        m_ready = !line.empty();
    }
    ~ServiceProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    [[nodiscard]] bool Ready() const { return m_ready; }
    [[nodiscard]] const std::string& Host() const { return m_host; }

private:
    pid_t m_pid = -1;
    bool m_ready = false;
    std::string m_host;
};

double ProcessCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Runs `body` once per iteration and reports wall and CPU milliseconds per iteration beside the
// 31·d floor.
template <typename Body>
void Measure(benchmark::State& state, Body body) {
    const int delay = static_cast<int>(state.range(0));
    ServiceProcess service(delay);
    if (!service.Ready()) {
        state.SkipWithError(
            "melvora-fake-service did not start (build it, or set MELVORA_FAKE_SERVICE)");
        return;
    }
    melvora::Endpoints endpoints;
    endpoints.searchHost = service.Host();
    endpoints.playHost = service.Host();

    const double cpuBefore = ProcessCpuMilliseconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    for (auto _ : state) {
        body(endpoints);
    }
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallBefore)
            .count();
    const double cpu = ProcessCpuMilliseconds() - cpuBefore;
    const auto iterations = static_cast<double>(state.iterations());
    const double floor = kRequestsPerSearch * delay;
    state.counters["floor_ms"] = floor;
    state.counters["wall_ms"] = wall / iterations;
    state.counters["wall_per_floor"] = floor > 0 ? wall / iterations / floor : 0.0;
    state.counters["cpu_ms"] = cpu / iterations;
}

void BM_SearchThirtyHits(benchmark::State& state) {
    Measure(state, [&state](const melvora::Endpoints& endpoints) {
        melvora::testing::RecordingSearchReport report;
        melvora::SongSearch search(endpoints);
        const melvora::CancellationToken cancellation;
        search.SearchSongs("thirty", report, cancellation);
        if (report.RowCount() != 30) {
            state.SkipWithError("the search did not fill 30 rows");
        }
    });
}

// The same 31 requests without matching or controls: what the network part alone costs.
void BM_Baseline31BareFetches(benchmark::State& state) {
    Measure(state, [](const melvora::Endpoints& endpoints) {
        benchmark::DoNotOptimize(
            melvora::HttpFetch({.url = melvora::SearchUrl(endpoints, "thirty"), .method = 0}));
        for (int i = 1; i < kRequestsPerSearch; ++i) {
            benchmark::DoNotOptimize(melvora::HttpFetch(
                {.url = Text("http://" + endpoints.playHost +
                             "/yy/index.php?r=play/getdata&hash=0&album_id=0&_=0")}));
        }
    });
}

BENCHMARK(BM_Baseline31BareFetches)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchThirtyHits)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Baseline31BareFetches)
    ->Arg(20)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SearchThirtyHits)
    ->Arg(20)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
