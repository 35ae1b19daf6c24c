#include "dvd/TitleRelations.h"

#include <gtest/gtest.h>
#include <ostream>

void PrintTo(const TTitleRelation& r, std::ostream* os) {
    if (r.SameAs != 0)
        *os << "same as " << r.SameAs;
    else if (!r.PlaysTitles.empty()) {
        *os << "plays";
        for (int n : r.PlaysTitles)
            *os << ' ' << n;
    } else
        *os << "-";
}

namespace {

// Cell n of a title set: sectors n*100 to n*100+99.
TCellSectors C(uint32_t n) {
    return {n * 100, n * 100 + 99};
}

TTitleCells T(int set, int chain, std::vector<TCellSectors> cells) {
    return {set, chain, std::move(cells)};
}

const TTitleRelation None{};
TTitleRelation Same(int n) {
    return {n, {}};
}
TTitleRelation Plays(std::vector<int> titles) {
    return {0, std::move(titles)};
}

struct TCase {
    const char* Name;
    std::vector<TTitleCells> Titles;
    std::vector<TTitleRelation> Expected;
};

const TCase kCases[] = {
    {"one title", {T(1, 1, {C(1), C(2)})}, {None}},
    {"a film disc: a film and its extras",
     {T(1, 1, {C(1), C(2), C(3)}), T(2, 1, {C(1)}), T(2, 2, {C(2)})},
     {None, None, None}},
    {"the same chain, even one whose cells cannot be read",
     {T(1, 1, {C(1)}), T(1, 1, {C(1)}), T(2, 3, {}), T(2, 3, {})},
     {None, Same(1), None, Same(3)}},
    {"the same cells from another chain; a third copy names the first",
     {T(1, 1, {C(1), C(2)}), T(1, 2, {C(1), C(2)}), T(1, 3, {C(1), C(2)})},
     {None, Same(1), Same(1)}},
    {"the same sectors in another title set are other cells",
     {T(1, 1, {C(1)}), T(2, 1, {C(1)})},
     {None, None}},
    {"the same cells in another order", {T(1, 1, {C(1), C(2)}), T(1, 2, {C(2), C(1)})}, {None, None}},
    {"a play all of two",
     {T(1, 1, {C(1)}), T(1, 2, {C(2)}), T(1, 3, {C(1), C(2)})},
     {None, None, Plays({1, 2})}},
    {"a play all of three, listed first, of titles of several cells",
     {T(1, 1, {C(1), C(2), C(3), C(4), C(5)}), T(1, 2, {C(1), C(2)}), T(1, 3, {C(3)}), T(1, 4, {C(4), C(5)})},
     {Plays({2, 3, 4}), None, None, None}},
    {"a play all in another order than the titles'",
     {T(1, 1, {C(1)}), T(1, 2, {C(2)}), T(1, 3, {C(2), C(1)})},
     {None, None, Plays({2, 1})}},
    {"a play all with an introduction of its own",
     {T(1, 1, {C(1)}), T(1, 2, {C(2)}), T(1, 3, {C(9), C(1), C(2)})},
     {None, None, None}},
    {"a title that is a stretch of another",
     {T(1, 1, {C(1), C(2), C(3)}), T(1, 2, {C(2), C(3)})},
     {None, None}},
    {"a play all that covers only part of a title",
     {T(1, 1, {C(1), C(2)}), T(1, 2, {C(3)}), T(1, 3, {C(1), C(3)})},
     {None, None, None}},
    {"cells whose sectors overlap without being equal",
     {T(1, 1, {{0, 99}}), T(1, 2, {{100, 199}}), T(1, 3, {{0, 199}}), T(1, 4, {{0, 99}, {100, 150}})},
     {None, None, None, None}},
    {"a title played twice is no play all", {T(1, 1, {C(1)}), T(1, 2, {C(1), C(1)})}, {None, None}},
    {"a play all of play alls names the episodes",
     {T(1, 1, {C(1)}), T(1, 2, {C(2)}), T(1, 3, {C(3)}), T(1, 4, {C(1), C(2)}), T(1, 5, {C(1), C(2), C(3)})},
     {None, None, None, Plays({1, 2}), Plays({1, 2, 3})}},
    {"a repeated episode is not a part; a repeated play all is a repeat",
     {T(1, 1, {C(1)}), T(1, 2, {C(2)}), T(1, 3, {C(1)}), T(1, 4, {C(1), C(2)}), T(1, 5, {C(1), C(2)})},
     {None, None, Same(1), Plays({1, 2}), Same(4)}},
    {"parts from another title set do not make a play all",
     {T(1, 1, {C(1)}), T(2, 1, {C(2)}), T(2, 2, {C(1), C(2)})},
     {None, None, None}},
    {"titles without cells, or that cannot be placed",
     {T(1, 1, {}), T(1, 2, {}), T(0, 0, {}), T(0, 0, {}), T(1, 3, {C(1)})},
     {None, None, None, None, None}},
};

TEST(TitleRelations, Table) {
    for (const TCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(RelateTitles(c.Titles), c.Expected);
    }
}

TEST(TitleRelations, NoTitles) {
    EXPECT_TRUE(RelateTitles({}).empty());
}

} // namespace
