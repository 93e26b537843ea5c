#pragma once

#include <cstdint>
#include <optional>

#include "text/Bytes.h"
#include "text/Cancellation.h"
#include "text/Text.h"

namespace melvora {

// What the caller hands in. Every field may be left out; only `url` matters to most callers:
//   HttpFetch({.url = address, .method = 0})
struct HttpFetchOptions {
    Text url;
    // 0 GET, 1 POST, 2 HEAD, 3 PUT; anything else GET.
    int32_t method = 0;
    // Sent as it is, whatever the verb.
    Text body;
    // The caller's header lines, separated by CR LF, without a final CR LF.
    Text extraHeaders;
    bool noRedirect = false;
    Text userName;
    Text password;
    // host[:port]; empty connects directly and ignores the environment's proxies.
    Text proxy;
    Text proxyUserName;
    Text proxyPassword;
    // Connect and per-receive time-out; below 1 means 30 seconds.
    int32_t timeoutSeconds = 0;
    // Polled while the transfer runs; a cancelled fetch ends as a failed one.
    const CancellationToken* cancellation = nullptr;
};

// The caller's variables that a fetch reads and writes. On a failure the engine leaves every one
// of them as it was, except `statusText`.
struct HttpFetchVariables {
    // In, and out when supplied: the reply's cookies are merged into it. A supplied empty text
    // counts as supplied.
    std::optional<Text> cookies;
    // In/out: the reply's cookies are appended.
    Text returnedCookies;
    // Out: the final reply's raw header text.
    Text responseHeaders;
    // Out: the reply's Location value; unchanged when it has none.
    Text location;
    // Out: "200 OK" and the like, or one of the numbered failure messages.
    Text statusText;
    // Out: the body exactly as received, NUL bytes included.
    Bytes rawBody;
};

// One complete request in one call: never throws, never prints, writes nothing to disk.
// Returns the decoded body as Text, empty on failure.
Text HttpFetch(const HttpFetchOptions& options, HttpFetchVariables& variables);
Text HttpFetch(const HttpFetchOptions& options);

}  // namespace melvora
