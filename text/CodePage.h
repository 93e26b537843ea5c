#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace melvora {

// Code-page conversions, all through ICU converters. GBK is ICU's "windows-936-2000", Microsoft's
// table for code page 936: a character it cannot hold becomes one '?', and bytes that are invalid
// in the source encoding become U+FFFD (and so '?' once they reach GBK).

std::u16string Utf16FromGbk(const Text& text);
Text GbkFromUtf16(std::u16string_view utf16);

std::string Utf8FromGbk(const Text& text);
Text GbkFromUtf8(std::string_view utf8);

std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

// Decodes bytes from the character set ICU knows by `charsetName` (aliases included). Empty when
// ICU does not know the name or the conversion fails outright.
std::optional<std::u16string> DecodeCharset(std::string_view bytes, const std::string& charsetName);

// ICU's converter name for a Windows code page number: 936 is GBK, 65001 is UTF-8; others are
// tried as "windows-N", then "ibm-N". Empty when ICU has none.
std::string ConverterNameForCodePage(int codePage);

}  // namespace melvora
