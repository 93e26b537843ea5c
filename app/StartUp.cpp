#include "app/StartUp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "text/CodePage.h"

namespace melvora {

namespace {

// File names on this system are UTF-8, the program's texts are GBK.
std::string FileSystemPath(const Text& path) {
    return Utf8FromGbk(path);
}

bool MakeDirectory(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) {
        return true;
    }
    struct stat status {};
    return errno == EEXIST && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
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
    struct stat status {};
    return stat(FileSystemPath(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool CreateFolderPath(const Text& path) {
    std::string target = FileSystemPath(path);
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

void MainWindowCreated() {
    const Text musicFolder = "MP3";
    if (IsExistingDirectory(musicFolder)) {
        return;
    }
    CreateFolderPath(musicFolder);
}

}  // namespace melvora
