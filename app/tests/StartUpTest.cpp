#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/StartUp.h"
#include "text/CodePage.h"

namespace melvora {
namespace {

namespace fs = std::filesystem;
using namespace literals;

// Each test works in a fresh folder of its own, entered as the current directory.
class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = fs::current_path();
        m_folder = fs::temp_directory_path() /
                   ("melvora-startup-" + std::to_string(getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        fs::current_path(m_folder);
    }
    void TearDown() override {
        fs::current_path(m_previous);
        fs::remove_all(m_folder);
    }
    static void WriteFile(const fs::path& path) { std::ofstream(path) << "not a folder"; }

    fs::path m_previous;
    fs::path m_folder;
};

TEST_F(StartUpTest, OnlyAnExistingDirectoryCounts) {
    fs::create_directories("folder/inner");
    WriteFile("file");
    fs::create_directories("音乐");

    EXPECT_TRUE(IsExistingDirectory("folder"));
    EXPECT_TRUE(IsExistingDirectory("folder/inner"));
    EXPECT_TRUE(IsExistingDirectory("音乐"_gbk));
    EXPECT_FALSE(IsExistingDirectory("file"));
    EXPECT_FALSE(IsExistingDirectory("missing"));
    EXPECT_FALSE(IsExistingDirectory(""));
}

TEST_F(StartUpTest, CreateFolderPathMakesEveryMissingFolderUpToTheLastSeparator) {
    struct Case {
        Text path;
        fs::path made;
    };
    const Case cases[] = {
        {"MP3", "MP3"},
        {"one/two/three", "one/two/three"},
        {"trailing/slash/", "trailing/slash"},
        {"double//slash", "double/slash"},
        {"./dot", "dot"},
        {"歌曲/下载"_gbk, fs::path(u8"歌曲/下载")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.made.string());
        EXPECT_TRUE(CreateFolderPath(c.path));
        EXPECT_TRUE(fs::is_directory(c.made));
        // A second call finds everything there and still succeeds.
        EXPECT_TRUE(CreateFolderPath(c.path));
    }
    EXPECT_TRUE(CreateFolderPath((m_folder / "absolute/path").string().c_str()));
    EXPECT_TRUE(fs::is_directory(m_folder / "absolute/path"));
}

TEST_F(StartUpTest, CreateFolderPathFailsWhereAFileIsInTheWay) {
    WriteFile("blocked");
    EXPECT_FALSE(CreateFolderPath("blocked"));
    EXPECT_FALSE(CreateFolderPath("blocked/inner"));
    EXPECT_TRUE(fs::is_regular_file("blocked"));
}

TEST_F(StartUpTest, MainWindowCreatedMakesTheMusicFolder) {
    MainWindowCreated(MusicFolderOfThisRun());
    EXPECT_TRUE(fs::is_directory("MP3"));
}

TEST_F(StartUpTest, MainWindowCreatedLeavesAnExistingMusicFolderAlone) {
    fs::create_directories("MP3");
    WriteFile("MP3/song.mp3");
    MainWindowCreated(MusicFolderOfThisRun());
    EXPECT_TRUE(fs::is_regular_file("MP3/song.mp3"));
}

TEST_F(StartUpTest, MainWindowCreatedQuietlyLeavesAFileNamedLikeTheFolder) {
    WriteFile("MP3");
    MainWindowCreated(MusicFolderOfThisRun());
    EXPECT_TRUE(fs::is_regular_file("MP3"));
    std::ifstream file("MP3");
    std::string content;
    std::getline(file, content);
    EXPECT_EQ(content, "not a folder");
}

TEST_F(StartUpTest, MakeMusicFolderMakesEveryMissingParent) {
    // A user's music folder may hold characters that GBK cannot spell.
    const fs::path musicFolder = m_folder / u8"home/Zoë 🎵/Music/Melvora/MP3";
    MakeMusicFolder(musicFolder);
    EXPECT_TRUE(fs::is_directory(musicFolder));
    WriteFile(musicFolder / "song.mp3");
    MakeMusicFolder(musicFolder);
    EXPECT_TRUE(fs::is_regular_file(musicFolder / "song.mp3"));
}

TEST_F(StartUpTest, MakeMusicFolderQuietlyLeavesAFileInTheWay) {
    WriteFile("Music");
    MakeMusicFolder(m_folder / "Music/Melvora/MP3");
    EXPECT_TRUE(fs::is_regular_file("Music"));
}

TEST_F(StartUpTest, AWritableCurrentFolderKeepsTheSongsThere) {
    EXPECT_EQ(MusicFolderOfThisRun(), m_folder / "MP3");
}

TEST_F(StartUpTest, TheProgramFolderBecomesTheCurrentDirectory) {
    ASSERT_NE(fs::current_path(), fs::read_symlink("/proc/self/exe").parent_path());
    EXPECT_TRUE(MakeProgramFolderCurrent());
    EXPECT_EQ(fs::current_path(), fs::read_symlink("/proc/self/exe").parent_path());
}

}  // namespace
}  // namespace melvora
