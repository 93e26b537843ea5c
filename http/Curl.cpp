#include "http/Curl.h"

#include <mutex>

namespace melvora::curl {

bool EnsureGlobalInit() {
    // curl_global_init is not thread-safe in every build of libcurl, and the search task may make
    // the first request while the window thread starts a download.
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

std::string GetUrlPart(CURLU* url, CURLUPart part) {
    char* raw = nullptr;
    if (curl_url_get(url, part, &raw, 0) != CURLUE_OK || raw == nullptr) {
        return {};
    }
    const String owned(raw);
    return std::string(owned.get());
}

}  // namespace melvora::curl
