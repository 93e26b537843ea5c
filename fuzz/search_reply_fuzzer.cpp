// The song search's reading of a hostile reply: the UTF-8 body turned into GBK and read into
// hits by the search's own parser. The whole input is the reply body.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "search/SearchReply.h"
#include "text/TextHelpers.h"

namespace {

using melvora::Text;
using melvora::fuzz::Require;

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const Text body(std::string_view(reinterpret_cast<const char*>(data), size));
    const Text reply = melvora::Utf8ToGbk(body);
    if (IsAscii(body.view())) {
        Require(reply == body, "an ASCII reply is the same in GBK");
    }

    const auto hits = melvora::ParseSearchReply(reply);
    // Each hit's song-name match holds at least its key, three quotes and a colon.
    Require(hits.size() * 12 <= reply.size(), "hits fit in the reply");
    std::size_t songNameBytes = 0;
    for (const auto& hit : hits) {
        for (const Text* field : {&hit.songName, &hit.singerName, &hit.fileHash, &hit.id}) {
            Require(field->size() <= reply.size(), "a field is no longer than the reply");
        }
        songNameBytes += hit.songName.size();
    }
    Require(songNameBytes <= reply.size(), "the song names together fit in the reply");
    return 0;
}
