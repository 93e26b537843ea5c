// What a fetch puts on the wire, read back from a real server (or proxy) on the loopback
// interface.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "http/FetchTestSupport.h"
#include "http/HttpFetch.h"
#include "testing/LoopbackServer.h"

namespace melvora {
namespace {

using namespace literals;
using testing::LoopbackServer;
using testing::RecordedRequest;
using testing::Reply;
using Lines = std::vector<std::string>;

const std::string kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
const Lines kDefaultLines{kUserAgent,
                          "Accept: text/html, application/xhtml+xml, */*",
                          "Accept-Encoding: gbk, GB2312",
                          "Accept-Language: zh-cn",
                          "Content-Type: application/x-www-form-urlencoded",
                          "Cache-Control: no-cache"};

Lines Concat(Lines first, const Lines& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class HttpFetchWireTest : public ::testing::Test {
protected:
    HttpFetchWireTest() {
        m_server.SetHandler([](const RecordedRequest&) { return Reply::Ok("ok"); });
    }

    Text Url(const std::string& path = "/") const { return Text(m_server.Url(path)); }
    std::string HostLine() const { return "Host: " + m_server.HostPort(); }

    // The one request the server received.
    RecordedRequest OnlyRequest() const {
        const std::vector<RecordedRequest> requests = m_server.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? RecordedRequest() : requests.front();
    }

    LoopbackServer m_server;
};

TEST_F(HttpFetchWireTest, GetCarriesExactlyHostAndTheSixDefaultLines) {
    HttpFetch({.url = Url("/page?x=1")});
    const RecordedRequest request = OnlyRequest();
    EXPECT_EQ(request.requestLine, "GET /page?x=1 HTTP/1.1");
    EXPECT_EQ(request.headerLines, Concat({HostLine()}, kDefaultLines));
    EXPECT_EQ(request.body, "");
}

TEST_F(HttpFetchWireTest, PostAddsOnlyTheBodyLength) {
    HttpFetch({.url = Url("/form"), .method = 1, .body = "a=1&b=2"});
    const RecordedRequest request = OnlyRequest();
    EXPECT_EQ(request.requestLine, "POST /form HTTP/1.1");
    EXPECT_EQ(request.headerLines,
              Concat(Concat({HostLine()}, kDefaultLines), {"Content-Length: 7"}));
    EXPECT_EQ(request.body, "a=1&b=2");
}

TEST_F(HttpFetchWireTest, CallersLinesComeFirstAsWritten) {
    HttpFetch(
        {.url = Url(), .extraHeaders = "x-Trace: 1\r\nuser-agent: Mine\r\nReferer: http://r/"});
    EXPECT_EQ(
        OnlyRequest().headerLines,
        (Lines{HostLine(), "x-Trace: 1", "user-agent: Mine", "Referer: http://r/",
               "Accept: text/html, application/xhtml+xml, */*", "Accept-Encoding: gbk, GB2312",
               "Accept-Language: zh-cn", "Content-Type: application/x-www-form-urlencoded",
               "Cache-Control: no-cache"}));
}

TEST_F(HttpFetchWireTest, LineThatHidesAcceptAddsNoAcceptOfCurlsOwn) {
    HttpFetch({.url = Url(), .extraHeaders = "X-Accept: none"});
    for (const std::string& line : OnlyRequest().headerLines) {
        EXPECT_FALSE(line.starts_with("Accept:")) << line;
    }
}

TEST_F(HttpFetchWireTest, CookieTextGoesOutAsTheLastLine) {
    HttpFetchVariables v;
    v.cookies = Text("a=1; b=2");
    HttpFetch({.url = Url()}, v);
    EXPECT_EQ(OnlyRequest().headerLines,
              Concat(Concat({HostLine()}, kDefaultLines), {"Cookie: a=1; b=2"}));
}

TEST_F(HttpFetchWireTest, ChineseKeywordGoesOutAsEscapedUtf8) {
    HttpFetch({.url = Url("/song_search_v2?&keyword=") + "周杰伦"_gbk + Text("&page=1")});
    EXPECT_EQ(OnlyRequest().requestLine,
              "GET /song_search_v2?&keyword=%E5%91%A8%E6%9D%B0%E4%BC%A6&page=1 HTTP/1.1");
}

TEST_F(HttpFetchWireTest, BlankKeywordGoesOutEscaped) {
    HttpFetch({.url = Url("/song_search_v2?&keyword= &page=1")});
    EXPECT_EQ(OnlyRequest().requestLine, "GET /song_search_v2?&keyword=%20&page=1 HTTP/1.1");
}

TEST_F(HttpFetchWireTest, QueryWithoutPathIsDropped) {
    HttpFetch({.url = Text("http://" + m_server.HostPort() + "?dropped=1")});
    EXPECT_EQ(OnlyRequest().requestLine, "GET / HTTP/1.1");
}

struct MethodCase {
    int32_t method;
    std::string body;
    std::string requestLine;
};

class MethodTest : public HttpFetchWireTest, public ::testing::WithParamInterface<MethodCase> {};

TEST_P(MethodTest, SendsTheVerbAndTheBodyWhateverTheVerb) {
    const MethodCase& c = GetParam();
    HttpFetchVariables v;
    HttpFetch({.url = Url("/m"), .method = c.method, .body = Text(c.body)}, v);
    const RecordedRequest request = OnlyRequest();
    EXPECT_EQ(request.requestLine, c.requestLine);
    EXPECT_EQ(request.body, c.body);
    const std::optional<std::string> length = request.Header("Content-Length");
    if (c.body.empty() && request.Method() != "POST" && request.Method() != "PUT") {
        EXPECT_FALSE(length.has_value());
    } else {
        EXPECT_EQ(length, std::to_string(c.body.size()));
    }
    EXPECT_EQ(v.statusText, Text("200 OK"));
}

INSTANTIATE_TEST_SUITE_P(Table, MethodTest,
                         ::testing::Values(MethodCase{0, "", "GET /m HTTP/1.1"},
                                           MethodCase{1, "", "POST /m HTTP/1.1"},
                                           MethodCase{1, "k=v", "POST /m HTTP/1.1"},
                                           MethodCase{2, "", "HEAD /m HTTP/1.1"},
                                           MethodCase{3, "put", "PUT /m HTTP/1.1"},
                                           MethodCase{7, "", "GET /m HTTP/1.1"},
                                           MethodCase{-1, "", "GET /m HTTP/1.1"},
                                           MethodCase{0, "x=1", "GET /m HTTP/1.1"},
                                           MethodCase{2, "h=1", "HEAD /m HTTP/1.1"}));

TEST_F(HttpFetchWireTest, ServerCredentialsNeedBothParts) {
    HttpFetch({.url = Url(), .userName = "user", .password = "pass"});
    HttpFetch({.url = Url(), .userName = "user"});
    const std::vector<RecordedRequest> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("Authorization"), "Basic dXNlcjpwYXNz");
    EXPECT_FALSE(requests[1].Header("Authorization").has_value());
}

TEST_F(HttpFetchWireTest, ServerCredentialsDoNotFollowARedirectToAnotherServer) {
    LoopbackServer other;
    other.SetHandler([](const RecordedRequest&) { return Reply::Ok("other"); });
    m_server.SetHandler(
        [&](const RecordedRequest&) { return Reply::Redirect(302, other.Url("/x")); });
    EXPECT_EQ(HttpFetch({.url = Url(), .userName = "user", .password = "pass"}), Text("other"));
    EXPECT_TRUE(OnlyRequest().Header("Authorization").has_value());
    ASSERT_EQ(other.RequestCount(), 1u);
    EXPECT_FALSE(other.Requests()[0].Header("Authorization").has_value());
}

struct RedirectMethodCase {
    int status;
    int32_t method;
    std::string secondRequestLine;
    std::string secondBody;
};

class RedirectMethodTest : public HttpFetchWireTest,
                           public ::testing::WithParamInterface<RedirectMethodCase> {};

TEST_P(RedirectMethodTest, FollowsWithTheRightVerb) {
    const RedirectMethodCase& c = GetParam();
    m_server.Enqueue(Reply::Redirect(c.status, "/to"));
    HttpFetch({.url = Url("/from"), .method = c.method, .body = "b=1"});
    const std::vector<RecordedRequest> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].requestLine, c.secondRequestLine);
    EXPECT_EQ(requests[1].body, c.secondBody);
}

INSTANTIATE_TEST_SUITE_P(Table, RedirectMethodTest,
                         ::testing::Values(RedirectMethodCase{302, 1, "GET /to HTTP/1.1", ""},
                                           RedirectMethodCase{301, 1, "GET /to HTTP/1.1", ""},
                                           RedirectMethodCase{303, 3, "GET /to HTTP/1.1", ""},
                                           RedirectMethodCase{307, 1, "POST /to HTTP/1.1", "b=1"},
                                           RedirectMethodCase{308, 3, "PUT /to HTTP/1.1", "b=1"},
                                           RedirectMethodCase{302, 3, "PUT /to HTTP/1.1", "b=1"}));

// The loopback server stands in for the proxy.
class ProxyTest : public HttpFetchWireTest {};

TEST_F(ProxyTest, HttpUrlGoesThroughTheProxyInAbsoluteForm) {
    HttpFetchVariables v;
    const Text result = HttpFetch({.url = "http://music.example.invalid/path?q=1",
                                   .proxy = Text(m_server.HostPort()),
                                   .proxyUserName = "pu",
                                   .proxyPassword = "pp"},
                                  v);
    EXPECT_EQ(result, Text("ok"));
    const RecordedRequest request = OnlyRequest();
    EXPECT_EQ(request.requestLine, "GET http://music.example.invalid/path?q=1 HTTP/1.1");
    EXPECT_EQ(request.headerLines,
              Concat({"Host: music.example.invalid", "Proxy-Authorization: Basic cHU6cHA="},
                     kDefaultLines));
}

TEST_F(ProxyTest, HttpsUrlAsksTheProxyForATunnel) {
    Reply refused;
    refused.status = 403;
    refused.reason = "Forbidden";
    m_server.Enqueue(refused);
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = "https://music.example.invalid/secure",
                         .proxy = Text(m_server.HostPort()),
                         .timeoutSeconds = 5},
                        v),
              Text());
    EXPECT_EQ(OnlyRequest().requestLine, "CONNECT music.example.invalid:443 HTTP/1.1");
    EXPECT_EQ(v.statusText, "711 发送请求失败!"_gbk);
}

TEST_F(ProxyTest, ProxyGivenForAnHttpUrlServesEveryHttpHop) {
    m_server.Enqueue(Reply::Redirect(302, "http://second.example.invalid/b"));
    EXPECT_EQ(
        HttpFetch({.url = "http://first.example.invalid/a", .proxy = Text(m_server.HostPort())}),
        Text("ok"));
    const std::vector<RecordedRequest> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine, "GET http://first.example.invalid/a HTTP/1.1");
    EXPECT_EQ(requests[1].requestLine, "GET http://second.example.invalid/b HTTP/1.1");
}

TEST_F(ProxyTest, ProxyGivenForAnHttpUrlDoesNotServeAnHttpsHop) {
    const ClosedPort closed;
    m_server.Enqueue(
        Reply::Redirect(302, "https://127.0.0.1:" + std::to_string(closed.Port()) + "/secure"));
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = "http://first.example.invalid/a",
                         .proxy = Text(m_server.HostPort()),
                         .timeoutSeconds = 5},
                        v),
              Text());
    // The https hop went straight to the (closed) server instead of asking the proxy for a
    // tunnel, and so failed while the reply to the first request was awaited.
    EXPECT_EQ(OnlyRequest().Method(), "GET");
    EXPECT_EQ(v.statusText, "712 服务器未响应!"_gbk);
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST_F(ProxyTest, WithoutAProxyTheEnvironmentsProxiesAreIgnored) {
    const ClosedPort closed;
    const ScopedEnvironment httpProxy("http_proxy", closed.Url());
    const ScopedEnvironment allProxy("ALL_PROXY", closed.Url());
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url("/direct")}, v), Text("ok"));
    EXPECT_EQ(OnlyRequest().requestLine, "GET /direct HTTP/1.1");
}

}  // namespace
}  // namespace melvora
