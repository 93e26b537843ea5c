#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/Cancellation.h"

namespace melvora {

// How far one exchange got before it ended.
enum class TransferStage {
    // Nothing of the request reached the server: name resolution or connect failed.
    NotSent,
    // The request went out, but no final status line came back.
    SentWithoutReply,
    // A final status line came back, but the reply broke off after it.
    ReplyBrokenOff,
    Complete,
};

struct TransferResult {
    TransferStage stage = TransferStage::NotSent;
    bool cancelled = false;
    long statusCode = 0;
    // The raw header text of the last status line received and the header lines after it.
    std::string headerText;
    std::string body;
    // Where the reply's Location line points, made absolute; empty without one.
    std::string redirectUrl;
};

// One curl easy handle, set up option by option, that runs one request/reply exchange per
// Perform. Redirects are never followed here. Every setter answers false when curl refuses it,
// so the caller can name the step that failed.
class CurlTransfer {
public:
    CurlTransfer();
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    [[nodiscard]] bool IsOpen() const;

    // An empty proxy connects directly, whatever proxies the environment names.
    bool SetProxy(const std::string& proxy);
    // `body` is sent whatever the verb, with a Content-Length, when `sendBody` is true.
    bool SetRequest(const std::string& url, std::string_view verb, std::string_view body,
                    bool sendBody);
    // Connect time-out, and the longest silence allowed in either direction once connected.
    bool SetTimeouts(int32_t milliseconds, const CancellationToken* cancellation);
    // Basic credentials; empty texts send none.
    bool SetServerCredentials(const std::string& userName, const std::string& password);
    bool SetProxyCredentials(const std::string& userName, const std::string& password);
    bool DisableRedirects();
    bool SetHeaderLines(const std::vector<std::string>& lines);

    TransferResult Perform();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace melvora
