#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace melvora::testing {

// One hit of the fake song search. Values are spelled exactly as the reply carries them: UTF-8,
// with the service's JSON escapes ("\/", "\uXXXX") and its <em> highlight tags.
struct FakeHit {
    std::string songName;
    std::string singerName;
    // Empty: the hit has no FileHash key at all (its HQFileHash is still there).
    std::string fileHash;
    std::string id;
    // When set, an "OriSongName" key follows SongName, as the service writes it for covers.
    std::string oriSongName;
    // Keys written in lower case ("songname", "filehash", ...).
    bool lowerCaseKeys = false;
    // The reply wraps the first eight digits of the file hash in <em> tags.
    bool highlightedFileHash = false;
};

// Keywords the fake service knows. Any other keyword gets a reply without hits.
inline constexpr std::string_view kDemoKeyword = "demo";
// Exactly 30 hits, a full first page.
inline constexpr std::string_view kThirtyKeyword = "thirty";
// The service's error reply.
inline constexpr std::string_view kErrorKeyword = "error";
// The second hit lacks its FileHash key.
inline constexpr std::string_view kShiftKeyword = "shift";
// The first hit carries an OriSongName key.
inline constexpr std::string_view kOriSongKeyword = "orisong";
// Escaped quote, \u escapes, escaped slashes, capital tags and lower-case keys.
inline constexpr std::string_view kQuirksKeyword = "quirks";
// Hits whose play data is refused, missing or has an empty address.
inline constexpr std::string_view kRestrictedKeyword = "restricted";

// Replies a hostile or broken service could send. Hits with names no file may bear ("../../x",
// one with a control character), one whose play address is a local file (file:///etc/passwd),
// one whose track redirects there, and one ordinary hit.
inline constexpr std::string_view kHostileNamesKeyword = "hostile";
// A 50 MB reply: one hit followed by a huge string value.
inline constexpr std::string_view kHugeReplyKeyword = "huge";
// Pseudo-random bytes instead of JSON.
inline constexpr std::string_view kJunkReplyKeyword = "junk";
// Two hits, a NUL byte, then a third hit.
inline constexpr std::string_view kNulReplyKeyword = "nul";
// Two hits behind a header block of about 100 KB.
inline constexpr std::string_view kHugeHeadKeyword = "bighead";

inline constexpr std::size_t kHugeReplyBytes = 50U * 1024U * 1024U;
inline constexpr std::size_t kHugeHeadBytes = 100U * 1024U;
inline constexpr std::size_t kJunkReplyBytes = 256U * 1024U;

// File hashes whose play data the service refuses in its three ways.
inline constexpr std::string_view kRefusedHash = "E2001000000000000000000000000000";
inline constexpr std::string_view kNoDataHash = "E3002000000000000000000000000000";
inline constexpr std::string_view kEmptyAddressHash = "E0000000000000000000000000000000";
// The play address of this hash is "file:///etc/passwd".
inline constexpr std::string_view kLocalFileHash = "F1000000000000000000000000000000";
inline constexpr std::string_view kLocalFileAddress = "file:///etc/passwd";
// The track of this hash is answered with a redirect to kLocalFileAddress.
inline constexpr std::string_view kRedirectToFileHash = "F2000000000000000000000000000000";

// The hits for `keyword` (UTF-8, as decoded from the request); empty for an unknown one.
const std::vector<FakeHit>& FakeHitsFor(std::string_view keyword);

// Whole reply bodies, UTF-8 JSON shaped like the real service's (or, for the hostile keywords,
// not at all).
std::string SearchReplyBody(std::string_view keyword);
// Header lines the search reply carries beside the usual ones (the filler of kHugeHeadKeyword).
std::vector<std::string> SearchReplyExtraHeaders(std::string_view keyword);
// `mediaHost` is host:port of the service itself, where the play address points.
std::string PlayDataReplyBody(std::string_view fileHash, std::string_view albumId,
                              std::string_view mediaHost);

}  // namespace melvora::testing
