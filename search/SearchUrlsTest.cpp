#include <gtest/gtest.h>

#include <ostream>

#include "search/SearchUrls.h"
#include "text/Text.h"

namespace melvora {
namespace {

using namespace literals;

constexpr const char* kSearchTail =
    "&page=1&pagesize=30&userid=-1&clientver=&platform=WebFilter&tag=em&filter=2&iscorrection=1"
    "&privilege_filter=0";

struct SearchUrlCase {
    const char* name;
    Text keyword;
    Text expectedKeywordOnUrl;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const SearchUrlCase& c, std::ostream* out) {
    *out << c.name;
}

class SearchUrlTest : public ::testing::TestWithParam<SearchUrlCase> {};

TEST_P(SearchUrlTest, PutsTheKeywordUnchangedBetweenTheFixedParts) {
    const Endpoints endpoints;
    EXPECT_EQ(SearchUrl(endpoints, GetParam().keyword),
              Text("http://songsearch.kugou.com/song_search_v2?&keyword=") +
                  GetParam().expectedKeywordOnUrl + kSearchTail);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, SearchUrlTest,
    ::testing::Values(SearchUrlCase{"ascii", "demo", "demo"},
                      // "&" and "=" are not escaped: the rest becomes a parameter of its own.
                      SearchUrlCase{"ampersandAndEquals", "a&b=c", "a&b=c"},
                      SearchUrlCase{"blank", " ", " "},
                      SearchUrlCase{"blankInside", "love song", "love song"},
                      SearchUrlCase{"empty", "", ""},
                      // 周杰伦 stays in GBK: D6DC BDDC C2D7.
                      SearchUrlCase{"chinese", "周杰伦"_gbk, Text("\xD6\xDC\xBD\xDC\xC2\xD7")}),
    [](const ::testing::TestParamInfo<SearchUrlCase>& info) { return info.param.name; });

TEST(SearchUrl, UsesTheConfiguredSearchHost) {
    Endpoints endpoints;
    endpoints.searchHost = "127.0.0.1:8080";
    EXPECT_EQ(SearchUrl(endpoints, "x"),
              Text("http://127.0.0.1:8080/song_search_v2?&keyword=x") + kSearchTail);
}

TEST(PlayDataUrl, PutsHashAlbumIdAndTimestampInTheServiceOrder) {
    const Endpoints endpoints;
    EXPECT_EQ(PlayDataUrl(endpoints, "5A1B3C", "103880178", "1700000000000"),
              Text("http://wwwapi.kugou.com/yy/index.php?r=play/getdata&hash=5A1B3C"
                   "&album_id=103880178&_=1700000000000"));
}

TEST(PlayDataUrl, KeepsEmptyValuesAndUsesTheConfiguredPlayHost) {
    Endpoints endpoints;
    endpoints.playHost = "localhost:9";
    EXPECT_EQ(PlayDataUrl(endpoints, "", "", "0000"),
              Text("http://localhost:9/yy/index.php?r=play/getdata&hash=&album_id=&_=0000"));
}

}  // namespace
}  // namespace melvora
