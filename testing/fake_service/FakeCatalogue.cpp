#include "testing/fake_service/FakeCatalogue.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace melvora::testing {

namespace {

// 32 upper-case hex digits derived from `seed`, so every hit has a stable hash of the real shape.
std::string HashOf(std::string_view seed) {
    uint64_t first = 1469598103934665603ULL;
    uint64_t second = 1099511628211ULL;
    for (const char c : seed) {
        first = (first ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        second = (second + static_cast<unsigned char>(c)) * 6364136223846793005ULL + 1;
    }
    std::array<char, 33> digits{};
    std::snprintf(digits.data(), digits.size(), "%016llX%016llX",
                  static_cast<unsigned long long>(first), static_cast<unsigned long long>(second));
    return digits.data();
}

FakeHit Hit(std::string songName, std::string singerName, std::string id) {
    FakeHit hit{.songName = std::move(songName), .singerName = std::move(singerName), .id = id};
    hit.fileHash = HashOf(hit.songName + "|" + hit.id);
    return hit;
}

std::vector<FakeHit> DemoHits() {
    return {
        Hit("<em>Demo<\\/em> 晴空", "林夏", "103880178"),
        Hit("夜曲 (<em>Demo<\\/em>)", "陈默", "103880179"),
        Hit("Morning <em>Demo<\\/em>", "The Loopbacks", "103880180"),
        Hit("海边的<em>Demo<\\/em>", "苏小雨、陈默", "103880181"),
        Hit("<em>Demo<\\/em> Tape No.5", "Fake Band", "103880182"),
        Hit("城市灯火", "<em>Demo<\\/em>乐队", "103880183"),
    };
}

std::vector<FakeHit> ThirtyHits() {
    std::vector<FakeHit> hits;
    for (int i = 1; i <= 30; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        hits.push_back(Hit("Track " + number, "Bench Band", std::to_string(200000 + i)));
    }
    return hits;
}

std::vector<FakeHit> ShiftHits() {
    std::vector<FakeHit> hits = {Hit("Alpha", "Ann", "301"), Hit("Beta", "Bob", "302"),
                                 Hit("Gamma", "Cid", "303")};
    hits[1].fileHash.clear();
    return hits;
}

std::vector<FakeHit> OriSongHits() {
    std::vector<FakeHit> hits = {Hit("Cover", "Dee", "401"), Hit("Plain", "Eve", "402")};
    hits[0].oriSongName = "Original";
    return hits;
}

std::vector<FakeHit> QuirksHits() {
    std::vector<FakeHit> hits = {
        Hit("Say \\\"Hi\\\" again", "\\u5468\\u6770\\u4f26", "501"),
        Hit("<EM>Loud<\\/EM> Song", "AC\\/DC", "502"),
        Hit("quiet", "nobody", "503"),
    };
    hits[1].highlightedFileHash = true;
    hits[2].lowerCaseKeys = true;
    return hits;
}

std::vector<FakeHit> RestrictedHits() {
    std::vector<FakeHit> hits = {Hit("Free", "Fay", "601"), Hit("Refused", "Gus", "602"),
                                 Hit("Gone", "Hal", "603"), Hit("Blank", "Ivy", "604")};
    hits[1].fileHash = kRefusedHash;
    hits[2].fileHash = kNoDataHash;
    hits[3].fileHash = kEmptyAddressHash;
    return hits;
}

std::vector<FakeHit> HostileNameHits() {
    std::vector<FakeHit> hits = {Hit("Passwd", "Root", "701"), Hit("../../x", "Dot", "702"),
                                 Hit("Bell\x07Ring", "Ctl", "703"), Hit("Detour", "Hop", "704"),
                                 Hit("Calm", "Ok", "705")};
    hits[0].fileHash = kLocalFileHash;
    hits[3].fileHash = kRedirectToFileHash;
    return hits;
}

const std::map<std::string, std::vector<FakeHit>, std::less<>>& Catalogue() {
    static const std::map<std::string, std::vector<FakeHit>, std::less<>> catalogue = {
        {std::string(kDemoKeyword), DemoHits()},
        {std::string(kThirtyKeyword), ThirtyHits()},
        {std::string(kShiftKeyword), ShiftHits()},
        {std::string(kOriSongKeyword), OriSongHits()},
        {std::string(kQuirksKeyword), QuirksHits()},
        {std::string(kRestrictedKeyword), RestrictedHits()},
        {std::string(kHostileNamesKeyword), HostileNameHits()},
        {std::string(kHugeReplyKeyword), {Hit("Needle", "Hay", "801")}},
        {std::string(kNulReplyKeyword),
         {Hit("Before One", "Nul", "811"), Hit("Before Two", "Nul", "812"),
          Hit("After", "Nul", "813")}},
        {std::string(kHugeHeadKeyword),
         {Hit("Heavy Head", "Big", "821"), Hit("Long Lines", "Big", "822")}},
    };
    return catalogue;
}

std::string Key(const FakeHit& hit, std::string_view key) {
    std::string out = "\"";
    for (const char c : key) {
        out.push_back(hit.lowerCaseKeys && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
    }
    return out + "\":";
}

std::string StringField(const FakeHit& hit, std::string_view key, std::string_view value) {
    return Key(hit, key) + "\"" + std::string(value) + "\",";
}

// One entry of "lists", keys in the service's order. HQFileHash, SQFileHash, AlbumID and
// MixSongID sit beside the keys the search reads, as in the real replies.
std::string HitJson(const FakeHit& hit, std::size_t index) {
    std::string json = "{";
    json += StringField(hit, "SongName", hit.songName);
    if (!hit.oriSongName.empty()) {
        json += StringField(hit, "OriSongName", hit.oriSongName);
    }
    json += StringField(hit, "SingerName", hit.singerName);
    json += StringField(hit, "FileName", hit.singerName + " - " + hit.songName);
    if (!hit.fileHash.empty()) {
        json += StringField(hit, "FileHash",
                            hit.highlightedFileHash ? "<em>" + hit.fileHash.substr(0, 8) +
                                                          "<\\/em>" + hit.fileHash.substr(8)
                                                    : hit.fileHash);
    }
    json += StringField(hit, "HQFileHash", HashOf("HQ" + hit.id));
    json += StringField(hit, "SQFileHash", "");
    json += StringField(hit, "ID", hit.id);
    json += StringField(hit, "AlbumID", std::to_string(9000000 + index));
    json += StringField(hit, "MixSongID", "3" + hit.id);
    json += StringField(hit, "AlbumName", "Loopback Sessions");
    json += Key(hit, "Duration") + std::to_string(180 + 7 * index) + ",";
    json += Key(hit, "Privilege") + "8,";
    json += Key(hit, "Bitrate") + "128";
    return json + "}";
}

// The same bytes on every call: a xorshift generator from a fixed seed.
std::string JunkBytes(std::size_t size) {
    std::string bytes(size, '\0');
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        byte = static_cast<char>(state >> 56);
    }
    return bytes;
}

const FakeHit* HitWithHash(std::string_view fileHash) {
    for (const auto& [keyword, hits] : Catalogue()) {
        for (const FakeHit& hit : hits) {
            if (!fileHash.empty() && hit.fileHash == fileHash) {
                return &hit;
            }
        }
    }
    return nullptr;
}

}  // namespace

const std::vector<FakeHit>& FakeHitsFor(std::string_view keyword) {
    static const std::vector<FakeHit> none;
    const auto found = Catalogue().find(keyword);
    return found == Catalogue().end() ? none : found->second;
}

std::string SearchReplyBody(std::string_view keyword) {
    if (keyword == kErrorKeyword) {
        return R"({"status":0,"error_code":20028,"data":{"lists":[]}})";
    }
    if (keyword == kJunkReplyKeyword) {
        return JunkBytes(kJunkReplyBytes);
    }
    const std::vector<FakeHit>& hits = FakeHitsFor(keyword);
    std::string lists;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        // The NUL goes in front of the last hit, so only the hits before it can be read as text.
        const bool nulFirst = keyword == kNulReplyKeyword && i + 1 == hits.size();
        lists += (i == 0 ? "" : ",") + (nulFirst ? std::string(1, '\0') : "") + HitJson(hits[i], i);
    }
    std::string body = R"({"status":1,"error_code":0,"data":{"page":1,"tab":"全部","lists":[)" +
                       lists + R"(],"chinesecount":0,"correctiontype":0,"total":)" +
                       std::to_string(hits.size()) + R"(,"istagresult":0},"errcode":0,"error":"")";
    if (keyword == kHugeReplyKeyword) {
        // Padded with one long string value up to the promised size.
        constexpr std::string_view opening = R"(,"padding":")";
        const std::size_t fill = kHugeReplyBytes - body.size() - opening.size() - 2;
        body += std::string(opening) + std::string(fill, 'x') + "\"";
    }
    return body + "}";
}

std::vector<std::string> SearchReplyExtraHeaders(std::string_view keyword) {
    std::vector<std::string> lines;
    if (keyword != kHugeHeadKeyword) {
        return lines;
    }
    // Lines of 100 bytes with their CR LF, numbered so none repeats another.
    std::size_t total = 0;
    for (int number = 0; total < kHugeHeadBytes; ++number) {
        std::string digits = std::to_string(number);
        digits.insert(0, 5 - std::min<std::size_t>(5, digits.size()), '0');
        std::string line = "X-Filler-" + digits + ": ";
        line += std::string(98 - line.size(), 'f');
        total += line.size() + 2;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string PlayDataReplyBody(std::string_view fileHash, std::string_view albumId,
                              std::string_view mediaHost) {
    if (fileHash.empty() || fileHash == kRefusedHash) {
        return R"({"status":0,"err_code":20010,"data":[]})";
    }
    if (fileHash == kNoDataHash) {
        return R"({"status":0,"err_code":30020,"data":{}})";
    }
    const FakeHit* hit = HitWithHash(fileHash);
    const std::string hash(fileHash);
    std::string address = fileHash == kEmptyAddressHash ? std::string()
                                                        : "http:\\/\\/" + std::string(mediaHost) +
                                                              "\\/media\\/" + hash + ".mp3";
    if (fileHash == kLocalFileHash) {
        address = "file:\\/\\/\\/etc\\/passwd";
    }
    return R"({"status":1,"err_code":0,"data":{"hash":")" + hash +
           R"(","timelength":4000,"filesize":0,"audio_name":")" +
           (hit ? hit->singerName + " - " + hit->songName : std::string()) +
           R"(","have_album":1,"album_name":"Loopback Sessions","album_id":")" +
           std::string(albumId) + R"(","img":"http:\/\/)" + std::string(mediaHost) +
           R"(\/img\/cover.jpg","author_name":")" + (hit ? hit->singerName : std::string()) +
           R"(","play_url":")" + address + R"(","play_backup_url":")" + address +
           R"(","bitrate":128}})";
}

}  // namespace melvora::testing
