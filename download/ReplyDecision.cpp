#include "download/ReplyDecision.h"

#include <charconv>

namespace melvora::download {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<int64_t> ParseCount(std::string_view digits) {
    digits = TrimBlanks(digits);
    if (digits.empty()) {
        return std::nullopt;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

bool StartsWithBytesUnit(std::string_view text) {
    constexpr std::string_view kUnit = "bytes";
    if (text.size() <= kUnit.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kUnit.size(); ++i) {
        if ((text[i] | 0x20) != kUnit[i]) {
            return false;
        }
    }
    return text[kUnit.size()] == ' ' || text[kUnit.size()] == '\t';
}

bool IsSuccess(int status) {
    return status >= 200 && status <= 299;
}

}  // namespace

std::optional<ContentRange> ParseContentRange(std::string_view value) {
    value = TrimBlanks(value);
    if (!StartsWithBytesUnit(value)) {
        return std::nullopt;
    }
    value = TrimBlanks(value.substr(5));
    const auto slash = value.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view range = TrimBlanks(value.substr(0, slash));
    const std::string_view length = TrimBlanks(value.substr(slash + 1));

    ContentRange parsed;
    if (length != "*") {
        parsed.completeLength = ParseCount(length);
        if (!parsed.completeLength) {
            return std::nullopt;
        }
    }
    if (range == "*") {
        // The unsatisfied form only makes sense with a known length.
        return parsed.completeLength ? std::optional(parsed) : std::nullopt;
    }
    const auto dash = range.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    parsed.first = ParseCount(range.substr(0, dash));
    parsed.last = ParseCount(range.substr(dash + 1));
    if (!parsed.first || !parsed.last || *parsed.last < *parsed.first) {
        return std::nullopt;
    }
    return parsed;
}

ReplyAction DecideReply(const ReplyHead& head, ResumeMode mode, int32_t offset, int64_t localSize) {
    if (mode == ResumeMode::Fresh) {
        return IsSuccess(head.status) ? ReplyAction::WriteFromStart : ReplyAction::Refuse;
    }
    if (head.status == 206) {
        const auto range = ParseContentRange(head.contentRange);
        // The bytes must start where the kept part ends; a file shorter than the offset would
        // leave a hole, one longer is cut back to the offset before the body goes behind it.
        if (range && range->first && *range->first == offset && offset <= localSize) {
            return ReplyAction::Append;
        }
        return ReplyAction::Refuse;
    }
    if (head.status == 416) {
        const auto range = ParseContentRange(head.contentRange);
        if (range && !range->first && range->completeLength == localSize) {
            return ReplyAction::AlreadyComplete;
        }
        return ReplyAction::Refuse;
    }
    // Any other success ignored the Range line and sends the whole resource from its start.
    return IsSuccess(head.status) ? ReplyAction::WriteFromStart : ReplyAction::Refuse;
}

}  // namespace melvora::download
