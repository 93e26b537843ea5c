// The test server's own promises, which every loopback test relies on.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "testing/LoopbackServer.h"

namespace melvora::testing {
namespace {

using namespace std::chrono_literals;

// A bare client socket, so the test controls every byte.
class RawClient {
public:
    explicit RawClient(uint16_t port) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { close(m_fd); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    [[nodiscard]] bool Connected() const { return m_connected; }
    void Send(const std::string& bytes) const {
        ASSERT_EQ(send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // Reads until the server closes.
    std::string ReadAll() const {
        std::string all;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = recv(m_fd, buffer, sizeof buffer, 0)) > 0) {
            all.append(buffer, static_cast<std::size_t>(got));
        }
        return all;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

TEST(LoopbackServerTest, RecordsRequestsByteForByteAndAnswersInScriptOrder) {
    LoopbackServer server;
    ASSERT_TRUE(server.IsListening());
    server.Enqueue(Reply::Raw("HTTP/1.1 200 OK\r\ncontent-LENGTH: 1\r\n\r\na"));
    Reply second = Reply::Ok("bc", "text/plain");
    second.closeAfterReply = true;
    server.Enqueue(second);

    const RawClient client(server.Port());
    ASSERT_TRUE(client.Connected());
    const std::string first = "POST /a HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nxyz";
    const std::string next = "GET /b HTTP/1.1\r\nx-lower: 1\r\n\r\n";
    client.Send(first + next);
    EXPECT_EQ(client.ReadAll(),
              "HTTP/1.1 200 OK\r\ncontent-LENGTH: 1\r\n\r\na"
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\nbc");

    const std::vector<RecordedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].raw, first);
    EXPECT_EQ(requests[0].requestLine, "POST /a HTTP/1.1");
    EXPECT_EQ(requests[0].headerLines, (std::vector<std::string>{"Host: x", "Content-Length: 3"}));
    EXPECT_EQ(requests[0].body, "xyz");
    EXPECT_EQ(requests[1].raw, next);
    EXPECT_EQ(requests[1].Target(), "/b");
    EXPECT_EQ(requests[1].Header("X-LOWER"), "1");
}

TEST(LoopbackServerTest, CutReplyEndsAfterTheGivenBodyBytes) {
    LoopbackServer server;
    Reply reply = Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789");
    reply.cutAfterBodyBytes = 4;
    server.Enqueue(reply);
    const RawClient client(server.Port());
    client.Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.ReadAll(), "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123");
}

TEST(LoopbackServerTest, StopsWhileClientsHoldConnectionsOpen) {
    auto server = std::make_unique<LoopbackServer>();
    server->Enqueue(Reply::Silence());
    const RawClient silent(server->Port());
    const RawClient idle(server->Port());
    silent.Send("GET / HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(server->WaitForRequests(1, 10s));
    server.reset();
    EXPECT_EQ(silent.ReadAll(), "");
    EXPECT_EQ(idle.ReadAll(), "");
}

TEST(LoopbackServerTest, ServesANewConnectionWhileAnOldOneIdles) {
    LoopbackServer server([](const RecordedRequest& request) {
        Reply reply = Reply::Ok(request.Target(), "text/plain");
        reply.closeAfterReply = true;
        return reply;
    });
    const RawClient idle(server.Port());
    const RawClient active(server.Port());
    active.Send("GET /second HTTP/1.1\r\n\r\n");
    EXPECT_EQ(active.ReadAll(),
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 7\r\n\r\n/second");
    EXPECT_EQ(server.ConnectionCount(), 2);
}

}  // namespace
}  // namespace melvora::testing
