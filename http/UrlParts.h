#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace melvora {

// A cracked http or https URL, everything in the form it takes on the wire.
struct UrlParts {
    bool secure = false;
    Text host;
    // The port written in the URL, else the scheme's default.
    int32_t port = 0;
    // The path followed directly by the query and fragment; "/" alone when the URL has no path,
    // and then the query and fragment are dropped.
    std::string objectName;
    // scheme://authority followed by objectName without its fragment: what the transfer asks for.
    std::string requestUrl;
};

// Percent-escapes, as %XX in upper case, every byte that may not stand in a URL as it is: bytes
// from 0x80 up, control bytes, the space and 0x7F. Every other byte keeps its meaning, so "&",
// "=", "?" and an existing "%XX" pass through unchanged, and escaping twice changes nothing.
std::string EscapeForWire(std::string_view bytes);

// Cracks a URL typed in GBK: its characters go out as UTF-8, escaped. Empty when the URL is
// empty, malformed, relative, or of a scheme other than http and https.
std::optional<UrlParts> CrackUrl(const Text& url);

// Cracks a URL whose bytes are already those of the wire, such as a redirect target.
std::optional<UrlParts> CrackWireUrl(std::string_view url);

}  // namespace melvora
