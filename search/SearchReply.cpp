#include "search/SearchReply.h"

#include "regex/RegexMatcher.h"
#include "text/TextHelpers.h"

namespace melvora {

namespace {

// The song-name and singer patterns have no quote in front of the key, so a longer key ending in
// SongName (OriSongName) matches too and makes a row of its own. The file-hash and ID patterns
// start with a quote, which keeps HQFileHash, AlbumID and MixSongID out of their fields.
constexpr const char* kSongNamePattern = "SongName\":\"(.*?)\"";
constexpr const char* kFileHashPattern = "\"FileHash\":\"(.*?)\"";
constexpr const char* kIdPattern = "\"ID\":\"(.*?)\"";
constexpr const char* kSingerNamePattern = "SingerName\":\"(.*?)\"";

// Group 1 of match `row` (1-based); empty beyond the matcher's last match.
Text Field(const RegexMatcher& matcher, int32_t row) {
    return matcher.SubMatchText(row, 1);
}

}  // namespace

std::vector<SongHit> ParseSearchReply(const Text& reply) {
    RegexMatcher songNames;
    RegexMatcher fileHashes;
    RegexMatcher ids;
    RegexMatcher singerNames;
    songNames.Search(kSongNamePattern, reply);
    fileHashes.Search(kFileHashPattern, reply);
    ids.Search(kIdPattern, reply);
    singerNames.Search(kSingerNamePattern, reply);

    std::vector<SongHit> hits;
    const int32_t rowCount = songNames.MatchCount();
    hits.reserve(static_cast<std::size_t>(rowCount));
    for (int32_t match = 1; match <= rowCount; ++match) {
        hits.push_back({.songName = StripEmTags(Field(songNames, match)),
                        .singerName = StripEmTags(Field(singerNames, match)),
                        .fileHash = StripEmTags(Field(fileHashes, match)),
                        .id = Field(ids, match)});
    }
    return hits;
}

}  // namespace melvora
