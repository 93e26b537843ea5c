#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/MusicFolder.h"

namespace melvora {
namespace {

namespace fs = std::filesystem;

const fs::path kProgramFolder = "/opt/melvora/bin";
const std::string kHome = "/home/lin";

TEST(ChooseMusicFolderTest, DecidesBetweenTheProgramFolderAndTheUsersMusicFolder) {
    const std::string userDirs = "XDG_MUSIC_DIR=\"$HOME/音乐\"\n";
    struct Case {
        const char* name;
        ProgramFolderAccess access;
        UserEnvironment environment;
        std::string userDirs;
        fs::path expected;
    };
    const Case cases[] = {
        {"a writable program folder keeps the songs beside the program, whatever the user's "
         "folders",
         ProgramFolderAccess::Writable,
         {.home = kHome, .xdgMusicDir = "/data/music"},
         userDirs,
         "/opt/melvora/bin/MP3"},
        {"the environment's XDG_MUSIC_DIR comes before user-dirs.dirs",
         ProgramFolderAccess::ReadOnly,
         {.home = kHome, .xdgMusicDir = "/data/music"},
         userDirs,
         "/data/music/Melvora/MP3"},
        {"a trailing slash in XDG_MUSIC_DIR adds no empty folder",
         ProgramFolderAccess::ReadOnly,
         {.home = kHome, .xdgMusicDir = "/data/music/"},
         "",
         "/data/music/Melvora/MP3"},
        {"a relative XDG_MUSIC_DIR is not a place and is passed over",
         ProgramFolderAccess::ReadOnly,
         {.home = kHome, .xdgMusicDir = "music"},
         userDirs,
         u8"/home/lin/音乐/Melvora/MP3"},
        {"user-dirs.dirs names the music folder",
         ProgramFolderAccess::ReadOnly,
         {.home = kHome},
         userDirs,
         u8"/home/lin/音乐/Melvora/MP3"},
        {"neither: Music in the home folder",
         ProgramFolderAccess::ReadOnly,
         {.home = kHome},
         "",
         "/home/lin/Music/Melvora/MP3"},
        {"a user-dirs.dirs without XDG_MUSIC_DIR counts as none",
         ProgramFolderAccess::ReadOnly,
         {.home = kHome},
         "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n",
         "/home/lin/Music/Melvora/MP3"},
        {"no home folder known: beside the program after all",
         ProgramFolderAccess::ReadOnly,
         {},
         "",
         "/opt/melvora/bin/MP3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseMusicFolder(kProgramFolder, c.access, c.environment, c.userDirs),
                  c.expected);
    }
}

TEST(MusicDirFromUserDirsTest, ReadsTheFileAsTheShellThatSourcesItWould) {
    struct Case {
        std::string content;
        fs::path expected;
    };
    const Case cases[] = {
        // What xdg-user-dirs-update writes, among its other folders and its comments.
        {"# This file is written by xdg-user-dirs-update\n"
         "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_MUSIC_DIR=\"$HOME/Music\"\n"
         "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n",
         "/home/lin/Music"},
        {"XDG_MUSIC_DIR=\"$HOME/音乐\"\n", u8"/home/lin/音乐"},
        {"XDG_MUSIC_DIR=\"/srv/shared music\"\n", "/srv/shared music"},
        {"XDG_MUSIC_DIR=\"${HOME}/Tunes\"", "/home/lin/Tunes"},
        {"XDG_MUSIC_DIR=$HOME/Tunes\n", "/home/lin/Tunes"},
        {"XDG_MUSIC_DIR=$HOME/Tunes # a comment after the value\n", "/home/lin/Tunes"},
        {"XDG_MUSIC_DIR=\"$HOME/Tunes\" # a comment after the value\n", "/home/lin/Tunes"},
        {"XDG_MUSIC_DIR=\"$HOME\"\n", "/home/lin"},
        {"XDG_MUSIC_DIR=\"$HOME/My \\\"Best\\\" \\\\ \\$ongs\"\n",
         "/home/lin/My \"Best\" \\ $ongs"},
        // Inside double quotes a backslash before another character is itself.
        {"XDG_MUSIC_DIR=\"$HOME/a\\b\"\n", "/home/lin/a\\b"},
        {"XDG_MUSIC_DIR=/srv/with\\ space\n", "/srv/with space"},
        {"   \tXDG_MUSIC_DIR=\"/indented\"\n", "/indented"},
        {"XDG_MUSIC_DIR=\"/windows/line/end\"\r\n", "/windows/line/end"},
        {"XDG_MUSIC_DIR=\"/first\"\nXDG_MUSIC_DIR=\"/second\"\n", "/second"},
        // An unusable later line leaves the earlier value standing.
        {"XDG_MUSIC_DIR=\"/first\"\nXDG_MUSIC_DIR=\"relative\"\n", "/first"},
        // None of these names a music folder.
        {"", ""},
        {"# XDG_MUSIC_DIR=\"/commented/out\"\n", ""},
        {"XDG_MUSIC_DIRS=\"/other/key\"\n", ""},
        {"MY_XDG_MUSIC_DIR=\"/other/key\"\n", ""},
        {"XDG_MUSIC_DIR = \"/not/an/assignment\"\n", ""},
        {"XDG_MUSIC_DIR=\"Music\"\n", ""},
        {"XDG_MUSIC_DIR=\"$HOMEWORK/x\"\n", ""},
        {"XDG_MUSIC_DIR=\"\\$HOME/escaped\"\n", ""},
        {"XDG_MUSIC_DIR=\"$HOME/$USER\"\n", ""},
        {"XDG_MUSIC_DIR=\"/unterminated\n", ""},
        {"XDG_MUSIC_DIR='/single/quotes'\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(MusicDirFromUserDirs(c.content, kHome), c.expected);
    }
}

TEST(MusicDirFromUserDirsTest, HomeWithoutAKnownHomeFolderNamesNothing) {
    EXPECT_EQ(MusicDirFromUserDirs("XDG_MUSIC_DIR=\"$HOME/Music\"\n", ""), fs::path());
    EXPECT_EQ(MusicDirFromUserDirs("XDG_MUSIC_DIR=\"/srv/music\"\n", ""), fs::path("/srv/music"));
}

TEST(UserDirsFilePathTest, PrefersAnAbsoluteXdgConfigHome) {
    EXPECT_EQ(UserDirsFilePath({.home = kHome, .xdgConfigHome = "/etc/lin"}),
              fs::path("/etc/lin/user-dirs.dirs"));
    EXPECT_EQ(UserDirsFilePath({.home = kHome}), fs::path("/home/lin/.config/user-dirs.dirs"));
    EXPECT_EQ(UserDirsFilePath({.home = kHome, .xdgConfigHome = "relative"}),
              fs::path("/home/lin/.config/user-dirs.dirs"));
    EXPECT_EQ(UserDirsFilePath({}), fs::path());
}

// A scratch home folder and the real environment variables pointing into it, restored after.
class UserEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = fs::temp_directory_path() /
                 ("melvora-musicfolder-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_home);
        fs::create_directories(m_home / ".config");
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(
                name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        }
        setenv("HOME", m_home.c_str(), 1);
        unsetenv("XDG_MUSIC_DIR");
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        fs::remove_all(m_home);
    }
    static void Write(const fs::path& path, const std::string& content) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    static constexpr const char* kVariables[] = {"HOME", "XDG_MUSIC_DIR", "XDG_CONFIG_HOME"};
    fs::path m_home;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(UserEnvironmentTest, ReadsTheVariablesOfThisProcess) {
    setenv("XDG_MUSIC_DIR", "/data/music", 1);
    setenv("XDG_CONFIG_HOME", "/etc/lin", 1);
    const UserEnvironment environment = ReadUserEnvironment();
    EXPECT_EQ(environment.home, m_home.string());
    EXPECT_EQ(environment.xdgMusicDir, "/data/music");
    EXPECT_EQ(environment.xdgConfigHome, "/etc/lin");
}

TEST_F(UserEnvironmentTest, AnUnsetHomeComesFromThePasswordDatabase) {
    unsetenv("HOME");
    const UserEnvironment environment = ReadUserEnvironment();
    EXPECT_FALSE(environment.home.empty());
    EXPECT_EQ(environment.home.front(), '/');
}

TEST_F(UserEnvironmentTest, ReadsUserDirsFromTheConfigFolderInForce) {
    const std::string inHome = "XDG_MUSIC_DIR=\"$HOME/FromHome\"\n";
    const std::string inConfigHome = "XDG_MUSIC_DIR=\"$HOME/FromConfigHome\"\n";
    Write(m_home / ".config/user-dirs.dirs", inHome);
    Write(m_home / "elsewhere/user-dirs.dirs", inConfigHome);

    EXPECT_EQ(ReadUserDirsFile(ReadUserEnvironment()), inHome);
    setenv("XDG_CONFIG_HOME", (m_home / "elsewhere").c_str(), 1);
    EXPECT_EQ(ReadUserDirsFile(ReadUserEnvironment()), inConfigHome);
    setenv("XDG_CONFIG_HOME", (m_home / "missing").c_str(), 1);
    EXPECT_EQ(ReadUserDirsFile(ReadUserEnvironment()), "");
}

TEST_F(UserEnvironmentTest, AccessFollowsTheFolderPermissions) {
    EXPECT_EQ(AccessOf(m_home), ProgramFolderAccess::Writable);
    EXPECT_EQ(AccessOf(m_home / "missing"), ProgramFolderAccess::ReadOnly);
    // Root may write anywhere; only another user sees a read-only folder as such.
    if (geteuid() != 0) {
        const fs::path locked = m_home / "locked";
        fs::create_directories(locked);
        chmod(locked.c_str(), 0555);
        EXPECT_EQ(AccessOf(locked), ProgramFolderAccess::ReadOnly);
        chmod(locked.c_str(), 0755);
    }
}

TEST_F(UserEnvironmentTest, ThisRunKeepsSongsBesideAWritableProgram) {
    Write(m_home / ".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Songs\"\n");
    setenv("XDG_MUSIC_DIR", "/data/music", 1);
    EXPECT_EQ(ChooseMusicFolderOfThisRun(m_home), m_home / "MP3");
}

// A program folder that does not exist stands for one the user cannot write: root may write
// into any folder that does.
TEST_F(UserEnvironmentTest, ThisRunOfAnInstalledCopyUsesTheUsersMusicFolder) {
    const fs::path installed = m_home / "missing/bin";
    EXPECT_EQ(ChooseMusicFolderOfThisRun(installed), m_home / "Music/Melvora/MP3");

    Write(m_home / ".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Songs\"\n");
    EXPECT_EQ(ChooseMusicFolderOfThisRun(installed), m_home / "Songs/Melvora/MP3");

    setenv("XDG_MUSIC_DIR", "/data/music", 1);
    EXPECT_EQ(ChooseMusicFolderOfThisRun(installed), fs::path("/data/music/Melvora/MP3"));
}

}  // namespace
}  // namespace melvora
