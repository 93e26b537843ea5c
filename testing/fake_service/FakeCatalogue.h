#pragma once

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

// File hashes whose play data the service refuses in its three ways.
inline constexpr std::string_view kRefusedHash = "E2001000000000000000000000000000";
inline constexpr std::string_view kNoDataHash = "E3002000000000000000000000000000";
inline constexpr std::string_view kEmptyAddressHash = "E0000000000000000000000000000000";

// The hits for `keyword` (UTF-8, as decoded from the request); empty for an unknown one.
const std::vector<FakeHit>& FakeHitsFor(std::string_view keyword);

// Whole reply bodies, UTF-8 JSON shaped like the real service's.
std::string SearchReplyBody(std::string_view keyword);
// `mediaHost` is host:port of the service itself, where the play address points.
std::string PlayDataReplyBody(std::string_view fileHash, std::string_view albumId,
                              std::string_view mediaHost);

}  // namespace melvora::testing
