#include "RowWork.h"

#include <algorithm>

int RowsAtOnce(int asked, int cores, int piecesPerRow) {
    const int share = std::max(1, cores / std::max(1, piecesPerRow));
    // Auto: one row more than the cores when rows are whole. An encoder leaves its core idle while it starts,
    // waits for its reader and writes its file's index, and the run's last row would otherwise run alone
    // beside an idle core; a third row on two cores took 0.94x the time of two.
    if (asked <= 0)
        return piecesPerRow > 1 || cores <= 0 ? share : cores + 1;
    return piecesPerRow > 1 ? std::min(asked, share) : asked;
}
