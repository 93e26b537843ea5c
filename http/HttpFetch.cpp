#include "http/HttpFetch.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "http/Curl.h"
#include "http/CurlTransfer.h"
#include "http/FetchFailure.h"
#include "http/RequestHeaders.h"
#include "http/RequestVerb.h"
#include "http/ResponseDecoding.h"
#include "http/UrlParts.h"
#include "http/WireHeaderLines.h"
#include "regex/RegexMatcher.h"
#include "text/CodePage.h"

namespace melvora {

namespace {

constexpr int32_t kDefaultTimeoutMilliseconds = 30000;
// The largest time-out that still fits in a 32-bit count of milliseconds.
constexpr int32_t kLongestTimeoutSeconds = 2147483;
constexpr int kMaxRedirects = 10;

int32_t TimeoutMilliseconds(int32_t timeoutSeconds) {
    if (timeoutSeconds < 1) {
        return kDefaultTimeoutMilliseconds;
    }
    return std::min(timeoutSeconds, kLongestTimeoutSeconds) * 1000;
}

bool IsFollowedRedirect(long statusCode) {
    return statusCode == 301 || statusCode == 302 || statusCode == 303 || statusCode == 307 ||
           statusCode == 308;
}

bool SameOrigin(const UrlParts& left, const UrlParts& right) {
    return left.secure == right.secure && left.host == right.host && left.port == right.port;
}

// What one hop of a fetch sends.
struct Hop {
    UrlParts target;
    std::string_view verb;
    bool sendBody = false;
};

class Fetch {
public:
    Fetch(const HttpFetchOptions& options, HttpFetchVariables& variables)
        : m_options(options), m_variables(variables) {}

    Text Run() {
        const std::optional<UrlParts> target = CrackUrl(m_options.url);
        if (!target) {
            return Fail(FetchFailure::BadUrl);
        }
        m_first = *target;
        if (!curl::EnsureGlobalInit()) {
            return Fail(FetchFailure::ServiceUnavailable);
        }
        m_transfer.emplace();
        if (!m_transfer->IsOpen() || !m_transfer->SetProxy(ProxyFor(m_first))) {
            return Fail(FetchFailure::SessionSetup);
        }
        const std::string_view verb = VerbForMethod(m_options.method);
        Hop hop{m_first, verb, !m_options.body.empty() || verb == "POST" || verb == "PUT"};
        if (!m_transfer->SetRequest(hop.target.requestUrl, hop.verb, m_options.body.view(),
                                    hop.sendBody)) {
            return Fail(FetchFailure::RequestSetup);
        }
        if (!m_transfer->SetTimeouts(TimeoutMilliseconds(m_options.timeoutSeconds),
                                     m_options.cancellation)) {
            return Fail(FetchFailure::TimeoutSetup);
        }
        if (!SetServerCredentialsFor(m_first) ||
            !m_transfer->SetProxyCredentials(Utf8FromGbk(m_options.proxyUserName),
                                             Utf8FromGbk(m_options.proxyPassword))) {
            return Fail(FetchFailure::CredentialSetup);
        }
        // curl keeps no cookies unless asked to, so there is no cookie feature to switch off:
        // the caller's cookie text goes out in the header block and the reply's are merged below.
        if (!m_transfer->DisableRedirects()) {
            return Fail(FetchFailure::RedirectSetup);
        }
        const Text block =
            BuildRequestHeaders(m_options.extraHeaders, m_variables.cookies.value_or(Text()));
        const std::optional<std::vector<std::string>> lines = WireHeaderLines(block);
        if (!lines || !m_transfer->SetHeaderLines(*lines)) {
            return Fail(FetchFailure::HeaderBlockRefused);
        }
        return Exchange(hop);
    }

private:
    Text Exchange(Hop hop) {
        for (int redirects = 0;; ++redirects) {
            const bool firstHop = redirects == 0;
            if (IsCancelled()) {
                return Fail(firstHop ? FetchFailure::SendFailed : FetchFailure::NoReply);
            }
            TransferResult result = m_transfer->Perform();
            switch (result.stage) {
                case TransferStage::NotSent:
                    // Later hops are part of waiting for the reply to the request that was sent.
                    return Fail(firstHop ? FetchFailure::SendFailed : FetchFailure::NoReply);
                case TransferStage::SentWithoutReply:
                    return Fail(FetchFailure::NoReply);
                case TransferStage::ReplyBrokenOff:
                    if (result.cancelled) {
                        return Fail(FetchFailure::ReadFailed);
                    }
                    m_variables.statusText = FailureMessage(FetchFailure::ReadFailed);
                    return Finish(std::move(result));
                case TransferStage::Complete:
                    break;
            }
            if (m_options.noRedirect || !IsFollowedRedirect(result.statusCode) ||
                result.redirectUrl.empty()) {
                return Finish(std::move(result));
            }
            const std::optional<UrlParts> next = CrackWireUrl(result.redirectUrl);
            if (!next || redirects == kMaxRedirects ||
                !PrepareRedirect(hop, *next, result.statusCode)) {
                return Fail(FetchFailure::NoReply);
            }
        }
    }

    // Moves `hop` on to `next` the way browsers do: a 303 turns anything but HEAD into a GET
    // without body, a 301 or 302 does so for POST; 307 and 308 repeat the request as it was.
    bool PrepareRedirect(Hop& hop, const UrlParts& next, long statusCode) {
        if ((statusCode == 303 && hop.verb != "HEAD") ||
            ((statusCode == 301 || statusCode == 302) && hop.verb == "POST")) {
            hop.verb = "GET";
            hop.sendBody = false;
        }
        hop.target = next;
        return m_transfer->SetProxy(ProxyFor(next)) &&
               m_transfer->SetRequest(hop.target.requestUrl, hop.verb, m_options.body.view(),
                                      hop.sendBody) &&
               SetServerCredentialsFor(next);
    }

    // A proxy given with an http URL serves http only, so an https hop of its redirects goes
    // direct; given with an https URL it serves every hop.
    std::string ProxyFor(const UrlParts& target) const {
        if (m_options.proxy.empty() || (target.secure && !m_first.secure)) {
            return {};
        }
        return Utf8FromGbk(m_options.proxy);
    }

    // The server's credentials go to the server they were given for, never to another one that a
    // redirect points at.
    bool SetServerCredentialsFor(const UrlParts& target) {
        if (!SameOrigin(target, m_first)) {
            return m_transfer->SetServerCredentials({}, {});
        }
        return m_transfer->SetServerCredentials(Utf8FromGbk(m_options.userName),
                                                Utf8FromGbk(m_options.password));
    }

    bool IsCancelled() const {
        return m_options.cancellation != nullptr && m_options.cancellation->IsCancelled();
    }

    Text Finish(TransferResult result) {
        const Text headerText{std::string_view(result.headerText)};
        ReadResponseHeaders(headerText, m_variables.responseHeaders, m_variables.statusText,
                            m_variables.returnedCookies, m_variables.location);
        if (m_variables.cookies) {
            MergeCookies(*m_variables.cookies, m_variables.returnedCookies);
        }
        m_variables.rawBody = Bytes(std::move(result.body));
        return DecodeBody(Text(m_variables.rawBody.view()), m_variables.rawBody, m_matcher);
    }

    Text Fail(FetchFailure failure) {
        m_variables.statusText = FailureMessage(failure);
        return Text();
    }

    const HttpFetchOptions& m_options;
    HttpFetchVariables& m_variables;
    // Made before anything else, as the decoding at the end needs it.
    RegexMatcher m_matcher;
    // Made once curl is initialised for the process.
    std::optional<CurlTransfer> m_transfer;
    UrlParts m_first;
};

}  // namespace

Text HttpFetch(const HttpFetchOptions& options, HttpFetchVariables& variables) {
    return Fetch(options, variables).Run();
}

Text HttpFetch(const HttpFetchOptions& options) {
    HttpFetchVariables discarded;
    return HttpFetch(options, discarded);
}

}  // namespace melvora
