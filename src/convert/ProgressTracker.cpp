#include "ProgressTracker.h"

#include "tasks/TimeText.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

// Rounds halves to the even neighbour; false for values no bar or counter can show.
bool RoundToInt(double value, long long& out) {
    if (!std::isfinite(value) || std::fabs(value) > 1e15)
        return false;
    out = std::llrint(value);
    return true;
}

} // namespace

bool ReadNumber(const QString& text, double& value) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    if (!number.match(text).hasMatch())
        return false;
    value = text.trimmed().toDouble();
    return std::isfinite(value);
}

bool ReadStageTwoTime(const QString& text, double& value) {
    if (ReadNumber(text, value))
        return true;
    const double seconds = TimeTextToSeconds(text);
    if (seconds < 0)
        return false;
    value = seconds;
    return true;
}

bool LastStageOnePosition(const QString& chunk, double& value) {
    const qsizetype at = chunk.lastIndexOf("Pos:");
    if (at < 0)
        return false;
    const QString rest = chunk.mid(at + 4);
    const qsizetype s = rest.indexOf('s');
    return s >= 0 && ReadNumber(rest.left(s), value);
}

void TProgressTracker::StartRun(const std::vector<double>& itemLengths) {
    FFigures = TProgressFigures{};
    FFigures.ElapsedText.clear();
    FFigures.RemainingText.clear();
    FDoneSeconds = 0;
    FElapsedSeconds = FRemainingSeconds = 0;
    FStageOnePosition = 0;
    FPositionText.clear();
    FTotalSeconds = 0;
    for (double length : itemLengths)
        FTotalSeconds += length;
    FTotalSeconds *= 2;
}

void TProgressTracker::StartItem(double itemSeconds, double frameRate, TMode mode) {
    FMode = mode;
    if (mode != Sequential) // the sequential figures carry over from the item before, as they always have
        FStageOnePosition = FStageTwoTime = 0;
    FFigures.CurrentBar = 0;
    FFigures.CurrentLabel = "0%";
    FItemSeconds = itemSeconds;
    FFrameRate = frameRate;
    long long frames = 0;
    RoundToInt(itemSeconds * frameRate, frames);
    FItemFrames = int(frames);
    FFigures.FrameText = "0 / " + QString::number(FItemFrames);
}

void TProgressTracker::SetCurrentBar(double value) {
    long long bar = 0;
    if (!RoundToInt(value, bar) || bar < 0)
        throw std::range_error("bar");
    FFigures.CurrentBar = int(std::min(bar, 100LL));
}

void TProgressTracker::SetTotalBar(double value) {
    long long bar = 0;
    if (!RoundToInt(value, bar) || bar < 0)
        throw std::range_error("bar");
    FFigures.TotalBar = int(std::min(bar, 100LL));
}

void TProgressTracker::UpdateLabels() {
    FFigures.CurrentLabel = QString::number(FFigures.CurrentBar) + "%";
    FFigures.TotalLabel = QString::number(FFigures.TotalBar) + "%";
}

void TProgressTracker::StageOneChunk(const QString& chunk, int readIndex) {
    if (readIndex < 20)
        return;
    const qsizetype at = chunk.indexOf("Pos:");
    if (at >= 0) {
        const QString rest = chunk.mid(at + 4);
        const qsizetype s = rest.indexOf('s');
        FPositionText = s < 0 ? QString() : rest.left(s);
    }
    // A figure that cannot be shown ends the handling of this chunk; what was set stays.
    try {
        double position = 0;
        if (ReadNumber(FPositionText, position))
            FStageOnePosition = position;
        if (FMode != Sequential)
            return ShowBothStages();
        if (FItemSeconds != 0) {
            SetCurrentBar(FStageOnePosition / FItemSeconds * 100 / 2);
            long long frames = 0;
            if (!RoundToInt(FStageOnePosition * FFrameRate / 2, frames))
                throw std::range_error("frames");
            FFigures.FrameText = QString::number(frames) + " / " + QString::number(FItemFrames);
        }
        if (FTotalSeconds != 0)
            SetTotalBar((FDoneSeconds + FStageOnePosition) / FTotalSeconds * 100);
        UpdateLabels();
    } catch (const std::range_error&) {
    }
}

void TProgressTracker::StartStageTwo() {
    FStageTwoTime = 0;
}

void TProgressTracker::ReadStageTwoTimeOf(const QString& chunk) {
    const qsizetype at = chunk.indexOf("time");
    if (at >= 0) {
        QString rest = chunk.mid(at + 5);
        const qsizetype blank = rest.indexOf(' ');
        rest = blank < 0 ? QString() : rest.left(blank);
        double time = 0;
        if (ReadStageTwoTime(rest, time) && time > FStageTwoTime)
            FStageTwoTime = time;
    }
}

void TProgressTracker::StageTwoChunk(const QString& chunk, int readIndex) {
    if (readIndex < 2)
        return;
    ReadStageTwoTimeOf(chunk);
    if (FMode == OneEncoder) // what the one encoder has read counts as what stage one would have
        FStageOnePosition = std::min(FStageTwoTime, FItemSeconds);
    if (FMode != Sequential)
        return ShowBothStages();
    try {
        if (FItemSeconds != 0) {
            SetCurrentBar((FItemSeconds + FStageTwoTime) / (FItemSeconds * 2) * 100);
            long long frames = 0;
            if (!RoundToInt((FItemSeconds + FStageTwoTime) / 2 * FFrameRate, frames))
                throw std::range_error("frames");
            FFigures.FrameText = QString::number(frames) + " / " + QString::number(FItemFrames);
        }
        if (FTotalSeconds != 0)
            SetTotalBar((FDoneSeconds + FItemSeconds + FStageTwoTime) / FTotalSeconds * 100);
        UpdateLabels();
    } catch (const std::range_error&) {
    }
}

// Both stages' figures (or the one encoder's, counted twice) as one, held below 100 until the item ends.
void TProgressTracker::ShowBothStages() {
    const double done = std::min(FStageOnePosition, FItemSeconds) +
                        std::min(FMode == OneEncoder ? FStageOnePosition : FStageTwoTime, FItemSeconds);
    if (FItemSeconds > 0 && std::isfinite(done)) {
        FFigures.CurrentBar =
            std::max(FFigures.CurrentBar, int(std::min(99.0, done / (2 * FItemSeconds) * 100)));
        const double shown = FFigures.CurrentBar / 100.0 * FItemSeconds;
        long long frames = 0;
        if (RoundToInt(shown * FFrameRate, frames))
            FFigures.FrameText = QString::number(frames) + " / " + QString::number(FItemFrames);
    }
    if (FTotalSeconds > 0 && std::isfinite(done))
        FFigures.TotalBar =
            std::max(FFigures.TotalBar, int(std::min(99.0, (FDoneSeconds + done) / FTotalSeconds * 100)));
    UpdateLabels();
}

void TProgressTracker::ItemConverted() {
    FFigures.CurrentBar = 100;
    FFigures.CurrentLabel = "100%";
    FFigures.FrameText = QString::number(FItemFrames) + " / " + QString::number(FItemFrames);
}

void TProgressTracker::ItemFinished() {
    FDoneSeconds += 2 * FStageOnePosition;
}

void TProgressTracker::ItemFailed() {
    FDoneSeconds += FFigures.CurrentBar / 100.0 * 2 * FItemSeconds;
}

void TProgressTracker::RunCompleted() {
    FFigures.TotalBar = 100;
    FFigures.TotalLabel = "100%";
}

void TProgressTracker::RunEnded() {
    FRemainingSeconds = 0;
    FFigures.RemainingText.clear();
}

void TProgressTracker::Tick() {
    ++FElapsedSeconds;
    FFigures.ElapsedText = SecondsToTimeText(FElapsedSeconds);
    const int p = FFigures.TotalBar;
    if (p != 0) {
        long long remaining = 0;
        if (RoundToInt(FElapsedSeconds / (p / 100.0) - FElapsedSeconds, remaining))
            FRemainingSeconds = int(remaining);
    }
    FFigures.RemainingText = SecondsToTimeText(FRemainingSeconds);
}

void TProgressTracker::ShowRows(const std::vector<TRowProgress>& rows, double frameRate) {
    double position = 0, length = 0;
    FFigures.Rows.clear();
    for (const TRowProgress& row : rows) {
        const double done = std::clamp(row.Position, 0.0, std::max(row.Length, 0.0));
        if (!std::isfinite(done) || !std::isfinite(row.Length))
            continue;
        position += done;
        length += row.Length;
        long long frames = 0, all = 0;
        RoundToInt(done * frameRate, frames);
        RoundToInt(row.Length * frameRate, all);
        FFigures.Rows.push_back({row.Name, row.Length > 0 ? int(std::min(99.0, done / row.Length * 100)) : 0,
                                 QString::number(frames) + " / " + QString::number(all)});
    }
    // The set of rows changes as they end and start: the current bar follows it, as it starts again at each
    // row one after the other. The total only grows, and reaches 100 only when the run is done.
    FFigures.CurrentBar = length > 0 ? int(std::min(99.0, position / length * 100)) : 0;
    long long frames = 0, all = 0;
    RoundToInt(position * frameRate, frames);
    RoundToInt(length * frameRate, all);
    FFigures.FrameText = QString::number(frames) + " / " + QString::number(all);
    if (FTotalSeconds > 0)
        FFigures.TotalBar =
            std::max(FFigures.TotalBar, int(std::min(99.0, (FDoneSeconds + 2 * position) / FTotalSeconds * 100)));
    UpdateLabels();
}

void TProgressTracker::RowEnded(double secondsDone) {
    if (std::isfinite(secondsDone) && secondsDone > 0)
        FDoneSeconds += 2 * secondsDone;
}
