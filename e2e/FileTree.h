#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace melvora::testing {

// Everything below `root`: the path relative to it (folders end in '/') and, for files, the
// size. Two trees compare equal when nothing was added, removed or resized.
using FileTree = std::map<std::string, std::uintmax_t>;
FileTree FilesUnder(const std::filesystem::path& root);

// The whole content of a file; empty when it cannot be read.
std::string FileContent(const std::filesystem::path& file);

}  // namespace melvora::testing
