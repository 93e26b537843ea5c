#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "testing/fake_service/UniqueFd.h"

namespace melvora::testing {

struct HttpRequestHead {
    std::string method;
    // The request target exactly as it came on the request line.
    std::string target;
    // The header lines as received, each ending in CR LF.
    std::string headerLines;

    // The value of the first header called `name` (any letter case), trimmed; empty when absent.
    [[nodiscard]] std::string Header(const std::string& name) const;
};

struct HttpReply {
    int status = 200;
    std::string reason = "OK";
    // Header lines without Content-Length and Connection, which the server adds.
    std::vector<std::string> headers;
    std::string body;
};

// How replies go wrong on purpose.
struct ReplyFaults {
    std::chrono::milliseconds delay{0};
    // Closes the connection after this many body bytes, the header still promising all of them.
    std::optional<std::size_t> dropAfterBodyBytes;
};

// A minimal HTTP/1.1 server on 127.0.0.1 for tests: one thread per connection, one request per
// connection ("Connection: close"). The hook and the handler run on the connection's thread;
// the handler runs once the delay is over, just before the reply goes out.
class TinyHttpServer {
public:
    using Handler = std::function<HttpReply(const HttpRequestHead&)>;
    // Runs as soon as a request head has arrived, before any delay; answers how to misbehave.
    using ArrivalHook = std::function<ReplyFaults(const HttpRequestHead&)>;

    TinyHttpServer(ArrivalHook onArrival, Handler handler);
    ~TinyHttpServer();
    TinyHttpServer(const TinyHttpServer&) = delete;
    TinyHttpServer& operator=(const TinyHttpServer&) = delete;

    // Binds an ephemeral port (or `port`) on 127.0.0.1; false when that fails.
    bool Start(uint16_t port = 0);
    // Cuts every open connection, ends any pending delay and joins all threads.
    void Stop();
    [[nodiscard]] uint16_t Port() const { return m_port; }

private:
    void AcceptLoop();
    void Serve(UniqueFd connection);
    // Waits out the delay; false when the server stops first.
    bool Delay(std::chrono::milliseconds delay);

    ArrivalHook m_onArrival;
    Handler m_handler;
    UniqueFd m_listener;
    uint16_t m_port = 0;
    std::thread m_acceptThread;

    std::mutex m_mutex;
    std::condition_variable m_stopSignal;
    bool m_stopping = false;
    // Sockets of the connections being served, so Stop can cut them.
    std::list<int> m_openSockets;
    // Connection threads run detached (a benchmark opens thousands); Stop waits for this to be 0.
    int m_activeConnections = 0;
    std::condition_variable m_connectionEnded;
};

}  // namespace melvora::testing
