#include "testing/LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace melvora::testing {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kEndOfHead = "\r\n\r\n";
constexpr std::size_t kReadChunk = 64 * 1024;

bool SameIgnoringCase(std::string_view left, std::string_view right) {
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) {
               const auto fold = [](char c) {
                   return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
               };
               return fold(a) == fold(b);
           });
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// What one wait on a socket ended with.
enum class Wakeup { Ready, Stopped, TimedOut };

// Waits until `fd` is readable (or, with `forWriting`, writable), the server stops, or
// `timeoutMs` (-1: never) passes.
Wakeup WaitFor(int fd, int wakeFd, int timeoutMs, bool forWriting = false) {
    pollfd fds[2] = {{fd, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0},
                     {wakeFd, POLLIN, 0}};
    const int count = fd >= 0 ? 2 : 1;
    pollfd* first = fd >= 0 ? &fds[0] : &fds[1];
    while (true) {
        const int ready = poll(first, static_cast<nfds_t>(count), timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return ready == 0 ? Wakeup::TimedOut : Wakeup::Stopped;
        }
        if (fds[1].revents != 0) {
            return Wakeup::Stopped;
        }
        return Wakeup::Ready;
    }
}

// Sends every byte unless the peer goes away or the server stops.
bool SendAll(int fd, int wakeFd, std::string_view bytes) {
    while (!bytes.empty()) {
        if (WaitFor(fd, wakeFd, -1, true) != Wakeup::Ready) {
            return false;
        }
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Reads and drops whatever arrives until the peer closes or the server stops.
void DrainUntilClosed(int fd, int wakeFd) {
    char sink[4096];
    while (WaitFor(fd, wakeFd, -1) == Wakeup::Ready) {
        const ssize_t got = recv(fd, sink, sizeof sink, 0);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            return;
        }
    }
}

class Socket {
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    [[nodiscard]] int get() const { return m_fd; }

private:
    int m_fd;
};

std::size_t ContentLengthOf(const RecordedRequest& request) {
    const std::optional<std::string> value = request.Header("Content-Length");
    std::size_t length = 0;
    if (value) {
        std::from_chars(value->data(), value->data() + value->size(), length);
    }
    return length;
}

RecordedRequest ParseHead(std::string_view head) {
    RecordedRequest request;
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < head.size()) {
        const auto lineEnd = std::min(head.find(kCrLf, lineStart), head.size());
        const std::string_view line = head.substr(lineStart, lineEnd - lineStart);
        if (line.empty()) {
            break;
        }
        if (first) {
            request.requestLine = line;
            first = false;
        } else {
            request.headerLines.emplace_back(line);
        }
        lineStart = lineEnd + kCrLf.size();
    }
    return request;
}

bool WantsClose(const RecordedRequest& request) {
    const std::optional<std::string> connection = request.Header("Connection");
    return (connection && SameIgnoringCase(*connection, "close")) ||
           request.requestLine.ends_with("HTTP/1.0");
}

}  // namespace

std::string RecordedRequest::Method() const {
    return requestLine.substr(0, requestLine.find(' '));
}

std::string RecordedRequest::Target() const {
    const auto first = requestLine.find(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto second = requestLine.find(' ', first + 1);
    return requestLine.substr(first + 1, second == std::string::npos ? second : second - first - 1);
}

std::optional<std::string> RecordedRequest::Header(std::string_view name) const {
    for (const std::string& line : headerLines) {
        const auto colon = line.find(':');
        if (colon != std::string::npos &&
            SameIgnoringCase(std::string_view(line).substr(0, colon), name)) {
            return std::string(TrimBlanks(std::string_view(line).substr(colon + 1)));
        }
    }
    return std::nullopt;
}

Reply Reply::Ok(std::string body, std::string contentType) {
    Reply reply;
    reply.headers.emplace_back("Content-Type", std::move(contentType));
    reply.body = std::move(body);
    return reply;
}

Reply Reply::Raw(std::string bytes) {
    Reply reply;
    reply.raw = std::move(bytes);
    return reply;
}

Reply Reply::Redirect(int status, std::string location) {
    Reply reply;
    reply.status = status;
    reply.reason = status == 301 ? "Moved Permanently" : status == 303 ? "See Other" : "Found";
    reply.headers.emplace_back("Location", std::move(location));
    return reply;
}

Reply Reply::Silence() {
    Reply reply;
    reply.neverReply = true;
    return reply;
}

std::string Reply::Head() const {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    for (const auto& [name, value] : headers) {
        head += name + ": " + value + "\r\n";
    }
    if (addContentLength) {
        const std::size_t length = sharedBody ? sharedBody->size() : body.size();
        head += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    return head + "\r\n";
}

LoopbackServer::LoopbackServer() : LoopbackServer(Handler()) {}

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        return;
    }
    m_wakeReadFd = wake[0];
    m_wakeWriteFd = wake[1];

    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return;
    }
    m_listenFd = fd;
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    Stop();
    if (m_wakeReadFd >= 0) {
        close(m_wakeReadFd);
    }
    if (m_wakeWriteFd >= 0) {
        close(m_wakeWriteFd);
    }
}

std::string LoopbackServer::HostPort() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string LoopbackServer::Url(std::string_view pathAndQuery) const {
    return "http://" + HostPort() + std::string(pathAndQuery);
}

void LoopbackServer::Enqueue(Reply reply) {
    const std::lock_guard lock(m_mutex);
    m_scripted.push_back(std::move(reply));
}

void LoopbackServer::SetHandler(Handler handler) {
    const std::lock_guard lock(m_handlerMutex);
    m_handler = std::move(handler);
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t LoopbackServer::RequestCount() const {
    const std::lock_guard lock(m_mutex);
    return m_requests.size();
}

int LoopbackServer::ConnectionCount() const {
    const std::lock_guard lock(m_mutex);
    return m_connectionCount;
}

bool LoopbackServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_progress.wait_for(lock, timeout, [&] { return m_requests.size() >= count; });
}

bool LoopbackServer::WaitForRepliesSent(std::size_t count,
                                        std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_progress.wait_for(lock, timeout, [&] { return m_repliesSent >= count; });
}

void LoopbackServer::Stop() {
    std::vector<std::thread> connectionThreads;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_stopping = true;
        // Unblocks a reply stuck in a send to a client that no longer reads.
        for (const auto& [connection, fd] : m_openConnections) {
            shutdown(fd, SHUT_RDWR);
        }
    }
    if (m_wakeWriteFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(m_wakeWriteFd, &byte, 1);
    }
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    {
        // No thread is added any more: the accept loop has ended.
        const std::lock_guard lock(m_mutex);
        connectionThreads.swap(m_connectionThreads);
    }
    for (std::thread& thread : connectionThreads) {
        thread.join();
    }
    if (m_listenFd >= 0) {
        close(m_listenFd);
        m_listenFd = -1;
    }
}

bool LoopbackServer::Stopping() const {
    const std::lock_guard lock(m_mutex);
    return m_stopping;
}

void LoopbackServer::AcceptLoop() {
    while (WaitFor(m_listenFd, m_wakeReadFd, -1) == Wakeup::Ready) {
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            close(fd);
            return;
        }
        // A reply goes out in two writes (head, body); without this the second one would wait for
        // the client's delayed acknowledgement.
        const int noDelay = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        const int connection = m_connectionCount++;
        m_openConnections[connection] = fd;
        m_connectionThreads.emplace_back([this, fd, connection] { Serve(fd, connection); });
    }
}

Reply LoopbackServer::NextReply(const RecordedRequest& request) {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_scripted.empty()) {
            Reply reply = std::move(m_scripted.front());
            m_scripted.pop_front();
            return reply;
        }
    }
    const std::lock_guard lock(m_handlerMutex);
    if (m_handler) {
        return m_handler(request);
    }
    Reply notFound = Reply::Ok("no scripted reply", "text/plain");
    notFound.status = 404;
    notFound.reason = "Not Found";
    return notFound;
}

bool LoopbackServer::SendBody(int fd, std::string_view body, const Reply& reply) const {
    if (reply.trickleBytes == 0) {
        return SendAll(fd, m_wakeReadFd, body);
    }
    for (std::size_t offset = 0; offset < body.size(); offset += reply.trickleBytes) {
        if (offset > 0 && reply.tricklePause.count() > 0 &&
            WaitFor(-1, m_wakeReadFd, static_cast<int>(reply.tricklePause.count())) ==
                Wakeup::Stopped) {
            return false;
        }
        if (!SendAll(fd, m_wakeReadFd, body.substr(offset, reply.trickleBytes))) {
            return false;
        }
    }
    return true;
}

void LoopbackServer::Serve(int connectionFd, int connection) {
    const Socket socket(connectionFd);
    std::string received;
    bool open = true;
    while (open && !Stopping()) {
        // Gather one whole request: the head, then as many body bytes as it announces.
        std::size_t headEnd = received.find(kEndOfHead);
        std::optional<RecordedRequest> request;
        while (!request) {
            if (headEnd != std::string::npos) {
                RecordedRequest parsed = ParseHead(std::string_view(received).substr(0, headEnd));
                const std::size_t total = headEnd + kEndOfHead.size() + ContentLengthOf(parsed);
                if (received.size() >= total) {
                    parsed.raw = received.substr(0, total);
                    parsed.body = received.substr(headEnd + kEndOfHead.size(),
                                                  total - headEnd - kEndOfHead.size());
                    parsed.connection = connection;
                    received.erase(0, total);
                    request = std::move(parsed);
                    break;
                }
            }
            if (WaitFor(socket.get(), m_wakeReadFd, -1) != Wakeup::Ready) {
                open = false;
                break;
            }
            char chunk[kReadChunk];
            const ssize_t got = recv(socket.get(), chunk, sizeof chunk, 0);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                open = false;
                break;
            }
            received.append(chunk, static_cast<std::size_t>(got));
            headEnd = received.find(kEndOfHead);
        }
        if (!request) {
            break;
        }
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back(*request);
        }
        m_progress.notify_all();

        const Reply reply = NextReply(*request);
        if (reply.delay.count() > 0 &&
            WaitFor(-1, m_wakeReadFd, static_cast<int>(reply.delay.count())) == Wakeup::Stopped) {
            break;
        }
        if (reply.neverReply) {
            DrainUntilClosed(socket.get(), m_wakeReadFd);
            break;
        }
        const std::string head = reply.raw ? std::string() : reply.Head();
        const std::string_view body =
            reply.raw ? std::string_view(*reply.raw)
                      : (reply.sharedBody ? std::string_view(*reply.sharedBody) : reply.body);
        // For a raw reply the body is whatever follows its blank line.
        std::size_t bodyStart = 0;
        if (reply.raw) {
            const auto end = reply.raw->find(kEndOfHead);
            bodyStart = end == std::string::npos ? reply.raw->size() : end + kEndOfHead.size();
        }
        std::size_t bodyEnd = body.size();
        if (reply.cutAfterBodyBytes) {
            bodyEnd = std::min(body.size(), bodyStart + *reply.cutAfterBodyBytes);
        }
        if (!SendAll(socket.get(), m_wakeReadFd, head) ||
            !SendBody(socket.get(), body.substr(0, bodyEnd), reply)) {
            break;
        }
        {
            const std::lock_guard lock(m_mutex);
            ++m_repliesSent;
        }
        m_progress.notify_all();
        if (reply.cutAfterBodyBytes) {
            if (reply.stallAfterCut) {
                DrainUntilClosed(socket.get(), m_wakeReadFd);
            }
            break;
        }
        open = !reply.closeAfterReply && !WantsClose(*request);
    }
    const std::lock_guard lock(m_mutex);
    m_openConnections.erase(connection);
}

}  // namespace melvora::testing
