#include "app/MusicFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace melvora {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMusicDirAssignment = "XDG_MUSIC_DIR=";
constexpr std::string_view kSongsSubfolder = "Melvora/MP3";
constexpr std::string_view kSongsBesideProgram = "MP3";

bool IsAbsolute(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string_view WithoutLeadingBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

// Takes a leading reference to HOME off `raw`. "$HOMEWORK" names another variable, so "$HOME"
// only counts when no name character follows it.
bool TakeHomeReference(std::string_view& raw) {
    if (raw.starts_with("${HOME}")) {
        raw.remove_prefix(7);
        return true;
    }
    if (raw.starts_with("$HOME") && (raw.size() == 5 || !IsNameCharacter(raw[5]))) {
        raw.remove_prefix(5);
        return true;
    }
    return false;
}

// The value of one assignment as the shell that sources user-dirs.dirs would see it. The file
// is written as XDG_MUSIC_DIR="$HOME/Music" or with an absolute path; inside double quotes a
// backslash escapes only $ ` " and itself, unquoted it escapes any character. Any other
// expansion is more than the format allows and makes the value unusable.
std::optional<std::string> AssignedValue(std::string_view raw, std::string_view home) {
    const bool quoted = raw.starts_with('"');
    if (quoted) {
        raw.remove_prefix(1);
    }
    std::string value;
    if (TakeHomeReference(raw)) {
        if (!IsAbsolute(home)) {
            return std::nullopt;
        }
        value = home;
    }
    for (std::string_view::size_type i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\\' && i + 1 < raw.size()) {
            const char next = raw[i + 1];
            if (quoted && std::string_view("$`\"\\").find(next) == std::string_view::npos) {
                value.push_back(c);
            } else {
                value.push_back(next);
                ++i;
            }
            continue;
        }
        if (quoted && c == '"') {
            return value;
        }
        if (!quoted && (c == ' ' || c == '\t')) {
            return value;
        }
        if (c == '$' || c == '`' || c == '"' || c == '\'') {
            return std::nullopt;
        }
        value.push_back(c);
    }
    if (quoted) {
        // The closing quote is missing.
        return std::nullopt;
    }
    return value;
}

// Read once at start-up, before any other thread could change the environment.
std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
    return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFromPasswordDatabase() {
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
}

}  // namespace

fs::path UserDirsFilePath(const UserEnvironment& environment) {
    // Relative XDG_CONFIG_HOME values are invalid and are to be ignored.
    if (IsAbsolute(environment.xdgConfigHome)) {
        return fs::path(environment.xdgConfigHome) / "user-dirs.dirs";
    }
    if (IsAbsolute(environment.home)) {
        return fs::path(environment.home) / ".config" / "user-dirs.dirs";
    }
    return {};
}

fs::path MusicDirFromUserDirs(std::string_view userDirsContent, std::string_view home) {
    fs::path musicDir;
    while (!userDirsContent.empty()) {
        const std::string_view::size_type end = userDirsContent.find('\n');
        std::string_view line = userDirsContent.substr(0, end);
        userDirsContent.remove_prefix(end == std::string_view::npos ? userDirsContent.size()
                                                                    : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        line = WithoutLeadingBlanks(line);
        if (!line.starts_with(kMusicDirAssignment)) {
            continue;
        }
        const std::optional<std::string> value =
            AssignedValue(line.substr(kMusicDirAssignment.size()), home);
        // Like the shell that sources the file, a later assignment replaces an earlier one.
        if (value && IsAbsolute(*value)) {
            musicDir = *value;
        }
    }
    return musicDir;
}

fs::path ChooseMusicFolder(const fs::path& programFolder, ProgramFolderAccess access,
                           const UserEnvironment& environment, std::string_view userDirsContent) {
    fs::path besideProgram = programFolder / kSongsBesideProgram;
    if (access == ProgramFolderAccess::Writable) {
        return besideProgram;
    }
    if (IsAbsolute(environment.xdgMusicDir)) {
        return fs::path(environment.xdgMusicDir) / kSongsSubfolder;
    }
    if (const fs::path fromFile = MusicDirFromUserDirs(userDirsContent, environment.home);
        !fromFile.empty()) {
        return fromFile / kSongsSubfolder;
    }
    if (IsAbsolute(environment.home)) {
        return fs::path(environment.home) / "Music" / kSongsSubfolder;
    }
    return besideProgram;
}

UserEnvironment ReadUserEnvironment() {
    UserEnvironment environment{.home = EnvironmentValue("HOME"),
                                .xdgMusicDir = EnvironmentValue("XDG_MUSIC_DIR"),
                                .xdgConfigHome = EnvironmentValue("XDG_CONFIG_HOME")};
    if (environment.home.empty()) {
        environment.home = HomeFromPasswordDatabase();
    }
    return environment;
}

std::string ReadUserDirsFile(const UserEnvironment& environment) {
    const fs::path path = UserDirsFilePath(environment);
    if (path.empty()) {
        return {};
    }
    std::ifstream file(path, std::ios::binary);
    // A missing or unreadable file, or a folder in its place, reads as empty: no folder named.
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

ProgramFolderAccess AccessOf(const fs::path& folder) {
    return access(folder.c_str(), W_OK) == 0 ? ProgramFolderAccess::Writable
                                             : ProgramFolderAccess::ReadOnly;
}

fs::path ChooseMusicFolderOfThisRun(const fs::path& programFolder) {
    const UserEnvironment environment = ReadUserEnvironment();
    return ChooseMusicFolder(programFolder, AccessOf(programFolder), environment,
                             ReadUserDirsFile(environment));
}

}  // namespace melvora
