#pragma once

#include "IfoTypes.h"

#include <vector>

// What the comparison of titles needs of one title: where its program chain is and the chain's cells.
struct TTitleCells {
    int TitleSet = 0; // from 1; 0 when the title cannot be placed
    int Chain = 0;    // from 1 within the title set; 0 when the title cannot be placed
    std::vector<TCellSectors> Cells;
};

// How a title relates to the others, titles numbered from 1.
struct TTitleRelation {
    int SameAs = 0;               // the earlier title this one plays again; 0 when none
    std::vector<int> PlaysTitles; // the titles this "play all" plays one after the other; empty when none
    bool operator==(const TTitleRelation&) const = default;
};

// One relation per title, in the order of titles (titles[0] is title 1).
//
// A title is the same as an earlier title when it plays the same program chain of the same title set, or
// exactly the same cells (title set, first and last sector of every cell, in the same order); it then names
// the first title that plays them. A title is a "play all" when its cells are, one after the other, the
// whole cells of two or more other titles that are neither repeats nor "play all" titles themselves.
//
// Partial overlaps are marked as nothing, because skipping such a title would lose something:
// - a title that shares cells with others but also plays a cell no other title plays whole (a branch of an
//   extended cut, a "play all" with an introduction of its own);
// - a title whose cells are only a stretch of another title's (neither of the two is marked);
// - a cell whose sectors overlap another cell's without being equal is another cell;
// - a "play all" must play each of its titles whole and once: repeating one is not a "play all".
// A title without cells (its chain unreadable or empty) is never marked by its cells, nor a part of another.
// Where titles can be cut up in several ways, the fewest titles are named, the earlier ones first.
std::vector<TTitleRelation> RelateTitles(const std::vector<TTitleCells>& titles);
