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

// The song name reads from the left; every other column is centred, in the header and the cells.
inline Qt::Alignment ResultListColumnAlignment(int column) {
    return column == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : Qt::AlignCenter;
}

}  // namespace melvora
