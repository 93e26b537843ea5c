#include "download/DownloadCurl.h"

#include <mutex>

namespace melvora::download::curl {

bool EnsureGlobalInit() {
    static std::once_flag once;
    static bool initialised = false;
    std::call_once(once, [] { initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return initialised;
}

bool HeaderList::Append(const std::string& line) {
    curl_slist* grown = curl_slist_append(m_head, line.c_str());
    if (grown == nullptr) {
        return false;
    }
    m_head = grown;
    return true;
}

}  // namespace melvora::download::curl
