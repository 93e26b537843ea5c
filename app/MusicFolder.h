#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace melvora {

// Whether the user running the program may create files in the program's folder.
enum class ProgramFolderAccess { Writable, ReadOnly };

// The parts of the environment that say where a user keeps music. An empty field is unset.
struct UserEnvironment {
    std::string home;           // HOME
    std::string xdgMusicDir;    // XDG_MUSIC_DIR
    std::string xdgConfigHome;  // XDG_CONFIG_HOME
};

// Where the user's user-dirs.dirs lives: in XDG_CONFIG_HOME when that is an absolute path,
// otherwise in "$HOME/.config". Empty when neither can be told.
std::filesystem::path UserDirsFilePath(const UserEnvironment& environment);

// The XDG_MUSIC_DIR that a user-dirs.dirs file names, with a leading $HOME replaced by `home`.
// Empty when the file names none, or only a path that is not absolute after the replacement.
std::filesystem::path MusicDirFromUserDirs(std::string_view userDirsContent, std::string_view home);

// The folder the songs go to. Beside the program ("<programFolder>/MP3") when the program's
// folder is writable, so that a copy unpacked anywhere keeps its songs with it. An installed
// copy sits where users cannot write, and uses "Melvora/MP3" in the user's music folder:
// XDG_MUSIC_DIR from the environment, else from user-dirs.dirs, else "$HOME/Music".
// Beside the program again when not even a home folder is known.
std::filesystem::path ChooseMusicFolder(const std::filesystem::path& programFolder,
                                        ProgramFolderAccess access,
                                        const UserEnvironment& environment,
                                        std::string_view userDirsContent);

// HOME, XDG_MUSIC_DIR and XDG_CONFIG_HOME of this process; HOME falls back to the user's entry
// in the password database when it is unset.
UserEnvironment ReadUserEnvironment();

// The whole content of the user's user-dirs.dirs; empty when there is none or it cannot be read.
std::string ReadUserDirsFile(const UserEnvironment& environment);

// Writable when access(2) grants the running user write permission on `folder`.
ProgramFolderAccess AccessOf(const std::filesystem::path& folder);

// ChooseMusicFolder for `programFolder` with this process's user, environment and files.
std::filesystem::path ChooseMusicFolderOfThisRun(const std::filesystem::path& programFolder);

}  // namespace melvora
