#include "regex/Utf16Pattern.h"

#include "regex/Pcre2.h"

namespace melvora {

static_assert(PCRE2_UNSET == MatchOffsets::kUnset);
static_assert(sizeof(PCRE2_UCHAR) == sizeof(char16_t));

namespace {

// The JIT's own stack grows on demand up to this size; the default 32 KiB on the machine stack
// is enough for the program's patterns but not for every pattern a caller may pass.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 1024 * 1024;

// PCRE2 10.42 rejects a null pointer even with length 0, and an empty string_view may hold one.
PCRE2_SPTR UnitsOf(std::u16string_view text) {
    static constexpr char16_t kNothing[] = u"";
    return pcre2::AsSubject(text.empty() ? kNothing : text.data());
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The offset of the character after the one at `offset`: a surrogate pair is one character, and
// a run must never start between its halves.
std::size_t NextCharacter(std::u16string_view subject, std::size_t offset) {
    ++offset;
    if (offset < subject.size() && IsLowSurrogate(subject[offset])) {
        ++offset;
    }
    return offset;
}

}  // namespace

struct Utf16Pattern::Compiled {
    pcre2::Code code;
    bool jitCompiled = false;
};

Utf16Pattern::Utf16Pattern(std::unique_ptr<Compiled> compiled) : m_compiled(std::move(compiled)) {}

Utf16Pattern::~Utf16Pattern() = default;

std::unique_ptr<const Utf16Pattern> Utf16Pattern::Compile(std::u16string_view pattern,
                                                          LetterMatching letters,
                                                          LineAnchors anchors) {
    pcre2::CompileContext context(pcre2_compile_context_create(nullptr));
    if (!context) {
        return nullptr;
    }
    // Only a line feed ends a line, so "." still matches a carriage return.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);

    // UTF without UCP: \w, \d and \s stay ASCII, as in the script engines the patterns come from.
    uint32_t options = PCRE2_UTF;
    if (letters == LetterMatching::Caseless) {
        options |= PCRE2_CASELESS;
    }
    // Without multi-line, "$" matches only at the very end, not before a final line feed.
    options |= anchors == LineAnchors::EveryLine ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;

    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    auto compiled = std::make_unique<Compiled>();
    compiled->code.reset(pcre2_compile(UnitsOf(pattern), pattern.size(), options, &errorCode,
                                       &errorOffset, context.get()));
    if (!compiled->code) {
        return nullptr;
    }
    // Without JIT support the interpreter runs the same pattern, only slower.
    compiled->jitCompiled = pcre2_jit_compile(compiled->code.get(), PCRE2_JIT_COMPLETE) == 0;
    return std::unique_ptr<const Utf16Pattern>(new Utf16Pattern(std::move(compiled)));
}

uint32_t Utf16Pattern::CaptureCount() const {
    uint32_t count = 0;
    pcre2_pattern_info(m_compiled->code.get(), PCRE2_INFO_CAPTURECOUNT, &count);
    return count;
}

std::optional<MatchOffsets> Utf16Pattern::FindMatches(std::u16string_view subject,
                                                      MatchScope scope) const {
    const pcre2_code* code = m_compiled->code.get();
    pcre2::MatchData data(pcre2_match_data_create_from_pattern(code, nullptr));
    if (!data) {
        return std::nullopt;
    }
    // The run owns its JIT stack and context, so a pattern shared between matchers is never
    // written to while matching.
    pcre2::MatchContext context;
    pcre2::JitStack jitStack;
    if (m_compiled->jitCompiled) {
        context.reset(pcre2_match_context_create(nullptr));
        jitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
        if (context && jitStack) {
            pcre2_jit_stack_assign(context.get(), nullptr, jitStack.get());
        }
    }

    MatchOffsets matches(CaptureCount());
    const PCRE2_SPTR units = UnitsOf(subject);
    const std::size_t length = subject.size();
    std::size_t start = 0;
    uint32_t retryOptions = 0;
    // The first call validates the subject; later calls skip it, which otherwise rescans the
    // whole subject on every call and makes a global run quadratic.
    uint32_t utfCheck = 0;
    for (;;) {
        const int rc = pcre2_match(code, units, length, start, retryOptions | utfCheck, data.get(),
                                   context.get());
        utfCheck = PCRE2_NO_UTF_CHECK;
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (retryOptions == 0) {
                break;
            }
            // No non-empty match at the place of the last empty one: move on one character.
            start = NextCharacter(subject, start);
            retryOptions = 0;
            continue;
        }
        if (rc < 0) {
            return std::nullopt;
        }
        const PCRE2_SIZE* pairs = pcre2_get_ovector_pointer(data.get());
        matches.Append(pairs);
        if (scope == MatchScope::FirstOnly) {
            break;
        }

        retryOptions = 0;
        start = pairs[1];
        if (pairs[0] == pairs[1]) {
            if (pairs[0] == length) {
                break;
            }
            // After an empty match, first look for a non-empty one at the same place.
            retryOptions = PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED;
        } else if (const PCRE2_SIZE startChar = pcre2_get_startchar(data.get());
                   start <= startChar) {
            // \K can end a match at or before the place where it started; go on past that place
            // so the run cannot loop.
            if (startChar >= length) {
                break;
            }
            start = NextCharacter(subject, startChar);
        }
    }
    return matches;
}

}  // namespace melvora
