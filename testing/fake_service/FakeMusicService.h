#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testing/fake_service/TinyHttpServer.h"

namespace melvora::testing {

// Ways the service misbehaves on purpose; they apply to every request from the moment they are
// set.
struct FakeServiceKnobs {
    // Waited before each reply.
    std::chrono::milliseconds delay{0};
    // The connection closes after this many body bytes, the header still promising them all.
    std::optional<std::size_t> dropAfterBodyBytes;
    // Media requests with a Range line get the whole file with 200.
    bool ignoreRange = false;
    // Every request is answered with 404.
    bool answerNotFound = false;
};

// The music service on 127.0.0.1, offline: the song search (/song_search_v2), the play data
// (/yy/index.php?r=play/getdata) and the tracks (/media/HASH.mp3, with byte ranges). Replies have
// the shape of the real ones; the hits come from FakeCatalogue.h. Every request is recorded.
class FakeMusicService {
public:
    // `mediaPath`: the MP3 served for every track.
    explicit FakeMusicService(std::string mediaPath = DefaultMediaPath());
    ~FakeMusicService();
    FakeMusicService(const FakeMusicService&) = delete;
    FakeMusicService& operator=(const FakeMusicService&) = delete;

    // Loads the MP3 and listens on `port` (0: an ephemeral one); false when either fails.
    bool Start(uint16_t port = 0);
    void Stop();
    [[nodiscard]] uint16_t Port() const;
    // "127.0.0.1:PORT", the form MELVORA_SEARCH_HOST and MELVORA_PLAY_HOST take.
    [[nodiscard]] std::string HostAndPort() const;

    void SetKnobs(const FakeServiceKnobs& knobs);
    // The next request for the track of `fileHash` is cut after `bodyBytes` body bytes, its header
    // still promising them all; later requests for it are served whole again. Arming the same
    // track twice keeps the later count.
    void ArmMediaDrop(const std::string& fileHash, std::size_t bodyBytes);
    // Requests in the order they arrived (recorded on arrival, before any delay).
    [[nodiscard]] std::vector<HttpRequestHead> Requests() const;
    void ClearRequests();
    // True once `count` requests have arrived; false when `limit` passes first.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds limit) const;
    // Replies that were put on the wire (a request still in its delay has none).
    [[nodiscard]] std::size_t RepliesSent() const;
    [[nodiscard]] const std::string& MediaBytes() const { return m_media; }

    // The MP3 made by the build beside the service.
    static std::string DefaultMediaPath();

private:
    ReplyFaults Arrive(const HttpRequestHead& request);
    HttpReply Answer(const HttpRequestHead& request);
    HttpReply AnswerMedia(const HttpRequestHead& request) const;

    std::string m_mediaPath;
    std::string m_media;
    std::unique_ptr<TinyHttpServer> m_server;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    FakeServiceKnobs m_knobs;
    // File hash -> body bytes of the one reply still to be cut.
    std::map<std::string, std::size_t, std::less<>> m_armedDrops;
    std::vector<HttpRequestHead> m_requests;
    std::size_t m_repliesSent = 0;
};

// The keyword of a search request target, percent escapes decoded (UTF-8 on the wire).
std::string KeywordOfTarget(std::string_view target);
// The value of `key` in the query of `target`, percent escapes decoded; empty when absent.
std::string QueryValue(std::string_view target, std::string_view key);

}  // namespace melvora::testing
