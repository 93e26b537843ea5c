#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "http/HttpFetch.h"

namespace melvora {

// A loopback port that refuses connections for as long as the object lives: the socket is bound
// (so nobody else gets the port) but never listens.
class ClosedPort {
public:
    ClosedPort() {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd >= 0 && bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            m_port = ntohs(address.sin_port);
        }
    }
    ~ClosedPort() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    [[nodiscard]] uint16_t Port() const { return m_port; }
    [[nodiscard]] std::string Url(const std::string& path = "/") const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

// Out-variables preset to values a fetch must not leave as they are unless it really sets them.
inline HttpFetchVariables SentinelVariables() {
    HttpFetchVariables variables;
    variables.returnedCookies = "before=1";
    variables.responseHeaders = "old headers";
    variables.location = "old location";
    variables.statusText = "old status";
    variables.rawBody = Bytes(std::string_view("old body"));
    return variables;
}

}  // namespace melvora
