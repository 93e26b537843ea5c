#include "testing/fake_service/TinyHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace melvora::testing {

namespace {

constexpr std::size_t kMaxHeadBytes = 64 * 1024;

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Writes all of `bytes`; false when the peer has gone.
bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Reads up to the blank line that ends the request head; empty when the peer closes first.
std::string ReadHead(int fd) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHeadBytes) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return {};
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return head;
}

std::optional<HttpRequestHead> ParseHead(const std::string& head) {
    const std::size_t lineEnd = head.find("\r\n");
    if (lineEnd == std::string::npos) {
        return std::nullopt;
    }
    const std::string_view requestLine(head.data(), lineEnd);
    const std::size_t firstBlank = requestLine.find(' ');
    const std::size_t lastBlank = requestLine.rfind(' ');
    if (firstBlank == std::string_view::npos || lastBlank == firstBlank) {
        return std::nullopt;
    }
    HttpRequestHead request;
    request.method = requestLine.substr(0, firstBlank);
    request.target = requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1);
    const std::size_t headEnd = head.find("\r\n\r\n");
    request.headerLines = head.substr(lineEnd + 2, headEnd + 2 - (lineEnd + 2));
    return request;
}

}  // namespace

std::string HttpRequestHead::Header(const std::string& name) const {
    const std::string wanted = Lower(name) + ":";
    std::string_view rest = headerLines;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view line = rest.substr(0, end);
        if (Lower(line.substr(0, wanted.size())) == wanted) {
            return std::string(Trim(line.substr(wanted.size())));
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 2);
    }
    return {};
}

TinyHttpServer::TinyHttpServer(ArrivalHook onArrival, Handler handler)
    : m_onArrival(std::move(onArrival)), m_handler(std::move(handler)) {}

TinyHttpServer::~TinyHttpServer() {
    Stop();
}

bool TinyHttpServer::Start(uint16_t port) {
    UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener.Valid()) {
        return false;
    }
    const int yes = 1;
    ::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.Get(), 64) != 0) {
        return false;
    }
    socklen_t length = sizeof address;
    if (::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return false;
    }
    m_port = ntohs(address.sin_port);
    m_listener = std::move(listener);
    {
        std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void TinyHttpServer::Stop() {
    if (!m_acceptThread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (const int fd : m_openSockets) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
    m_stopSignal.notify_all();
    // Shutting the listener down makes the blocked accept return.
    ::shutdown(m_listener.Get(), SHUT_RDWR);
    m_acceptThread.join();
    m_listener.Reset();
    std::unique_lock lock(m_mutex);
    m_connectionEnded.wait(lock, [this] { return m_activeConnections == 0; });
}

void TinyHttpServer::AcceptLoop() {
    for (;;) {
        UniqueFd connection(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection.Valid()) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return;
        }
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        ++m_activeConnections;
        m_openSockets.push_back(connection.Get());
        std::thread([this, fd = std::move(connection)]() mutable {
            Serve(std::move(fd));
        }).detach();
    }
}

bool TinyHttpServer::Delay(std::chrono::milliseconds delay) {
    std::unique_lock lock(m_mutex);
    return !m_stopSignal.wait_for(lock, delay, [this] { return m_stopping; });
}

void TinyHttpServer::Serve(UniqueFd connection) {
    const int fd = connection.Get();
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    if (const auto request = ParseHead(ReadHead(fd))) {
        const ReplyFaults faults = m_onArrival(*request);
        if (faults.delay.count() <= 0 || Delay(faults.delay)) {
            const HttpReply reply = m_handler(*request);
            std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason +
                               "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                               "\r\nConnection: close\r\n";
            for (const std::string& line : reply.headers) {
                head += line + "\r\n";
            }
            head += "\r\n";
            std::string_view body = reply.body;
            if (faults.dropAfterBodyBytes) {
                body = body.substr(0, *faults.dropAfterBodyBytes);
            }
            if (SendAll(fd, head) && request->method != "HEAD") {
                SendAll(fd, body);
            }
        }
    }
    std::lock_guard lock(m_mutex);
    m_openSockets.remove(fd);
    connection.Reset();
    --m_activeConnections;
    m_connectionEnded.notify_all();
}

}  // namespace melvora::testing
