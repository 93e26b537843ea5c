#include "e2e/FileTree.h"

#include <fstream>
#include <iterator>

namespace melvora::testing {

FileTree FilesUnder(const std::filesystem::path& root) {
    FileTree tree;
    std::error_code error;
    for (auto entry = std::filesystem::recursive_directory_iterator(root, error);
         !error && entry != std::filesystem::recursive_directory_iterator();
         entry.increment(error)) {
        const std::string relative = entry->path().lexically_relative(root).string();
        if (entry->is_directory(error)) {
            tree[relative + "/"] = 0;
        } else {
            tree[relative] = entry->is_regular_file(error) ? entry->file_size(error) : 0;
        }
    }
    return tree;
}

std::string FileContent(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace melvora::testing
