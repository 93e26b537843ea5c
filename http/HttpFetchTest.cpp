// What a fetch returns and reports, against a real server on the loopback interface.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "http/FetchTestSupport.h"
#include "http/HttpFetch.h"
#include "testing/LoopbackServer.h"

namespace melvora {
namespace {

using namespace literals;
using namespace std::chrono_literals;
using testing::LoopbackServer;
using testing::Reply;

class HttpFetchTest : public ::testing::Test {
protected:
    Text Url(const std::string& path = "/") const { return Text(m_server.Url(path)); }

    LoopbackServer m_server;
};

// Every variable but statusText keeps what it held.
void ExpectUntouched(const HttpFetchVariables& v) {
    EXPECT_EQ(v.returnedCookies, Text("before=1"));
    EXPECT_EQ(v.responseHeaders, Text("old headers"));
    EXPECT_EQ(v.location, Text("old location"));
    EXPECT_EQ(v.rawBody, Bytes(std::string_view("old body")));
    EXPECT_EQ(v.cookies, std::optional<Text>(Text("c=1")));
}

TEST_F(HttpFetchTest, ReturnsBodyStatusAndTheRawHeadersOfTheReply) {
    const std::string head = "HTTP/1.1 200 OK\r\nx-custom-CASE: Value\r\nContent-Length: 5\r\n\r\n";
    m_server.Enqueue(Reply::Raw(head + "hello"));
    HttpFetchVariables v = SentinelVariables();
    EXPECT_EQ(HttpFetch({.url = Url("/page")}, v), Text("hello"));
    EXPECT_EQ(v.statusText, Text("200 OK"));
    EXPECT_EQ(v.responseHeaders, Text(head));
    EXPECT_EQ(v.rawBody, Bytes(std::string_view("hello")));
    EXPECT_EQ(v.location, Text("old location"));
    // No cookie in the reply still cuts two bytes, as the header evaluation always does.
    EXPECT_EQ(v.returnedCookies, Text("before"));
}

TEST_F(HttpFetchTest, ErrorStatusIsNoFailure) {
    Reply reply = Reply::Ok("missing");
    reply.status = 404;
    reply.reason = "Not Found";
    m_server.Enqueue(reply);
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url()}, v), Text("missing"));
    EXPECT_EQ(v.statusText, Text("404 Not Found"));
}

TEST_F(HttpFetchTest, ShortFormDiscardsTheVariables) {
    m_server.Enqueue(Reply::Ok("short"));
    EXPECT_EQ(HttpFetch({.url = Url(), .method = 0}), Text("short"));
}

class BadUrlTest : public ::testing::TestWithParam<std::string> {};

TEST_P(BadUrlTest, FailsWith701AndTouchesNothingElse) {
    HttpFetchVariables v = SentinelVariables();
    v.cookies = Text("c=1");
    EXPECT_EQ(HttpFetch({.url = Text(GetParam())}, v), Text());
    EXPECT_EQ(v.statusText, "701 解析URL地址失败!"_gbk);
    ExpectUntouched(v);
}

INSTANTIATE_TEST_SUITE_P(Table, BadUrlTest,
                         ::testing::Values("", "ftp://127.0.0.1/file", "127.0.0.1/no-scheme",
                                           "http://", "file:///etc/hostname"));

TEST_F(HttpFetchTest, MalformedHeaderLineFailsWith710BeforeAnythingIsSent) {
    for (const char* extra : {"NoColonHere", "Bad Name: x", "Good: y\r\n: nameless"}) {
        HttpFetchVariables v = SentinelVariables();
        v.cookies = Text("c=1");
        EXPECT_EQ(HttpFetch({.url = Url(), .extraHeaders = Text(extra)}, v), Text());
        EXPECT_EQ(v.statusText, "710 设置协议头失败!"_gbk) << extra;
        ExpectUntouched(v);
    }
    EXPECT_EQ(m_server.ConnectionCount(), 0);
}

TEST(HttpFetchFailureTest, ClosedPortFailsWith711) {
    const ClosedPort closed;
    HttpFetchVariables v = SentinelVariables();
    v.cookies = Text("c=1");
    EXPECT_EQ(HttpFetch({.url = Text(closed.Url()), .timeoutSeconds = 5}, v), Text());
    EXPECT_EQ(v.statusText, "711 发送请求失败!"_gbk);
    ExpectUntouched(v);
}

TEST_F(HttpFetchTest, SilentServerFailsWith712AfterTheTimeout) {
    m_server.Enqueue(Reply::Silence());
    HttpFetchVariables v = SentinelVariables();
    v.cookies = Text("c=1");
    EXPECT_EQ(HttpFetch({.url = Url(), .timeoutSeconds = 1}, v), Text());
    EXPECT_EQ(v.statusText, "712 服务器未响应!"_gbk);
    ExpectUntouched(v);
    EXPECT_EQ(m_server.RequestCount(), 1u);
}

TEST_F(HttpFetchTest, ConnectionClosedWithoutReplyFailsWith712) {
    Reply nothing = Reply::Raw("");
    nothing.closeAfterReply = true;
    m_server.Enqueue(nothing);
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url()}, v), Text());
    EXPECT_EQ(v.statusText, "712 服务器未响应!"_gbk);
}

TEST_F(HttpFetchTest, BodyBrokenOffKeepsWhatCameAndTheStatusReplaces713) {
    Reply reply = Reply::Ok(std::string(100, 'x'));
    reply.headers.emplace_back("Set-Cookie", "s=1; Path=/");
    reply.cutAfterBodyBytes = 40;
    m_server.Enqueue(reply);
    HttpFetchVariables v;
    const Text result = HttpFetch({.url = Url()}, v);
    EXPECT_EQ(result, Text(std::string(40, 'x')));
    EXPECT_EQ(v.rawBody, Bytes(std::string(40, 'x')));
    EXPECT_EQ(v.statusText, Text("200 OK"));
    EXPECT_EQ(v.returnedCookies, Text("s=1"));
    EXPECT_EQ(v.responseHeaders, Text(reply.Head()));
}

TEST_F(HttpFetchTest, StalledBodyEndsAfterTheIdleTimeoutWithThePartialBody) {
    Reply reply = Reply::Ok(std::string(100, 'y'));
    reply.cutAfterBodyBytes = 10;
    reply.stallAfterCut = true;
    m_server.Enqueue(reply);
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url(), .timeoutSeconds = 1}, v), Text(std::string(10, 'y')));
    EXPECT_EQ(v.statusText, Text("200 OK"));
}

// Three pieces 600 ms apart take longer than the one-second time-out in all, but no single
// silence reaches it: the time-out must not cap the whole body.
TEST_F(HttpFetchTest, SlowButSteadyBodyOutlastsTheTimeout) {
    Reply reply = Reply::Ok("aaabbbccc");
    reply.trickleBytes = 3;
    reply.tricklePause = std::chrono::milliseconds(600);
    m_server.Enqueue(reply);
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url(), .timeoutSeconds = 1}, v), Text("aaabbbccc"));
    EXPECT_EQ(v.statusText, Text("200 OK"));
}

TEST_F(HttpFetchTest, NulInTheBodyEndsTheTextButNotTheRawBody) {
    const std::string body("abc\0def", 7);
    m_server.Enqueue(Reply::Ok(body, "application/octet-stream"));
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url()}, v), Text("abc"));
    EXPECT_EQ(v.rawBody, Bytes(body));
}

TEST_F(HttpFetchTest, DeclaredUtf8PageComesBackAsGbk) {
    m_server.Enqueue(Reply::Ok("<meta charset=\"utf-8\">\xE5\x91\xA8"));
    EXPECT_EQ(HttpFetch({.url = Url()}), Text("<meta charset=\"utf-8\">") + "周"_gbk);
}

TEST_F(HttpFetchTest, FollowedRedirectReportsOnlyTheFinalReply) {
    Reply redirect = Reply::Redirect(302, "/next");
    redirect.headers.emplace_back("Set-Cookie", "hop=1");
    redirect.body = "moved";
    m_server.Enqueue(redirect);
    const Reply final = Reply::Ok("final");
    m_server.Enqueue(final);

    HttpFetchVariables v = SentinelVariables();
    EXPECT_EQ(HttpFetch({.url = Url("/start")}, v), Text("final"));
    EXPECT_EQ(v.statusText, Text("200 OK"));
    EXPECT_EQ(v.responseHeaders, Text(final.Head()));
    EXPECT_EQ(v.location, Text("old location"));
    EXPECT_EQ(v.returnedCookies, Text("before"));
    ASSERT_EQ(m_server.RequestCount(), 2u);
    EXPECT_EQ(m_server.Requests()[1].requestLine, "GET /next HTTP/1.1");
}

TEST_F(HttpFetchTest, NoRedirectReturnsTheRedirectItself) {
    Reply redirect = Reply::Redirect(302, "/next");
    redirect.body = "moved";
    m_server.Enqueue(redirect);
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url("/start"), .noRedirect = true}, v), Text("moved"));
    EXPECT_EQ(v.statusText, Text("302 Found"));
    EXPECT_EQ(v.location, Text("/next"));
    EXPECT_EQ(v.responseHeaders, Text(redirect.Head()));
    EXPECT_EQ(m_server.RequestCount(), 1u);
}

TEST_F(HttpFetchTest, RedirectToAnotherSchemeFailsWith712) {
    m_server.Enqueue(Reply::Redirect(302, "ftp://127.0.0.1/file"));
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url()}, v), Text());
    EXPECT_EQ(v.statusText, "712 服务器未响应!"_gbk);
}

TEST_F(HttpFetchTest, EndlessRedirectsStop) {
    m_server.SetHandler(
        [](const testing::RecordedRequest&) { return Reply::Redirect(302, "/again"); });
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url()}, v), Text());
    EXPECT_EQ(v.statusText, "712 服务器未响应!"_gbk);
    EXPECT_EQ(m_server.RequestCount(), 11u);
}

TEST_F(HttpFetchTest, InterimContinueReplyIsNotPartOfTheHeaders) {
    const std::string finalHead = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n";
    m_server.Enqueue(
        Reply::Raw("HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n" + finalHead + "ok"));
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url()}, v), Text("ok"));
    EXPECT_EQ(v.responseHeaders, Text(finalHead));
}

TEST_F(HttpFetchTest, SuppliedCookiesGoOutAndTakeInTheReplysCookies) {
    Reply reply = Reply::Ok("ok");
    reply.headers.emplace_back("Set-Cookie", "b=2; Path=/");
    reply.headers.emplace_back("Set-Cookie", "a=deleted");
    m_server.Enqueue(reply);
    HttpFetchVariables v;
    v.cookies = Text("a=1; c=3");
    EXPECT_EQ(HttpFetch({.url = Url()}, v), Text("ok"));
    EXPECT_EQ(m_server.Requests().at(0).Header("Cookie"), "a=1; c=3");
    EXPECT_EQ(v.returnedCookies, Text("b=2;a=deleted"));
    EXPECT_EQ(v.cookies, std::optional<Text>(Text("b=2; c=3")));
}

TEST_F(HttpFetchTest, CookiesNotSuppliedStayNotSupplied) {
    Reply reply = Reply::Ok("ok");
    reply.headers.emplace_back("Set-Cookie", "b=2");
    m_server.Enqueue(reply);
    HttpFetchVariables v;
    HttpFetch({.url = Url()}, v);
    EXPECT_FALSE(v.cookies.has_value());
    EXPECT_EQ(v.returnedCookies, Text("b=2"));
    EXPECT_FALSE(m_server.Requests().at(0).Header("Cookie").has_value());
}

TEST_F(HttpFetchTest, AlreadyCancelledFetchSendsNothing) {
    CancellationToken token;
    token.Cancel();
    HttpFetchVariables v;
    EXPECT_EQ(HttpFetch({.url = Url(), .cancellation = &token}, v), Text());
    EXPECT_EQ(v.statusText, "711 发送请求失败!"_gbk);
    EXPECT_EQ(m_server.RequestCount(), 0u);
}

// The server never answers and the time-out is far away, so only the cancellation can end the
// fetch; a fetch that ignored it would run into the test's own time limit.
TEST_F(HttpFetchTest, CancellingWhileWaitingForTheReplyEndsTheFetch) {
    m_server.Enqueue(Reply::Silence());
    CancellationToken token;
    std::thread canceller([&] {
        m_server.WaitForRequests(1, 60s);
        token.Cancel();
    });
    HttpFetchVariables v = SentinelVariables();
    v.cookies = Text("c=1");
    EXPECT_EQ(HttpFetch({.url = Url(), .timeoutSeconds = 100, .cancellation = &token}, v), Text());
    canceller.join();
    EXPECT_EQ(v.statusText, "712 服务器未响应!"_gbk);
    ExpectUntouched(v);
}

TEST_F(HttpFetchTest, CancellingDuringTheBodyIsAFailureToo) {
    Reply reply = Reply::Ok(std::string(1000, 'z'));
    reply.cutAfterBodyBytes = 10;
    reply.stallAfterCut = true;
    m_server.Enqueue(reply);
    CancellationToken token;
    std::thread canceller([&] {
        // The status line and the first bytes are on their way before the cancel comes.
        m_server.WaitForRepliesSent(1, 60s);
        std::this_thread::sleep_for(200ms);
        token.Cancel();
    });
    HttpFetchVariables v = SentinelVariables();
    v.cookies = Text("c=1");
    EXPECT_EQ(HttpFetch({.url = Url(), .timeoutSeconds = 100, .cancellation = &token}, v), Text());
    canceller.join();
    EXPECT_EQ(v.statusText, "713 读取数据失败!"_gbk);
    ExpectUntouched(v);
}

TEST_F(HttpFetchTest, FetchesRunOnSeveralThreadsAtOnce) {
    m_server.SetHandler([](const testing::RecordedRequest& request) {
        return Reply::Ok("echo " + request.Target());
    });
    std::vector<std::thread> threads;
    std::vector<Text> results(4);
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back(
            [&, i] { results[i] = HttpFetch({.url = Url("/" + std::to_string(i))}); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], Text("echo /" + std::to_string(i)));
    }
}

}  // namespace
}  // namespace melvora
