#include "search/SearchSongs.h"

#include <string>

#include "http/HttpFetch.h"
#include "regex/RegexMatcher.h"
#include "search/ResolvePlayAddress.h"
#include "search/SearchUrls.h"
#include "text/TextHelpers.h"

namespace melvora {

using namespace literals;

namespace {

// The song-name and singer patterns have no quote in front of the key, so a longer key ending in
// SongName (OriSongName) matches too and makes a row of its own. The file-hash and ID patterns
// start with a quote, which keeps HQFileHash, AlbumID and MixSongID out of their columns.
constexpr const char* kSongNamePattern = "SongName\":\"(.*?)\"";
constexpr const char* kFileHashPattern = "\"FileHash\":\"(.*?)\"";
constexpr const char* kIdPattern = "\"ID\":\"(.*?)\"";
constexpr const char* kSingerNamePattern = "SingerName\":\"(.*?)\"";

constexpr int32_t kSongNameColumn = 0;
constexpr int32_t kSingerNameColumn = 1;
constexpr int32_t kFileHashColumn = 2;
constexpr int32_t kIdColumn = 3;
constexpr int32_t kPlayAddressColumn = 4;

constexpr int32_t kCountPart = 0;
constexpr int32_t kProgressPart = 1;

// Group 1 of match `row` (1-based); empty beyond the matcher's last match.
Text Field(const RegexMatcher& matcher, int32_t row) {
    return matcher.SubMatchText(row, 1);
}

}  // namespace

void SearchSongs(Controls& controls, Text& lastResponseText, const Endpoints& endpoints,
                 const CancellationToken& cancellation) {
    // Every step that touches the window or the network first asks whether a newer search or
    // shut-down has taken over; from then on this one must leave the list alone.
    const auto cancelled = [&cancellation] { return cancellation.IsCancelled(); };

    RegexMatcher songNames;
    RegexMatcher fileHashes;
    RegexMatcher ids;
    RegexMatcher singerNames;

    if (cancelled()) {
        return;
    }
    controls.ClearList();
    if (cancelled()) {
        return;
    }
    // Status part 0 keeps the previous count until this search has its own.
    controls.SetStatusText(kProgressPart, Text());
    if (cancelled()) {
        return;
    }
    const Text keyword = controls.SearchText();
    if (cancelled()) {
        return;
    }
    const Text body = HttpFetch(
        {.url = SearchUrl(endpoints, keyword), .method = 0, .cancellation = &cancellation});
    if (cancelled()) {
        return;
    }
    lastResponseText = Utf8ToGbk(body);

    songNames.Search(kSongNamePattern, lastResponseText);
    fileHashes.Search(kFileHashPattern, lastResponseText);
    ids.Search(kIdPattern, lastResponseText);
    singerNames.Search(kSingerNamePattern, lastResponseText);

    // Only the song names decide how many rows there are; the other columns are taken by
    // position, so a hit that lacks a key shifts that column for every later row.
    const int32_t rowCount = songNames.MatchCount();
    // Each cell shows as soon as it is known, so a row is visible while its play data is still
    // on the way. A cell is never set once the search is cancelled: a newer search may already
    // own the row with that index.
    const auto setCell = [&](int32_t row, int32_t column, const Text& text) {
        if (cancelled()) {
            return false;
        }
        controls.SetCellText(row, column, text);
        return true;
    };
    for (int32_t match = 1; match <= rowCount; ++match) {
        if (cancelled()) {
            return;
        }
        const int32_t row = controls.AppendRow();
        const Text fileHash = StripEmTags(Field(fileHashes, match));
        const Text id = Field(ids, match);
        if (!setCell(row, kSongNameColumn, StripEmTags(Field(songNames, match))) ||
            !setCell(row, kSingerNameColumn, StripEmTags(Field(singerNames, match))) ||
            !setCell(row, kFileHashColumn, fileHash) || !setCell(row, kIdColumn, id)) {
            return;
        }
        if (cancelled()) {
            return;
        }
        if (!setCell(row, kPlayAddressColumn,
                     ResolvePlayAddress(fileHash, id, endpoints, cancellation))) {
            return;
        }
    }

    if (cancelled()) {
        return;
    }
    controls.SetStatusText(kCountPart,
                           "歌曲数量："_gbk + Text(std::to_string(controls.RowCount())));
}

}  // namespace melvora
