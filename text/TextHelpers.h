#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "text/Bytes.h"
#include "text/Text.h"
#include "text/TextSearch.h"

namespace melvora {

// The text between the first `leftMarker` at or after `startPos` and the next `rightMarker`;
// empty when either is missing. "#引号" in a marker stands for a double quote.
Text TextBetween(const Text& text, Text leftMarker, Text rightMarker, int32_t startPos = 0,
                 LetterCase letterCase = LetterCase::Exact);

struct ReplacePair {
    Text find;
    Text replacement;
};

struct MultiReplaceOptions {
    // Replacements per pair; nullopt replaces every occurrence, 0 replaces none.
    std::optional<int32_t> count;
    // 1-based byte position where replacing begins; below 1 means 1.
    int32_t startPos = 0;
    LetterCase letterCase = LetterCase::Ignore;
};

// Applies the pairs one after the other, each over the result of the one before.
Text MultiReplace(const Text& text, std::initializer_list<ReplacePair> pairs,
                  const MultiReplaceOptions& options = {});

// Removes the search reply's highlight tags "<em>" and "<\/em>", in any letter case.
Text StripEmTags(const Text& text);

// A reply received in UTF-8, re-encoded as GBK; characters GBK lacks become '?'.
Text Utf8ToGbk(const Text& utf8);

inline constexpr int kCodePageUtf8 = 65001;
inline constexpr int kCodePageGbk = 936;

// The wide form: UTF-16LE code units of `text` in `codePage`, ending with one NUL unit.
Bytes DecodeToWide(const Text& text, int codePage = kCodePageUtf8);

// The wide form's units up to the first NUL unit, encoded in `codePage` (936, the ANSI code page of
// a Chinese system, by default), up to the first NUL byte.
Text EncodeFromWide(const Bytes& wide, int codePage = kCodePageGbk);

}  // namespace melvora
