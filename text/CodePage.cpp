#include "text/CodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>
#include <ostream>

namespace melvora {

namespace {

constexpr const char* kGbkConverter = "windows-936-2000";
constexpr UChar32 kReplacementCharacter = 0xFFFD;

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterHandle = std::unique_ptr<UConverter, ConverterCloser>;

ConverterHandle OpenConverter(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterHandle converter(ucnv_open(name, &status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    return converter;
}

// GBK is converted on every reply and every pattern: keep one converter per thread rather than
// opening one per call. A converter is not thread-safe, hence thread_local.
UConverter* GbkConverter() {
    thread_local const ConverterHandle converter = [] {
        ConverterHandle opened = OpenConverter(kGbkConverter);
        if (opened) {
            UErrorCode status = U_ZERO_ERROR;
            ucnv_setSubstChars(opened.get(), "?", 1, &status);
        }
        return opened;
    }();
    if (converter) {
        ucnv_reset(converter.get());
    }
    return converter.get();
}

std::u16string ToUnicode(UConverter* converter, std::string_view bytes, bool* ok = nullptr) {
    if (ok != nullptr) {
        *ok = converter != nullptr;
    }
    if (converter == nullptr || bytes.empty()) {
        return {};
    }
    // No character set here turns one byte into more than two UTF-16 units.
    std::u16string out(bytes.size() * 2 + 2, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                         bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        if (ok != nullptr) {
            *ok = false;
        }
        return {};
    }
    out.resize(static_cast<size_t>(length));
    return out;
}

std::string FromUnicode(UConverter* converter, std::u16string_view units) {
    if (converter == nullptr || units.empty()) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    const int32_t needed = ucnv_fromUChars(converter, nullptr, 0, units.data(),
                                           static_cast<int32_t>(units.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) {
        return {};
    }
    std::string out(static_cast<size_t>(needed), '\0');
    status = U_ZERO_ERROR;
    ucnv_reset(converter);
    ucnv_fromUChars(converter, out.data(), needed, units.data(), static_cast<int32_t>(units.size()),
                    &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        return {};
    }
    return out;
}

}  // namespace

std::u16string Utf16FromGbk(const Text& text) {
    return ToUnicode(GbkConverter(), text.view());
}

Text GbkFromUtf16(std::u16string_view utf16) {
    return Text(FromUnicode(GbkConverter(), utf16));
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    std::u16string out(utf8.size() + 1, u'\0');
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), kReplacementCharacter, nullptr,
                         &status);
    if (U_FAILURE(status)) {
        return {};
    }
    out.resize(static_cast<size_t>(length));
    return out;
}

std::string Utf8FromUtf16(std::u16string_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    std::string out(utf16.size() * 3 + 1, '\0');
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf16.data(),
                       static_cast<int32_t>(utf16.size()), kReplacementCharacter, nullptr, &status);
    if (U_FAILURE(status)) {
        return {};
    }
    out.resize(static_cast<size_t>(length));
    return out;
}

std::string Utf8FromGbk(const Text& text) {
    return Utf8FromUtf16(Utf16FromGbk(text));
}

Text GbkFromUtf8(std::string_view utf8) {
    return GbkFromUtf16(Utf16FromUtf8(utf8));
}

std::optional<std::u16string> DecodeCharset(std::string_view bytes,
                                            const std::string& charsetName) {
    if (charsetName.empty()) {
        return std::nullopt;
    }
    const ConverterHandle converter = OpenConverter(charsetName.c_str());
    bool ok = false;
    std::u16string decoded = ToUnicode(converter.get(), bytes, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return decoded;
}

std::string ConverterNameForCodePage(int codePage) {
    switch (codePage) {
        case 936:
            return kGbkConverter;
        case 65001:
            return "UTF-8";
        default:
            break;
    }
    for (const std::string& candidate :
         {"windows-" + std::to_string(codePage), "ibm-" + std::to_string(codePage)}) {
        if (OpenConverter(candidate.c_str())) {
            return candidate;
        }
    }
    return {};
}

void PrintTo(const Text& text, std::ostream* out) {
    *out << '"' << Utf8FromGbk(text) << '"';
}

namespace literals {
Text operator""_gbk(const char* utf8, std::size_t length) {
    return GbkFromUtf8(std::string_view(utf8, length));
}
}  // namespace literals

}  // namespace melvora
