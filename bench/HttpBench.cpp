// Throughput of HttpFetch for one large reply, beside the curl command-line tool fetching the
// same reply from the same loopback server in the same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "http/HttpFetch.h"
#include "testing/LoopbackServer.h"

namespace {

using melvora::testing::LoopbackServer;
using melvora::testing::Reply;

constexpr std::size_t kBodyBytes = 64u * 1024u * 1024u;

// One server for the whole run, answering every request with the same 64 MiB body. The body has
// no NUL byte, so HttpFetch also pays for turning all of it into Text.
LoopbackServer& Server() {
    static const auto body = [] {
        auto bytes = std::make_shared<std::string>(kBodyBytes, '\0');
        for (std::size_t i = 0; i < bytes->size(); ++i) {
            (*bytes)[i] = static_cast<char>('a' + i % 26);
        }
        return std::shared_ptr<const std::string>(std::move(bytes));
    }();
    static LoopbackServer server([](const melvora::testing::RecordedRequest&) {
        Reply reply;
        reply.headers.emplace_back("Content-Type", "application/octet-stream");
        reply.sharedBody = body;
        return reply;
    });
    return server;
}

void BM_HttpFetch(benchmark::State& state) {
    const melvora::Text url(Server().Url("/large.bin"));
    for (auto _ : state) {
        melvora::HttpFetchVariables variables;
        const melvora::Text text = melvora::HttpFetch({.url = url}, variables);
        if (variables.rawBody.size() != kBodyBytes) {
            state.SkipWithError("HttpFetch did not receive the whole body");
            return;
        }
        benchmark::DoNotOptimize(text.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
}
BENCHMARK(BM_HttpFetch)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The baseline: the curl tool itself, process start-up included.
void BM_CurlCommandLine(benchmark::State& state) {
    const std::string command = "curl -s -o /dev/null " + Server().Url("/large.bin");
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the curl command failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
}
BENCHMARK(BM_CurlCommandLine)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Prints the usual table, then the ratio of the two throughputs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred) {
                const auto found = run.counters.find("bytes_per_second");
                if (found != run.counters.end()) {
                    m_bytesPerSecond[run.run_name.function_name] = found->second.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio() const {
        const auto fetch = m_bytesPerSecond.find("BM_HttpFetch");
        const auto tool = m_bytesPerSecond.find("BM_CurlCommandLine");
        if (fetch == m_bytesPerSecond.end() || tool == m_bytesPerSecond.end() ||
            tool->second <= 0) {
            return;
        }
        std::printf("HttpFetch %.1f MiB/s, curl command line %.1f MiB/s, ratio %.2f\n",
                    fetch->second / (1024.0 * 1024.0), tool->second / (1024.0 * 1024.0),
                    fetch->second / tool->second);
    }

private:
    std::map<std::string, double> m_bytesPerSecond;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    return 0;
}
