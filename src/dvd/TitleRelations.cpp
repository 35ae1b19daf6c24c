#include "TitleRelations.h"

#include <algorithm>
#include <limits>
#include <map>
#include <numeric>
#include <set>
#include <utility>

namespace {

bool SameChain(const TTitleCells& a, const TTitleCells& b) {
    return a.TitleSet > 0 && a.Chain > 0 && a.TitleSet == b.TitleSet && a.Chain == b.Chain;
}

bool SameCells(const TTitleCells& a, const TTitleCells& b) {
    return a.TitleSet > 0 && !a.Cells.empty() && a.TitleSet == b.TitleSet && a.Cells == b.Cells;
}

using TCellKey = std::pair<int, std::pair<uint32_t, uint32_t>>;

TCellKey KeyOf(int titleSet, const TCellSectors& cell) {
    return {titleSet, {cell.First, cell.Last}};
}

// The fewest parts whose cells, one after the other, are exactly the title's; empty when there are none.
// parts are title indexes in ascending order; byFirstCell lists them by the key of their first cell.
std::vector<int> CutIntoParts(const TTitleCells& title, const std::vector<TTitleCells>& titles,
                              const std::map<TCellKey, std::vector<int>>& byFirstCell) {
    const size_t n = title.Cells.size();
    constexpr size_t kNone = std::numeric_limits<size_t>::max();
    // fewest[p]: the fewest parts that play cells p..n-1; taken[p]: the first of them.
    std::vector<size_t> fewest(n + 1, kNone);
    std::vector<int> taken(n + 1, -1);
    fewest[n] = 0;
    for (size_t p = n; p-- > 0;) {
        const auto found = byFirstCell.find(KeyOf(title.TitleSet, title.Cells[p]));
        if (found == byFirstCell.end())
            continue;
        for (int part : found->second) {
            const std::vector<TCellSectors>& cells = titles[size_t(part)].Cells;
            const size_t end = p + cells.size();
            if (end > n || fewest[end] == kNone || fewest[end] + 1 >= fewest[p])
                continue;
            if (std::equal(cells.begin(), cells.end(), title.Cells.begin() + std::ptrdiff_t(p))) {
                fewest[p] = fewest[end] + 1;
                taken[p] = part;
            }
        }
    }
    std::vector<int> parts;
    if (fewest[0] == kNone)
        return parts;
    for (size_t p = 0; p < n; p += titles[size_t(taken[p])].Cells.size())
        parts.push_back(taken[p]);
    return parts;
}

} // namespace

std::vector<TTitleRelation> RelateTitles(const std::vector<TTitleCells>& titles) {
    std::vector<TTitleRelation> relations(titles.size());
    for (size_t i = 0; i < titles.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (relations[j].SameAs == 0 &&
                (SameChain(titles[j], titles[i]) || SameCells(titles[j], titles[i]))) {
                relations[i].SameAs = int(j) + 1;
                break;
            }

    // Parts are shorter than the title they make up: taking titles from the fewest cells up, every title
    // that could be a part of the current one is already known to be a "play all" or not.
    std::vector<size_t> order(titles.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return titles[a].Cells.size() < titles[b].Cells.size(); });
    std::map<TCellKey, std::vector<int>> byFirstCell;
    for (size_t k = 0; k < order.size();) {
        // Titles of as many cells cannot be parts of one another: add them as parts only after all of them.
        size_t end = k;
        while (end < order.size() && titles[order[end]].Cells.size() == titles[order[k]].Cells.size())
            ++end;
        std::vector<size_t> parts;
        for (size_t m = k; m < end; ++m) {
            const size_t i = order[m];
            const TTitleCells& title = titles[i];
            if (relations[i].SameAs != 0 || title.TitleSet <= 0 || title.Cells.empty())
                continue;
            const std::vector<int> cut = CutIntoParts(title, titles, byFirstCell);
            const std::set<int> distinct(cut.begin(), cut.end());
            if (cut.size() >= 2 && distinct.size() == cut.size()) {
                for (int part : cut)
                    relations[i].PlaysTitles.push_back(part + 1);
            } else {
                parts.push_back(i);
            }
        }
        for (size_t i : parts) {
            std::vector<int>& list = byFirstCell[KeyOf(titles[i].TitleSet, titles[i].Cells.front())];
            list.insert(std::upper_bound(list.begin(), list.end(), int(i)), int(i));
        }
        k = end;
    }
    return relations;
}
