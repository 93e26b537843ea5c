#include <gtest/gtest.h>

#include <ostream>

#include "search/ResolvePlayAddress.h"

namespace melvora {
namespace {

struct ReplyCase {
    const char* name;
    const char* reply;
    const char* expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReplyCase& c, std::ostream* out) {
    *out << c.name;
}

class ExtractPlayAddressTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ExtractPlayAddressTest, CutsOutTheFirstPlayUrlWithoutBackslashes) {
    EXPECT_EQ(ExtractPlayAddress(GetParam().reply), Text(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ExtractPlayAddressTest,
    ::testing::Values(
        ReplyCase{
            "escapedSlashes",
            R"({"status":1,"data":{"hash":"AB","play_url":"http:\/\/fs.example\/a\/b.mp3","bitrate":128}})",
            "http://fs.example/a/b.mp3"},
        // Every backslash goes, also the one of a \u escape, whose letter and digits stay.
        ReplyCase{"unicodeEscape", R"({"play_url":"http:\/\/x\/\u6d4b\u8bd5.mp3"})",
                  "http://x/u6d4bu8bd5.mp3"},
        ReplyCase{"emptyValue", R"({"status":1,"data":{"play_url":"","bitrate":0}})", ""},
        // The marker is matched with case.
        ReplyCase{"otherCase", R"({"PLAY_URL":"http:\/\/x\/y.mp3"})", ""},
        ReplyCase{"noMarker", R"({"status":0,"err_code":20010,"data":[]})", ""},
        ReplyCase{"emptyReply", "", ""},
        ReplyCase{"noClosingQuote", R"({"play_url":"http:\/\/x\/y.mp3)", ""},
        ReplyCase{"firstOneCounts", R"({"play_url":"http:\/\/a","play_url":"http:\/\/b"})",
                  "http://a"},
        // A longer key that merely contains the letters does not hold the marker.
        ReplyCase{"backupKeyFirst", R"({"play_backup_url":"http:\/\/b","play_url":"http:\/\/a"})",
                  "http://a"}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });

}  // namespace
}  // namespace melvora
