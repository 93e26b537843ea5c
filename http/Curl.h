#pragma once

// The one owner of libcurl in the program, for the request engine and the downloader alike.
// Include this header instead of <curl/curl.h>, and only from .cpp files, so no other part of
// the program sees a curl type.

#include <curl/curl.h>

#include <memory>
#include <string>

namespace melvora::curl {

// Runs curl_global_init exactly once per process, whichever thread gets there first, and
// answers whether it succeeded.
bool EnsureGlobalInit();

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

struct UrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlCleanup>;

struct StringCleanup {
    void operator()(char* text) const { curl_free(text); }
};
using String = std::unique_ptr<char, StringCleanup>;

// A curl_slist that frees itself. Append keeps the list intact when curl cannot grow it.
class HeaderList {
public:
    HeaderList() = default;
    ~HeaderList() { curl_slist_free_all(m_head); }
    HeaderList(const HeaderList&) = delete;
    HeaderList& operator=(const HeaderList&) = delete;

    bool Append(const std::string& line) {
        curl_slist* grown = curl_slist_append(m_head, line.c_str());
        if (grown == nullptr) {
            return false;
        }
        m_head = grown;
        return true;
    }
    [[nodiscard]] curl_slist* get() const { return m_head; }

private:
    curl_slist* m_head = nullptr;
};

// One URL part as curl reports it, or empty when the part is missing.
std::string GetUrlPart(CURLU* url, CURLUPart part);

}  // namespace melvora::curl
