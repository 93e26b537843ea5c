#pragma once

#include <QString>
#include <Qt>
#include <array>

namespace melvora {

// The columns of the result list 歌曲超级列表框: song name, singer, file hash, ID, play address.
struct ResultListColumn {
    const char* title;  // UTF-8
    int width;
};

inline constexpr std::array<ResultListColumn, 5> kResultListColumns{{
    {"      歌曲名", 120},
    {"歌手", 80},
    {"FileHASH", 200},
    {"ID", 120},
    {"地址", 500},
}};

// The columns by number, as the result list's cells are addressed.
inline constexpr int kSongNameColumn = 0;
inline constexpr int kSingerNameColumn = 1;
inline constexpr int kFileHashColumn = 2;
inline constexpr int kIdColumn = 3;
inline constexpr int kPlayAddressColumn = 4;

// The two parts of the status bar 状态条1: the song count, and the download's progress.
inline constexpr int kCountPart = 0;
inline constexpr int kProgressPart = 1;

// The song name reads from the left; every other column is centred, in the header and the cells.
inline Qt::Alignment ResultListColumnAlignment(int column) {
    return column == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : Qt::AlignCenter;
}

}  // namespace melvora
