#include "testing/fake_service/FakeMusicService.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "testing/fake_service/FakeCatalogue.h"

namespace melvora::testing {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string_view PathOf(std::string_view target) {
    return target.substr(0, target.find('?'));
}

// HASH of a "/media/HASH.mp3" path; empty for any other path.
std::string_view MediaHashOf(std::string_view path) {
    constexpr std::string_view prefix = "/media/";
    constexpr std::string_view suffix = ".mp3";
    if (!path.starts_with(prefix) || !path.ends_with(suffix) ||
        path.size() < prefix.size() + suffix.size()) {
        return {};
    }
    return path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
}

HttpReply JsonReply(std::string body) {
    return {.headers = {"Content-Type: application/json; charset=utf-8"}, .body = std::move(body)};
}

HttpReply NotFound() {
    return {.status = 404,
            .reason = "Not Found",
            .headers = {"Content-Type: text/plain"},
            .body = "not found\n"};
}

// N of a "bytes=N-" range; nullopt for anything else, which is then served whole.
std::optional<std::size_t> RangeStart(const std::string& range) {
    constexpr std::string_view prefix = "bytes=";
    if (range.rfind(prefix, 0) != 0 || range.empty() || range.back() != '-') {
        return std::nullopt;
    }
    const std::string digits = range.substr(prefix.size(), range.size() - prefix.size() - 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(std::stoull(digits));
}

}  // namespace

std::string QueryValue(std::string_view target, std::string_view key) {
    const std::size_t question = target.find('?');
    if (question == std::string_view::npos) {
        return {};
    }
    std::string_view query = target.substr(question + 1);
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == key) {
            return equals == std::string_view::npos ? std::string()
                                                    : PercentDecoded(pair.substr(equals + 1));
        }
        if (end == std::string_view::npos) {
            break;
        }
        query.remove_prefix(end + 1);
    }
    return {};
}

std::string KeywordOfTarget(std::string_view target) {
    return QueryValue(target, "keyword");
}

FakeMusicService::FakeMusicService(std::string mediaPath) : m_mediaPath(std::move(mediaPath)) {}

FakeMusicService::~FakeMusicService() {
    Stop();
}

std::string FakeMusicService::DefaultMediaPath() {
    return MELVORA_FAKE_SERVICE_MEDIA;
}

bool FakeMusicService::Start(uint16_t port) {
    std::ifstream file(m_mediaPath, std::ios::binary);
    if (!file) {
        return false;
    }
    m_media.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    m_server = std::make_unique<TinyHttpServer>(
        [this](const HttpRequestHead& request) { return Arrive(request); },
        [this](const HttpRequestHead& request) { return Answer(request); });
    if (!m_server->Start(port)) {
        m_server.reset();
        return false;
    }
    return true;
}

void FakeMusicService::Stop() {
    if (m_server) {
        m_server->Stop();
        m_server.reset();
    }
}

uint16_t FakeMusicService::Port() const {
    return m_server ? m_server->Port() : 0;
}

std::string FakeMusicService::HostAndPort() const {
    return "127.0.0.1:" + std::to_string(Port());
}

void FakeMusicService::SetKnobs(const FakeServiceKnobs& knobs) {
    std::lock_guard lock(m_mutex);
    m_knobs = knobs;
}

void FakeMusicService::ArmMediaDrop(const std::string& fileHash, std::size_t bodyBytes) {
    std::lock_guard lock(m_mutex);
    m_armedDrops[fileHash] = bodyBytes;
}

std::vector<HttpRequestHead> FakeMusicService::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void FakeMusicService::ClearRequests() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

bool FakeMusicService::WaitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, limit, [&] { return m_requests.size() >= count; });
}

std::size_t FakeMusicService::RepliesSent() const {
    std::lock_guard lock(m_mutex);
    return m_repliesSent;
}

ReplyFaults FakeMusicService::Arrive(const HttpRequestHead& request) {
    std::lock_guard lock(m_mutex);
    m_requests.push_back(request);
    m_arrived.notify_all();
    ReplyFaults faults{.delay = m_knobs.delay, .dropAfterBodyBytes = m_knobs.dropAfterBodyBytes};
    const std::string_view hash = MediaHashOf(PathOf(request.target));
    if (const auto armed = hash.empty() ? m_armedDrops.end() : m_armedDrops.find(hash);
        armed != m_armedDrops.end()) {
        faults.dropAfterBodyBytes = armed->second;
        m_armedDrops.erase(armed);
    }
    return faults;
}

HttpReply FakeMusicService::Answer(const HttpRequestHead& request) {
    bool answerNotFound = false;
    {
        std::lock_guard lock(m_mutex);
        ++m_repliesSent;
        answerNotFound = m_knobs.answerNotFound;
    }
    const std::string_view path = PathOf(request.target);
    if (answerNotFound) {
        return NotFound();
    }
    if (path == "/song_search_v2") {
        const std::string keyword = KeywordOfTarget(request.target);
        HttpReply reply = JsonReply(SearchReplyBody(keyword));
        for (std::string& line : SearchReplyExtraHeaders(keyword)) {
            reply.headers.push_back(std::move(line));
        }
        return reply;
    }
    if (path == "/yy/index.php" && QueryValue(request.target, "r") == "play/getdata") {
        return JsonReply(PlayDataReplyBody(QueryValue(request.target, "hash"),
                                           QueryValue(request.target, "album_id"), HostAndPort()));
    }
    if (path.starts_with("/media/") && path.ends_with(".mp3")) {
        return AnswerMedia(request);
    }
    return NotFound();
}

HttpReply FakeMusicService::AnswerMedia(const HttpRequestHead& request) const {
    if (MediaHashOf(PathOf(request.target)) == kRedirectToFileHash) {
        return {.status = 302,
                .reason = "Found",
                .headers = {"Location: " + std::string(kLocalFileAddress)}};
    }
    bool ignoreRange = false;
    {
        std::lock_guard lock(m_mutex);
        ignoreRange = m_knobs.ignoreRange;
    }
    const std::string size = std::to_string(m_media.size());
    const std::optional<std::size_t> start =
        ignoreRange ? std::nullopt : RangeStart(request.Header("Range"));
    if (!start) {
        return {.headers = {"Content-Type: audio/mpeg", "Accept-Ranges: bytes"}, .body = m_media};
    }
    if (*start >= m_media.size()) {
        return {.status = 416,
                .reason = "Range Not Satisfiable",
                .headers = {"Content-Range: bytes */" + size}};
    }
    return {.status = 206,
            .reason = "Partial Content",
            .headers = {"Content-Type: audio/mpeg", "Accept-Ranges: bytes",
                        "Content-Range: bytes " + std::to_string(*start) + "-" +
                            std::to_string(m_media.size() - 1) + "/" + size},
            .body = m_media.substr(*start)};
}

}  // namespace melvora::testing
