#pragma once

#include <vector>

#include "report/SongHit.h"
#include "text/Text.h"

namespace melvora {

// The hits of a song-search reply (already in GBK), read with four field patterns. Row r takes
// the r-th match of every pattern; only the song names decide how many rows there are, so a hit
// that lacks a key shifts that field for every later row, and a field past its pattern's last
// match is empty. Highlight tags are stripped from every field but the ID.
std::vector<SongHit> ParseSearchReply(const Text& reply);

}  // namespace melvora
