// The four field patterns of the song search over a reply-sized subject, run through
// RegexMatcher and, as the baseline, through std::regex over the same reply in UTF-8. Both report
// matches per second; their ratio is the figure of interest.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <regex>
#include <string>

#include "regex/RegexMatcher.h"
#include "text/CodePage.h"

namespace {

using melvora::Text;

constexpr std::array<const char*, 4> kFieldPatterns = {
    R"re(SongName":"(.*?)")re",
    R"re("FileHash":"(.*?)")re",
    R"re("ID":"(.*?)")re",
    R"re(SingerName":"(.*?)")re",
};

constexpr std::size_t kSubjectBytes = 100 * 1024;
constexpr int kHitsPerPage = 30;

// One page of hits shaped like the service's reply, repeated to about 100 KB, in UTF-8.
std::string ReplyUtf8() {
    static const std::array<const char*, 5> kSingers = {"周杰伦", "<em>Jay</em> Chou", "陈奕迅",
                                                        "王菲", "Taylor Swift"};
    static const std::array<const char*, 5> kTitles = {"<em>晴天</em>", "七里香", "Sunny Day",
                                                       "十年 (Live)", R"(Say \"Hi\")"};
    std::string reply = R"({"status":1,"error_code":0,"data":{"total":9999,"lists":[)";
    uint32_t hit = 0;
    while (reply.size() < kSubjectBytes) {
        for (int i = 0; i < kHitsPerPage; ++i, ++hit) {
            char hash[33];
            std::snprintf(hash, sizeof hash, "%08X%08X%08X%08X", hit * 2654435761u, hit, ~hit,
                          hit * 40503u);
            reply += R"({"SongName":")" + std::string(kTitles[hit % kTitles.size()]) +
                     R"(","OriSongName":"原唱","SingerName":")" + kSingers[hit % kSingers.size()] +
                     R"(","FileHash":")" + hash + R"(","AlbumName":"专辑 )" + std::to_string(hit) +
                     R"(","ID":")" + std::to_string(100000 + hit) +
                     R"(","Duration":269,"Privilege":8,"Grp":[]},)" + "\n";
        }
    }
    reply += R"({}]}})";
    return reply;
}

const std::string& SubjectUtf8() {
    static const std::string subject = ReplyUtf8();
    return subject;
}

const Text& SubjectGbk() {
    static const Text subject = melvora::GbkFromUtf8(SubjectUtf8());
    return subject;
}

// Matches per second, and per pass over the four patterns so the two engines can be seen to agree.
void ReportMatches(benchmark::State& state, int64_t matches) {
    state.counters["matches"] =
        benchmark::Counter(static_cast<double>(matches), benchmark::Counter::kIsRate);
    state.counters["per_pass"] =
        static_cast<double>(matches) / static_cast<double>(state.iterations());
}

void BM_RegexMatcher(benchmark::State& state) {
    const Text& subject = SubjectGbk();
    int64_t matches = 0;
    for (auto _ : state) {
        for (const char* pattern : kFieldPatterns) {
            melvora::RegexMatcher matcher;
            matcher.Search(pattern, subject);
            const int32_t count = matcher.MatchCount();
            for (int32_t n = 1; n <= count; ++n) {
                Text field = matcher.SubMatchText(n, 1);
                benchmark::DoNotOptimize(field);
            }
            matches += count;
        }
    }
    ReportMatches(state, matches);
}
BENCHMARK(BM_RegexMatcher)->Unit(benchmark::kMillisecond);

void BM_StdRegexBaseline(benchmark::State& state) {
    const std::string& subject = SubjectUtf8();
    int64_t matches = 0;
    for (auto _ : state) {
        for (const char* pattern : kFieldPatterns) {
            const std::regex expression(pattern, std::regex::ECMAScript | std::regex::icase);
            for (std::sregex_iterator it(subject.begin(), subject.end(), expression), end;
                 it != end; ++it) {
                std::string field = (*it)[1].str();
                benchmark::DoNotOptimize(field);
                ++matches;
            }
        }
    }
    ReportMatches(state, matches);
}
BENCHMARK(BM_StdRegexBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
