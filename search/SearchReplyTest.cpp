#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "search/SearchReply.h"
#include "testing/RecordingSearchReport.h"
#include "text/CodePage.h"

namespace melvora {
namespace {

using namespace literals;

struct ParseCase {
    const char* name;
    std::string reply;  // UTF-8, turned into GBK as the search does
    std::vector<SongHit> hits;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << c.name;
}

class ParseSearchReplyTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSearchReplyTest, TakesTheRthMatchOfEveryPatternForRowR) {
    EXPECT_EQ(ParseSearchReply(GbkFromUtf8(GetParam().reply)), GetParam().hits);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParseSearchReplyTest,
    ::testing::Values(
        ParseCase{"empty", "", {}},
        ParseCase{
            "oneHitWithTagsStrippedButNotFromTheId",
            R"({"SongName":"<em>晴<\/em>天","SingerName":"<EM>A<\/EM>","FileHash":"H<em>1<\/em>",)"
            R"("ID":"<em>7<\/em>"})",
            {{"晴天"_gbk, "A", "H1", R"(<em>7<\/em>)"}}},
        // Only the song names decide the count; a pattern that runs out leaves its field empty.
        ParseCase{"missingKeysGiveEmptyFieldsAtTheEnd",
                  R"({"SongName":"a","SingerName":"s","FileHash":"h1","ID":"1"},)"
                  R"({"SongName":"b"})",
                  {{"a", "s", "h1", "1"}, {"b", "", "", ""}}},
        // A hit without FileHash shifts later hashes up a row.
        ParseCase{"aMissingKeyShiftsItsField",
                  R"({"SongName":"a","ID":"1"},{"SongName":"b","FileHash":"h2","ID":"2"})",
                  {{"a", "", "h2", "1"}, {"b", "", "", "2"}}},
        // Keys ending in SongName match too; quoted keys keep HQFileHash and AlbumID out.
        ParseCase{"lookalikeKeys",
                  R"({"OriSongName":"o","SongName":"s","HQFileHash":"x","FileHash":"h",)"
                  R"("AlbumID":"9","ID":"1"})",
                  {{"o", "", "h", "1"}, {"s", "", "", ""}}},
        ParseCase{"fieldsWithoutKeysAreNoHits", R"({"FileHash":"h","ID":"1"})", {}}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

}  // namespace
}  // namespace melvora
