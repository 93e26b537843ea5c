#include <gtest/gtest.h>

#include <string>

#include "activation/TrackFiles.h"
#include "text/CodePage.h"

namespace melvora::activation {
namespace {

using namespace literals;

TEST(MakeTrackFilesTest, NamesTheTrackAndItsTemporaryFileInUtf8) {
    const auto files = MakeTrackFiles("/music/MP3", "晴天"_gbk);
    ASSERT_TRUE(files);
    EXPECT_EQ(files->trackFileName, "晴天.mp3"_gbk);
    EXPECT_EQ(files->trackPath, std::filesystem::path("/music/MP3/晴天.mp3"));
    EXPECT_EQ(files->temporaryPath, std::filesystem::path("/music/MP3/晴天.mp3.tmp"));
}

TEST(MakeTrackFilesTest, KeepsTheNameUnchangedOtherwise) {
    const auto files = MakeTrackFiles("/m", "..  a:b*?\"<>|"_gbk);
    ASSERT_TRUE(files);
    EXPECT_EQ(files->trackPath.filename(), "..  a:b*?\"<>|.mp3");
}

TEST(MakeTrackFilesTest, RefusesNamesThatLeaveTheFolderOrCannotBeFileNames) {
    for (const std::string& name : {std::string("../x"), std::string("a/b"), std::string("a\\b"),
                                    std::string("a\tb"), std::string("a\x01"), std::string("a\x7f"),
                                    std::string(), std::string("/"), std::string("\\")}) {
        EXPECT_FALSE(MakeTrackFiles("/m", Text(name))) << name;
    }
}

TEST(MakeTrackFilesTest, AcceptsAGbkCharacterWhoseSecondByteIsABackslashCode) {
    // 乗 is 0x81 0x5C in GBK: the second byte equals '\' but belongs to the character.
    const Text name(std::string("\x81\x5c"));
    ASSERT_EQ(GbkFromUtf8(Utf8FromGbk(name)), name);
    const auto files = MakeTrackFiles("/m", name);
    ASSERT_TRUE(files);
    EXPECT_EQ(files->trackPath.filename().string(), Utf8FromGbk(name) + ".mp3");
}

TEST(MakeTrackFilesTest, RefusesANameTooLongForTheFileSystem) {
    // ".mp3.tmp" is 8 bytes; 247 + 8 = 255 fits NAME_MAX, 248 + 8 does not.
    EXPECT_TRUE(MakeTrackFiles("/m", Text(std::string(247, 'a'))));
    EXPECT_FALSE(MakeTrackFiles("/m", Text(std::string(248, 'a'))));
    // 83 Chinese characters: 166 bytes in GBK but 249 + 8 in UTF-8, which is what counts.
    std::string chinese;
    for (int i = 0; i < 83; ++i) {
        chinese += "\xc7\xe7";  // 晴
    }
    EXPECT_FALSE(MakeTrackFiles("/m", Text(chinese)));
    EXPECT_TRUE(MakeTrackFiles("/m", Text(chinese.substr(0, 82 * 2))));
}

}  // namespace
}  // namespace melvora::activation
