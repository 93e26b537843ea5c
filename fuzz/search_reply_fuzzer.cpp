// The song search's reading of a hostile reply: the UTF-8 body turned into GBK, the four field
// patterns run over it, and group 1 of every row read and cleaned the way the result list gets
// it. The whole input is the reply body.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "regex/RegexMatcher.h"
#include "text/TextHelpers.h"

namespace {

using melvora::RegexMatcher;
using melvora::Text;
using melvora::fuzz::Require;

constexpr const char* kSongNamePattern = "SongName\":\"(.*?)\"";
constexpr const char* kFileHashPattern = "\"FileHash\":\"(.*?)\"";
constexpr const char* kIdPattern = "\"ID\":\"(.*?)\"";
constexpr const char* kSingerNamePattern = "SingerName\":\"(.*?)\"";

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Group 1 of match `row`, as a cell of the list would show it.
Text Field(const RegexMatcher& matcher, int32_t row, const Text& reply) {
    const Text field = matcher.SubMatchText(row, 1);
    Require(field.size() <= reply.size(), "a field is no longer than the reply");
    return field;
}

Text CleanField(const RegexMatcher& matcher, int32_t row, const Text& reply) {
    const Text field = Field(matcher, row, reply);
    const Text cleaned = melvora::StripEmTags(field);
    Require(cleaned.size() <= field.size(), "removing tags never grows a field");
    return cleaned;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const Text body(std::string_view(reinterpret_cast<const char*>(data), size));
    const Text reply = melvora::Utf8ToGbk(body);
    if (IsAscii(body.view())) {
        Require(reply == body, "an ASCII reply is the same in GBK");
    }

    RegexMatcher songNames;
    RegexMatcher fileHashes;
    RegexMatcher ids;
    RegexMatcher singerNames;
    // Every pattern compiles; a false here would mean the engine rejected one of ours.
    Require(songNames.Search(kSongNamePattern, reply), "the song-name pattern runs");
    Require(fileHashes.Search(kFileHashPattern, reply), "the file-hash pattern runs");
    Require(ids.Search(kIdPattern, reply), "the ID pattern runs");
    Require(singerNames.Search(kSingerNamePattern, reply), "the singer pattern runs");

    const int32_t rowCount = songNames.MatchCount();
    // Each match holds at least the key and three quotes and a colon.
    Require(static_cast<std::size_t>(rowCount) * 12 <= reply.size(), "rows fit in the reply");
    for (int32_t row = 1; row <= rowCount; ++row) {
        (void)CleanField(songNames, row, reply);
        (void)CleanField(singerNames, row, reply);
        (void)CleanField(fileHashes, row, reply);
        (void)Field(ids, row, reply);
    }
    // Past the song names' last row the other columns read as nothing.
    Require(songNames.SubMatchText(rowCount + 1, 1).empty(), "no row past the last match");
    return 0;
}
