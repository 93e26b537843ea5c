#include "http/UrlParts.h"

#include <algorithm>
#include <charconv>

#include "http/Curl.h"
#include "text/CodePage.h"

namespace melvora {

namespace {

bool NeedsEscape(unsigned char byte) {
    return byte >= 0x80 || byte <= 0x20 || byte == 0x7F;
}

// The host name is left unescaped, so that an international name can still be resolved; every
// other byte after the authority is escaped.
std::string EscapeAfterAuthority(std::string_view url) {
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) {
        return EscapeForWire(url);
    }
    const auto authorityEnd = url.find_first_of("/?#", schemeEnd + 3);
    if (authorityEnd == std::string_view::npos) {
        return std::string(url);
    }
    return std::string(url.substr(0, authorityEnd)) + EscapeForWire(url.substr(authorityEnd));
}

}  // namespace

std::string EscapeForWire(std::string_view bytes) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte)) {
            escaped += '%';
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<UrlParts> CrackUrl(const Text& url) {
    if (url.empty()) {
        return std::nullopt;
    }
    return CrackWireUrl(Utf8FromGbk(url));
}

std::optional<UrlParts> CrackWireUrl(std::string_view url) {
    const std::string wire = EscapeAfterAuthority(url);
    const auto schemeEnd = wire.find("://");
    if (wire.empty() || schemeEnd == std::string::npos) {
        return std::nullopt;
    }
    const auto authorityEnd = std::min(wire.find_first_of("/?#", schemeEnd + 3), wire.size());

    UrlParts parts;
    if (authorityEnd == wire.size() || wire[authorityEnd] != '/') {
        parts.objectName = "/";
        parts.requestUrl = wire.substr(0, authorityEnd) + "/";
    } else {
        parts.objectName = wire.substr(authorityEnd);
        parts.requestUrl = wire.substr(0, wire.find('#', authorityEnd));
    }

    // Leave the real cracking to curl, so that what is accepted here is exactly what the transfer
    // will accept later.
    const curl::UrlHandle handle(curl_url());
    if (!handle ||
        curl_url_set(handle.get(), CURLUPART_URL, parts.requestUrl.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    const std::string scheme = curl::GetUrlPart(handle.get(), CURLUPART_SCHEME);
    if (scheme != "http" && scheme != "https") {
        return std::nullopt;
    }
    parts.secure = scheme == "https";

    char* rawPort = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_PORT, &rawPort, CURLU_DEFAULT_PORT) != CURLUE_OK) {
        return std::nullopt;
    }
    const curl::String port(rawPort);
    const std::string_view portText(port.get());
    if (std::from_chars(portText.data(), portText.data() + portText.size(), parts.port).ec !=
        std::errc()) {
        return std::nullopt;
    }
    parts.host = GbkFromUtf8(curl::GetUrlPart(handle.get(), CURLUPART_HOST));
    if (parts.host.empty()) {
        return std::nullopt;
    }
    return parts;
}

}  // namespace melvora
