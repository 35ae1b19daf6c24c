#include "TextCues.h"

#include <algorithm>
#include <cmath>

namespace {

QString SubRipTime(double seconds) {
    const long long ms = std::llround(std::max(0.0, seconds) * 1000);
    return QString::asprintf("%02lld:%02lld:%02lld,%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                             ms % 1000);
}

} // namespace

QByteArray SubRipText(const std::vector<TTextCue>& cues) {
    QString text;
    int number = 0;
    for (const TTextCue& cue : cues)
        text += QString::number(++number) + "\n" + SubRipTime(cue.Start) + " --> " + SubRipTime(cue.End) + "\n" +
                cue.Text + "\n\n";
    return text.toUtf8();
}

std::vector<TTextCue> SettledCues(std::vector<TTextCue> cues, double length) {
    constexpr double kLongest = 5.0;
    std::stable_sort(cues.begin(), cues.end(), [](const TTextCue& a, const TTextCue& b) { return a.Start < b.Start; });
    for (size_t i = 0; i < cues.size(); ++i)
        if (cues[i].End < cues[i].Start) {
            const double next = i + 1 < cues.size() ? cues[i + 1].Start : cues[i].Start + kLongest;
            cues[i].End = std::min(next, cues[i].Start + kLongest);
        }
    std::vector<TTextCue> settled;
    for (TTextCue& cue : cues) {
        cue.Start = std::max(0.0, cue.Start);
        cue.End = std::min(length, cue.End);
        if (cue.End > cue.Start && !cue.Text.isEmpty())
            settled.push_back(std::move(cue));
    }
    return settled;
}
