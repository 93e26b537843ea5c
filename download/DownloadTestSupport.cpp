#include "download/DownloadTestSupport.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <vector>

namespace melvora::download::test {

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "melvora-download-XXXXXX");
    if (mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
}

ScratchFolder::~ScratchFolder() {
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FolderListing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto& name : names) {
        listing += name + "\n";
    }
    return listing;
}

std::string MakeBody(std::size_t size, uint32_t seed) {
    std::mt19937 generator(seed);
    std::string body(size, '\0');
    for (char& byte : body) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return body;
}

std::string ExpectedRequest(std::string_view hostPort, std::string_view target,
                            std::string_view headerBlock) {
    std::ostringstream request;
    request << "GET " << target << " HTTP/1.1\r\nHost: " << hostPort << "\r\n"
            << headerBlock << "\r\n\r\n";
    return request.str();
}

testing::Reply FullReply(std::string body) {
    testing::Reply reply;
    reply.body = std::move(body);
    return reply;
}

testing::Reply PartialReply(const std::string& body, std::size_t from) {
    testing::Reply reply;
    reply.status = 206;
    reply.reason = "Partial Content";
    reply.headers = {{"Content-Range", "bytes " + std::to_string(from) + "-" +
                                           std::to_string(body.size() - 1) + "/" +
                                           std::to_string(body.size())}};
    reply.body = body.substr(from);
    return reply;
}

}  // namespace melvora::download::test
