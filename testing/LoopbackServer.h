#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace melvora::testing {

// One request exactly as it arrived.
struct RecordedRequest {
    // Every byte of the request: request line, header lines, blank line and body.
    std::string raw;
    // The request line and the header lines, each without its CR LF, in the order sent.
    std::string requestLine;
    std::vector<std::string> headerLines;
    // As many bytes as the request's Content-Length announced.
    std::string body;
    // The 0-based number of the accepted connection that carried the request.
    int connection = 0;

    [[nodiscard]] std::string Method() const;
    // The request target: "/path?query", or the absolute URL a client sends to a proxy.
    [[nodiscard]] std::string Target() const;
    // The value of the first header line of that name (case ignored), blanks around it removed.
    [[nodiscard]] std::optional<std::string> Header(std::string_view name) const;
};

// What the server answers to one request.
struct Reply {
    // When set, these bytes go out exactly as they are, in place of the status line, headers
    // and body below (the timing fields still apply).
    std::optional<std::string> raw;
    int status = 200;
    std::string reason = "OK";
    // Sent in order and spelled as given.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // A body served many times without copies (large payloads); used in place of `body`.
    std::shared_ptr<const std::string> sharedBody;
    // Appends "Content-Length: <body size>" to the headers.
    bool addContentLength = true;

    // Waits this long after the request before answering.
    std::chrono::milliseconds delay{0};
    // Reads the request and never answers; the connection stays open until the client or the
    // server's stop closes it.
    bool neverReply = false;
    // Sends the head and only this many body bytes, then closes the connection (or, with
    // `stallAfterCut`, keeps it open and silent).
    std::optional<std::size_t> cutAfterBodyBytes;
    bool stallAfterCut = false;
    // Sends the body in pieces of this many bytes with `tricklePause` before each piece after
    // the first (0: all at once), like a slow server.
    std::size_t trickleBytes = 0;
    std::chrono::milliseconds tricklePause{0};
    // Closes the connection once the reply is out.
    bool closeAfterReply = false;

    static Reply Ok(std::string body, std::string contentType = "text/html");
    static Reply Raw(std::string bytes);
    static Reply Redirect(int status, std::string location);
    static Reply Silence();

    // The status line, header lines and blank line of a structured reply.
    [[nodiscard]] std::string Head() const;
};

// A scripted HTTP/1.1 server on 127.0.0.1 and an ephemeral port, for tests. It records every
// request and answers with the scripted replies first, in order, then with the handler, then
// with a 404. Each connection is served on its own thread, requests on one connection one after
// the other (keep-alive). Destruction stops the server, also while clients are connected or
// replies are waiting.
class LoopbackServer {
public:
    // Called on the server's threads, one call at a time.
    using Handler = std::function<Reply(const RecordedRequest&)>;

    LoopbackServer();
    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    [[nodiscard]] bool IsListening() const { return m_listenFd >= 0; }
    [[nodiscard]] uint16_t Port() const { return m_port; }
    // "127.0.0.1:<port>".
    [[nodiscard]] std::string HostPort() const;
    // "http://127.0.0.1:<port>" followed by `pathAndQuery`.
    [[nodiscard]] std::string Url(std::string_view pathAndQuery = "/") const;

    void Enqueue(Reply reply);
    void SetHandler(Handler handler);

    [[nodiscard]] std::vector<RecordedRequest> Requests() const;
    [[nodiscard]] std::size_t RequestCount() const;
    [[nodiscard]] int ConnectionCount() const;
    // True once `count` requests have arrived; false when `timeout` passes first.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    // True once `count` replies (a cut reply counts once its last byte is out) have been handed
    // to the network; false when `timeout` passes first.
    bool WaitForRepliesSent(std::size_t count, std::chrono::milliseconds timeout) const;

    // Closes the listening socket and every connection and joins every thread. Idempotent.
    void Stop();

private:
    void AcceptLoop();
    void Serve(int connectionFd, int connection);
    Reply NextReply(const RecordedRequest& request);
    bool SendBody(int fd, std::string_view body, const Reply& reply) const;
    bool Stopping() const;

    int m_listenFd = -1;
    // Written once on stop and never drained, so every wait of every thread wakes up for good.
    int m_wakeReadFd = -1;
    int m_wakeWriteFd = -1;
    uint16_t m_port = 0;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_progress;
    bool m_stopping = false;
    std::deque<Reply> m_scripted;
    std::vector<RecordedRequest> m_requests;
    std::size_t m_repliesSent = 0;
    std::map<int, int> m_openConnections;  // connection number -> socket
    int m_connectionCount = 0;
    std::vector<std::thread> m_connectionThreads;

    std::mutex m_handlerMutex;
    Handler m_handler;

    std::thread m_acceptThread;
};

}  // namespace melvora::testing
