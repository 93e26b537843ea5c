#include "search/SearchUrls.h"

#include <string_view>

namespace melvora {

Text SearchUrl(const Endpoints& endpoints, const Text& keyword) {
    // The query starts with an empty parameter ("?&"); the service accepts it and so do we.
    return Text("http://") + Text(std::string_view(endpoints.searchHost)) +
           "/song_search_v2?&keyword=" + keyword +
           "&page=1&pagesize=30&userid=-1&clientver=&platform=WebFilter&tag=em&filter=2"
           "&iscorrection=1&privilege_filter=0";
}

Text PlayDataUrl(const Endpoints& endpoints, const Text& fileHash, const Text& id,
                 const Text& timestamp) {
    return Text("http://") + Text(std::string_view(endpoints.playHost)) +
           "/yy/index.php?r=play/getdata&hash=" + fileHash + "&album_id=" + id + "&_=" + timestamp;
}

}  // namespace melvora
