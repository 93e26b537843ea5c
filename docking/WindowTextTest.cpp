#include <gtest/gtest.h>

#include <string>

#include "docking/WindowEntry.h"
#include "docking/WindowText.h"
#include "text/CodePage.h"

namespace melvora {
namespace {

using namespace literals;

TEST(WindowText, ConvertsUtf8TitlesToGbk) {
    EXPECT_EQ(WindowTextFromUtf8("酷狗音乐 - KuGou"), "酷狗音乐 - KuGou"_gbk);
    EXPECT_EQ(WindowTextFromUtf8("plain ascii"), Text("plain ascii"));
}

TEST(WindowText, ConvertsLatin1Names) {
    EXPECT_EQ(WindowTextFromLatin1("caf\xe9"), GbkFromUtf8("café"));
}

TEST(WindowText, CutsLongTextsWithoutSplittingACharacter) {
    EXPECT_EQ(WindowTextFromUtf8(std::string(300, 'a')).size(), kWindowTextLimit);

    // One ASCII byte, then two-byte characters: the 127th would end at byte 255.
    std::string utf8 = "x";
    for (int i = 0; i < 200; ++i) {
        utf8 += "狗";
    }
    const Text cut = WindowTextFromUtf8(utf8);
    EXPECT_EQ(cut.size(), kWindowTextLimit - 1);
    EXPECT_EQ(cut.Slice(cut.size() - 2), "狗"_gbk);
}

}  // namespace
}  // namespace melvora
