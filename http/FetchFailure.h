#pragma once

#include <cstdint>

#include "text/Text.h"

namespace melvora {

// The numbered ways a fetch can fail, each reported by its own message. There is no 706.
enum class FetchFailure : int32_t {
    ServiceUnavailable = 700,
    BadUrl = 701,
    SessionSetup = 702,
    ConnectionSetup = 703,
    RequestSetup = 704,
    TimeoutSetup = 705,
    CredentialSetup = 707,
    CookieSetup = 708,
    RedirectSetup = 709,
    HeaderBlockRefused = 710,
    SendFailed = 711,
    NoReply = 712,
    ReadFailed = 713,
};

// The message for `failure`, e.g. "701 解析URL地址失败!" in GBK.
Text FailureMessage(FetchFailure failure);

}  // namespace melvora
