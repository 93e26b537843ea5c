#include "http/CurlTransfer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "http/Curl.h"

namespace melvora {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kAllowedProtocols = "http,https";

template <typename Value>
bool Set(CURL* easy, CURLoption option, Value value) {
    return curl_easy_setopt(easy, option, value) == CURLE_OK;
}

// "HTTP/1.1 200 OK" gives 200; anything unreadable gives 0.
long StatusCodeOf(std::string_view statusLine) {
    const auto space = statusLine.find(' ');
    if (space == std::string_view::npos || statusLine.size() < space + 4) {
        return 0;
    }
    long code = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (statusLine[i] < '0' || statusLine[i] > '9') {
            return 0;
        }
        code = code * 10 + (statusLine[i] - '0');
    }
    return code;
}

}  // namespace

struct CurlTransfer::State {
    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    // curl closes its cached connections through OnCloseSocket when the handle goes: the
    // handle must go while the socket list still exists.
    ~State() { easy.reset(); }

    curl::EasyHandle easy{curl_easy_init()};
    curl::HeaderList headerLines;

    // Watched while a transfer runs.
    const CancellationToken* cancellation = nullptr;
    Clock::duration idleLimit = std::chrono::seconds(30);

    // What the running exchange has produced so far.
    TransferResult result;
    bool finalStatusSeen = false;
    bool cancelled = false;
    bool connected = false;
    bool endAfterHeaders = false;
    bool endedAfterHeaders = false;
    Clock::time_point lastActivity;
    curl_off_t lastDownloaded = 0;
    curl_off_t lastUploaded = 0;

    // The sockets curl has open, so a cancellation from another thread can shut them down and
    // wake curl at once instead of at its next progress call (up to a second away). Opening and
    // closing go through us under the lock, so a descriptor is never shut after its reuse.
    std::mutex socketsMutex;
    std::vector<curl_socket_t> openSockets;
    bool socketsShutDown = false;

    static curl_socket_t OnOpenSocket(void* self, curlsocktype /*purpose*/,
                                      curl_sockaddr* address) {
        auto& state = *static_cast<State*>(self);
        std::lock_guard lock(state.socketsMutex);
        if (state.socketsShutDown) {
            return CURL_SOCKET_BAD;
        }
        const curl_socket_t socket =
            ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (socket != CURL_SOCKET_BAD) {
            state.openSockets.push_back(socket);
        }
        return socket;
    }

    static int OnCloseSocket(void* self, curl_socket_t socket) {
        auto& state = *static_cast<State*>(self);
        std::lock_guard lock(state.socketsMutex);
        std::erase(state.openSockets, socket);
        return ::close(socket);
    }

    void ShutDownSockets() {
        std::lock_guard lock(socketsMutex);
        socketsShutDown = true;
        for (const curl_socket_t socket : openSockets) {
            ::shutdown(socket, SHUT_RDWR);
        }
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto& state = *static_cast<State*>(self);
        std::string& body = state.result.body;
        // No exception may cross curl's C frames: a body that does not fit in memory ends the
        // transfer as a broken-off read instead.
        try {
            if (body.empty()) {
                ReserveForAnnouncedLength(state.easy.get(), body);
            }
            body.append(data, size * count);
        } catch (const std::bad_alloc&) {
            return 0;
        }
        state.lastActivity = Clock::now();
        return size * count;
    }

    // Growing a large body step by step copies it over and over; the announced length saves
    // that, within reason, since the announcement is the server's word only.
    static void ReserveForAnnouncedLength(CURL* easy, std::string& body) {
        constexpr curl_off_t kLargestReservation = curl_off_t{256} * 1024 * 1024;
        curl_off_t announced = -1;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
            announced > 0) {
            body.reserve(static_cast<std::size_t>(std::min(announced, kLargestReservation)));
        }
    }

    static size_t OnHeaderLine(char* data, size_t size, size_t count, void* self) {
        auto& state = *static_cast<State*>(self);
        const std::string_view line(data, size * count);
        // Only the last reply's header text counts: a 100 Continue or a proxy's answer before it
        // must not leak into the final headers.
        if (line.starts_with("HTTP/")) {
            state.result.headerText.clear();
            const long code = StatusCodeOf(line);
            state.finalStatusSeen = code >= 200;
        }
        try {
            state.result.headerText.append(line);
        } catch (const std::bad_alloc&) {
            return 0;
        }
        state.lastActivity = Clock::now();
        if (state.endAfterHeaders && state.finalStatusSeen && (line == "\r\n" || line == "\n")) {
            state.endedAfterHeaders = true;
            return 0;
        }
        return size * count;
    }

    static int OnConnected(void* self, char* /*remoteAddress*/, char* /*localAddress*/,
                           int /*remotePort*/, int /*localPort*/) {
        auto& state = *static_cast<State*>(self);
        state.connected = true;
        state.lastActivity = Clock::now();
        return CURL_PREREQFUNC_OK;
    }

    static int OnProgress(void* self, curl_off_t /*downloadTotal*/, curl_off_t downloaded,
                          curl_off_t /*uploadTotal*/, curl_off_t uploaded) {
        auto& state = *static_cast<State*>(self);
        if (state.cancellation != nullptr && state.cancellation->IsCancelled()) {
            state.cancelled = true;
            return 1;
        }
        const Clock::time_point now = Clock::now();
        if (downloaded != state.lastDownloaded || uploaded != state.lastUploaded) {
            state.lastDownloaded = downloaded;
            state.lastUploaded = uploaded;
            state.lastActivity = now;
        }
        // Before the connection stands, the connect time-out is the one that counts.
        if (state.connected && now - state.lastActivity > state.idleLimit) {
            return 1;
        }
        return 0;
    }
};

CurlTransfer::CurlTransfer() : m_state(std::make_unique<State>()) {
    CURL* easy = m_state->easy.get();
    if (easy == nullptr) {
        return;
    }
    // Options that make the handle ours rather than curl's defaults: no signals (we run on worker
    // threads), HTTP/1.1 (the status line is read at fixed byte offsets), bodies as they came.
    const bool ready = Set(easy, CURLOPT_NOSIGNAL, 1L) &&
                       Set(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
                       Set(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L) &&
                       Set(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) &&
                       Set(easy, CURLOPT_PROTOCOLS_STR, kAllowedProtocols) &&
                       Set(easy, CURLOPT_WRITEFUNCTION, &State::OnBody) &&
                       Set(easy, CURLOPT_WRITEDATA, m_state.get()) &&
                       Set(easy, CURLOPT_HEADERFUNCTION, &State::OnHeaderLine) &&
                       Set(easy, CURLOPT_HEADERDATA, m_state.get()) &&
                       Set(easy, CURLOPT_OPENSOCKETFUNCTION, &State::OnOpenSocket) &&
                       Set(easy, CURLOPT_OPENSOCKETDATA, m_state.get()) &&
                       Set(easy, CURLOPT_CLOSESOCKETFUNCTION, &State::OnCloseSocket) &&
                       Set(easy, CURLOPT_CLOSESOCKETDATA, m_state.get());
    if (!ready) {
        m_state->easy.reset();
    }
}

CurlTransfer::~CurlTransfer() = default;

bool CurlTransfer::IsOpen() const {
    return m_state->easy != nullptr;
}

bool CurlTransfer::SetProxy(const std::string& proxy) {
    CURL* easy = m_state->easy.get();
    // An empty proxy text switches proxies off, including those named by http_proxy and
    // friends; an empty no-proxy list keeps no_proxy from the environment out as well.
    return Set(easy, CURLOPT_PROXY, proxy.c_str()) && Set(easy, CURLOPT_NOPROXY, "");
}

bool CurlTransfer::SetRequest(const std::string& url, std::string_view verb, std::string_view body,
                              bool sendBody) {
    CURL* easy = m_state->easy.get();
    // Start every exchange from a plain GET, so nothing of the previous hop's verb remains.
    if (!Set(easy, CURLOPT_URL, url.c_str()) ||
        !Set(easy, CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr)) ||
        !Set(easy, CURLOPT_NOBODY, 0L) || !Set(easy, CURLOPT_HTTPGET, 1L)) {
        return false;
    }
    // curl's no-body flag for HEAD would also drop a request body; a HEAD that carries one is
    // sent as a named verb instead, and its transfer ends with the reply's headers.
    m_state->endAfterHeaders = verb == "HEAD" && sendBody;
    if (verb == "HEAD" && !sendBody && !Set(easy, CURLOPT_NOBODY, 1L)) {
        return false;
    }
    if (sendBody) {
        // The body goes out as curl's POST fields; a verb other than POST is then named
        // explicitly.
        if (!Set(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) ||
            !Set(easy, CURLOPT_COPYPOSTFIELDS, std::string(body).c_str())) {
            return false;
        }
        if (verb != "POST" && !Set(easy, CURLOPT_CUSTOMREQUEST, std::string(verb).c_str())) {
            return false;
        }
    }
    return true;
}

bool CurlTransfer::SetTimeouts(int32_t milliseconds, const CancellationToken* cancellation) {
    CURL* easy = m_state->easy.get();
    m_state->cancellation = cancellation;
    m_state->idleLimit = std::chrono::milliseconds(milliseconds);
    return Set(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(milliseconds)) &&
           Set(easy, CURLOPT_XFERINFOFUNCTION, &State::OnProgress) &&
           Set(easy, CURLOPT_XFERINFODATA, m_state.get()) && Set(easy, CURLOPT_NOPROGRESS, 0L) &&
           Set(easy, CURLOPT_PREREQFUNCTION, &State::OnConnected) &&
           Set(easy, CURLOPT_PREREQDATA, m_state.get());
}

bool CurlTransfer::SetServerCredentials(const std::string& userName, const std::string& password) {
    CURL* easy = m_state->easy.get();
    if (userName.empty() || password.empty()) {
        return Set(easy, CURLOPT_USERNAME, static_cast<const char*>(nullptr)) &&
               Set(easy, CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
    }
    return Set(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
           Set(easy, CURLOPT_USERNAME, userName.c_str()) &&
           Set(easy, CURLOPT_PASSWORD, password.c_str());
}

bool CurlTransfer::SetProxyCredentials(const std::string& userName, const std::string& password) {
    CURL* easy = m_state->easy.get();
    if (userName.empty() || password.empty()) {
        return true;
    }
    return Set(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
           Set(easy, CURLOPT_PROXYUSERNAME, userName.c_str()) &&
           Set(easy, CURLOPT_PROXYPASSWORD, password.c_str());
}

bool CurlTransfer::DisableRedirects() {
    CURL* easy = m_state->easy.get();
    // The caller follows redirects hop by hop, since the proxy may differ between hops; the
    // protocol list still guards any redirect curl might be asked to take.
    return Set(easy, CURLOPT_FOLLOWLOCATION, 0L) &&
           Set(easy, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
}

bool CurlTransfer::SetHeaderLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (!m_state->headerLines.Append(line)) {
            return false;
        }
    }
    return Set(m_state->easy.get(), CURLOPT_HTTPHEADER, m_state->headerLines.get());
}

TransferResult CurlTransfer::Perform() {
    State& state = *m_state;
    state.result = TransferResult();
    state.finalStatusSeen = false;
    state.cancelled = false;
    state.connected = false;
    state.endedAfterHeaders = false;
    state.lastActivity = Clock::now();
    state.lastDownloaded = 0;
    state.lastUploaded = 0;

    CURL* easy = state.easy.get();
    CURLcode code = CURLE_ABORTED_BY_CALLBACK;
    {
        std::optional<CancellationToken::Registration> interrupt;
        if (state.cancellation != nullptr) {
            interrupt.emplace(state.cancellation->OnCancel([&state] { state.ShutDownSockets(); }));
        }
        code = curl_easy_perform(easy);
    }

    TransferResult result = std::move(state.result);
    // A shut-down socket makes curl report a broken connection; it was the cancellation.
    result.cancelled =
        state.cancelled || (state.cancellation != nullptr && state.cancellation->IsCancelled());
    long requestSize = 0;
    curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &requestSize);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &result.statusCode);
    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && state.endedAfterHeaders)) {
        result.stage = TransferStage::Complete;
        char* redirectUrl = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &redirectUrl) == CURLE_OK &&
            redirectUrl != nullptr) {
            result.redirectUrl = redirectUrl;
        }
    } else if (state.finalStatusSeen) {
        result.stage = TransferStage::ReplyBrokenOff;
    } else if (state.connected && requestSize > 0) {
        // A proxy's CONNECT counts in the request size too; only a connection that stood (tunnel
        // and TLS included) had the request itself go out.
        result.stage = TransferStage::SentWithoutReply;
    } else {
        result.stage = TransferStage::NotSent;
    }
    return result;
}

}  // namespace melvora
