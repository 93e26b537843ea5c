#pragma once

#include "text/Text.h"

namespace melvora {

// One hit of a song search, as its reply names it: highlight tags stripped, GBK.
struct SongHit {
    Text songName;
    Text singerName;
    Text fileHash;
    Text id;
    friend bool operator==(const SongHit&, const SongHit&) = default;
};

}  // namespace melvora
