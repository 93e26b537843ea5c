#include <gtest/gtest.h>

#include "text/CodePage.h"
#include "text/TextSearch.h"

namespace melvora {
namespace {

using namespace literals;

struct FindCase {
    const char* name;
    Text text;
    std::string needle;
    int32_t startPos;
    LetterCase letterCase;
    int32_t expected;
};

void PrintTo(const FindCase& c, std::ostream* out) {
    *out << c.name;
}

class FindTextCases : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextCases, FindsAtCharacterStartsOnly) {
    const FindCase& c = GetParam();
    EXPECT_EQ(FindText(c.text, c.needle, c.startPos, c.letterCase), c.expected) << c.name;
}

// 中 is D6 D0 and 文 is CE C4: the byte pair D0 CE straddles the two characters.
INSTANTIATE_TEST_SUITE_P(
    Table, FindTextCases,
    ::testing::Values(
        FindCase{"plain", "abcabc", "ca", 1, LetterCase::Exact, 3},
        FindCase{"from start position", "abcabc", "abc", 2, LetterCase::Exact, 4},
        FindCase{"start below one", "abc", "a", -7, LetterCase::Exact, 1},
        FindCase{"missing", "abc", "x", 1, LetterCase::Exact, -1},
        FindCase{"exact case", "ABC", "b", 1, LetterCase::Exact, -1},
        FindCase{"ignore case folds ascii", "ABC", "b", 1, LetterCase::Ignore, 2},
        FindCase{"never on a trail byte", "中文"_gbk, "\xD0\xCE", 1, LetterCase::Exact, -1},
        FindCase{"after a Chinese character", "中a"_gbk, "a", 1, LetterCase::Exact, 3},
        FindCase{"trail byte looking like ascii",
                 Text("\x81"
                      "a"
                      "a"),
                 "a", 1, LetterCase::Exact, 3},
        FindCase{"ignore case leaves Chinese bytes alone", "Ａ中"_gbk, "中"_gbk.str(), 1,
                 LetterCase::Ignore, 3},
        FindCase{"lone lead byte at the end", Text("ab\xD6"), "\xD6", 1, LetterCase::Exact, -1},
        FindCase{"empty needle in text", "abc", "", 1, LetterCase::Exact, 1},
        FindCase{"empty needle in empty text", "", "", 1, LetterCase::Exact, -1},
        FindCase{"start beyond the end", "abc", "c", 9, LetterCase::Exact, -1}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

}  // namespace
}  // namespace melvora
