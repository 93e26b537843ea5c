#include "app/StartUp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/MusicFolder.h"
#include "text/CodePage.h"

namespace melvora {

namespace {

// File names on this system are UTF-8, the program's texts are GBK.
std::string FileSystemPath(const Text& path) {
    return Utf8FromGbk(path);
}

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool MakeDirectory(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) {
        return true;
    }
    return errno == EEXIST && IsDirectory(path);
}

// Paths that did not come from the program's GBK texts (a user's music folder can hold any
// character) are made without a round trip through GBK.
bool CreateFolders(std::string target) {
    if (target.empty() || target.back() != '/') {
        target.push_back('/');
    }
    // Every '/' ends one folder of the path; a leading '/' is the root, which always exists.
    for (std::string::size_type slash = target.find('/', 1); slash != std::string::npos;
         slash = target.find('/', slash + 1)) {
        if (target[slash - 1] == '/') {
            continue;
        }
        if (!MakeDirectory(target.substr(0, slash))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool MakeProgramFolderCurrent() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return false;
    }
    std::filesystem::current_path(program.parent_path(), error);
    return !error;
}

bool IsExistingDirectory(const Text& path) {
    return IsDirectory(FileSystemPath(path));
}

bool CreateFolderPath(const Text& path) {
    return CreateFolders(FileSystemPath(path));
}

std::filesystem::path MusicFolderOfThisRun() {
    std::error_code error;
    const std::filesystem::path programFolder = std::filesystem::current_path(error);
    // A current directory that is gone (or unreadable) cannot take songs; the empty path is not
    // writable, so the songs go to the user's music folder.
    return ChooseMusicFolderOfThisRun(error ? std::filesystem::path() : programFolder);
}

void MakeMusicFolder(const std::filesystem::path& musicFolder) {
    if (IsDirectory(musicFolder.string())) {
        return;
    }
    CreateFolders(musicFolder.string());
}

void MainWindowCreated(const std::filesystem::path& musicFolder) {
    MakeMusicFolder(musicFolder);
}

}  // namespace melvora
