#include "ChapterMarks.h"

#include <cmath>

namespace {

constexpr double kMargin = 0.5;

long long Milliseconds(double seconds) {
    return std::llround(seconds * 1000);
}

QString ChapterName(int number) {
    return QStringLiteral("Chapter %1").arg(number, 2, 10, QChar('0'));
}

} // namespace

std::vector<TChapterMark> ChapterMarksInRange(const std::vector<double>& programStarts, double start,
                                              double end) {
    std::vector<TChapterMark> marks;
    if (programStarts.empty() || end <= start)
        return marks;
    // The chapter the range starts in: the last one that starts before it (or just after it).
    size_t first = 0;
    for (size_t p = 0; p < programStarts.size(); ++p)
        if (programStarts[p] <= start + kMargin)
            first = p;
    marks.push_back({0, int(first) + 1});
    for (size_t p = first + 1; p < programStarts.size(); ++p)
        if (programStarts[p] > start + kMargin && programStarts[p] < end - kMargin)
            marks.push_back({programStarts[p] - start, int(p) + 1});
    return marks;
}

QString ChapterMetadata(const std::vector<TChapterMark>& marks, double length, double shift) {
    QString text = QStringLiteral(";FFMETADATA1\n");
    for (size_t i = 0; i < marks.size(); ++i) {
        const double end = i + 1 < marks.size() ? marks[i + 1].Start : length;
        text += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=%3\n")
                    .arg(Milliseconds(marks[i].Start + shift))
                    .arg(Milliseconds(end + shift))
                    .arg(ChapterName(marks[i].Number));
    }
    return text;
}

QStringList ChapterInputArguments(const std::vector<TChapterMark>& marks, double length, double shift) {
    if (marks.empty())
        return {};
    // In base64, so that the command line stays one line wherever it is shown.
    return {"-f", "ffmetadata", "-i",
            "data:text/plain;base64," +
                QString::fromLatin1(ChapterMetadata(marks, length, shift).toUtf8().toBase64())};
}

QStringList ChapterMapArguments(const std::vector<TChapterMark>& marks, int inputIndex) {
    if (marks.empty())
        return {};
    return {"-map_chapters", QString::number(inputIndex)};
}

QString ChapterMarksNote(const std::vector<double>& programStarts, const std::vector<TChapterMark>& marks) {
    if (programStarts.empty())
        return QStringLiteral("the title lists no chapters, so the output has no chapter marks");
    if (marks.size() == 1 && programStarts.size() > 1)
        return QStringLiteral("the range lies within chapter %1, so the output has that one chapter mark")
            .arg(marks.front().Number, 2, 10, QChar('0'));
    return {};
}
