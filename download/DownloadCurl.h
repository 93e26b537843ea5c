#pragma once

// The downloader's own owner of libcurl, apart from the request engine's. Include this header
// instead of <curl/curl.h>, and only from .cpp files.

#include <curl/curl.h>

#include <memory>
#include <string>

namespace melvora::download::curl {

// curl_global_init once per process, whichever thread comes first; false when it failed.
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

// A curl_slist that frees itself.
class HeaderList {
public:
    HeaderList() = default;
    ~HeaderList() { curl_slist_free_all(m_head); }
    HeaderList(const HeaderList&) = delete;
    HeaderList& operator=(const HeaderList&) = delete;

    // False (and the list unchanged) when curl cannot grow it.
    bool Append(const std::string& line);
    [[nodiscard]] curl_slist* get() const { return m_head; }

private:
    curl_slist* m_head = nullptr;
};

}  // namespace melvora::download::curl
