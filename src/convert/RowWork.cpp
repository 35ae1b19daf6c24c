#include "RowWork.h"

#include <algorithm>

int RowsAtOnce(int asked, int cores, int piecesPerRow) {
    const int share = std::max(1, cores / std::max(1, piecesPerRow));
    if (asked <= 0)
        return share;
    return piecesPerRow > 1 ? std::min(asked, share) : asked;
}
