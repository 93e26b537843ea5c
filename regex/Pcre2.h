#pragma once

// Include this header instead of <pcre2.h>, and only from .cpp files: it fixes the code unit width
// to 16 bits (the matcher works on UTF-16) and gives every PCRE2 handle one owner.

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <memory>

namespace melvora::pcre2 {

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextDeleter {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextDeleter {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct JitStackDeleter {
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

using Code = std::unique_ptr<pcre2_code, CodeDeleter>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextDeleter>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextDeleter>;
using JitStack = std::unique_ptr<pcre2_jit_stack, JitStackDeleter>;

// PCRE2 takes its subjects and patterns as PCRE2_SPTR16 (const uint16_t*); char16_t has the same
// size and representation, so the cast only changes the spelling of the type.
inline PCRE2_SPTR AsSubject(const char16_t* units) {
    return reinterpret_cast<PCRE2_SPTR>(units);
}

}  // namespace melvora::pcre2
