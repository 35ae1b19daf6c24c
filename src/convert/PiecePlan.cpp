#include "PiecePlan.h"

#include <algorithm>
#include <cmath>

std::vector<TPieceCut> PlanPieces(const std::vector<TDvdStreamReader::TVobuStart>& vobus, double start,
                                  double end, int count, double minSeconds) {
    const std::vector<TPieceCut> whole{{start, end, -1}};
    for (size_t i = 1; i < vobus.size(); ++i)
        if (vobus[i].Seconds <= vobus[i - 1].Seconds)
            return whole;
    std::vector<size_t> cuts; // the VOBUs the pieces after the first start at
    double from = start;
    for (int k = 1; k < count; ++k) {
        const double target = start + (end - start) * k / count;
        size_t best = 0;
        for (size_t j = cuts.empty() ? 1 : cuts.back() + 1; j < vobus.size(); ++j) {
            const double at = vobus[j].Seconds;
            if (vobus[j - 1].Cell != vobus[j].Cell || at < from + minSeconds || at > end - minSeconds)
                continue;
            if (best == 0 || std::abs(at - target) < std::abs(vobus[best].Seconds - target))
                best = j;
        }
        if (best == 0)
            continue;
        cuts.push_back(best);
        from = vobus[best].Seconds;
    }
    if (cuts.empty())
        return whole;
    std::vector<TPieceCut> pieces{{start, vobus[cuts.front()].Seconds, -1}};
    for (size_t i = 0; i < cuts.size(); ++i)
        pieces.push_back({vobus[cuts[i]].Seconds, i + 1 < cuts.size() ? vobus[cuts[i + 1]].Seconds : end,
                          int(cuts[i]) - 1});
    return pieces;
}

int PieceCount(int chosen, int cores, double seconds) {
    if (chosen > 0)
        return std::min(chosen, kMaxPieces);
    if (seconds < kAutoPiecesFrom)
        return 1;
    return std::clamp(std::min(cores, int(seconds / kAutoPieceSeconds)), 1, kMaxPieces);
}

QStringList PieceThreadOptions(const QStringList& profile, int cores, int pieces) {
    const auto ownThreads = [](const QString& option) {
        return option == "-threads" || option.startsWith("-threads:");
    };
    if (std::any_of(profile.begin(), profile.end(), ownThreads))
        return {};
    return {"-threads", QString::number(std::max(1, cores / std::max(1, pieces)))};
}
