#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One chapter mark of an output: where it starts, in seconds from the output's start, and the disc's number
// of the chapter (from 1), which names it "Chapter 01".
struct TChapterMark {
    double Start = 0;
    int Number = 0;
};

// The marks of the range start..end of a title whose programs (chapters) start at programStarts, in
// seconds from the title's start: the chapter the range starts in, at 0, then each chapter that starts
// inside the range. A chapter starting within half a second of either end of the range gets no mark of
// its own (the rows' ranges are whole seconds). Empty when the title has no programs.
std::vector<TChapterMark> ChapterMarksInRange(const std::vector<double>& programStarts, double start,
                                              double end);

// FFmpeg's metadata text of the marks: each chapter ends where the next starts, the last at length
// seconds; every time moved on by shift seconds (where the output's start lies in the encoder's input).
QString ChapterMetadata(const std::vector<TChapterMark>& marks, double length, double shift = 0);

// The encoder's input that carries the marks (the metadata as a base64 data: URL, so no file is left behind
// and the command stays one line) and
// the option that takes the chapters from input number inputIndex; empty without marks.
QStringList ChapterInputArguments(const std::vector<TChapterMark>& marks, double length, double shift);
QStringList ChapterMapArguments(const std::vector<TChapterMark>& marks, int inputIndex);

// What the user should know about the marks of a range: a title without programs, a range within one
// chapter of a title that has more; empty otherwise.
QString ChapterMarksNote(const std::vector<double>& programStarts, const std::vector<TChapterMark>& marks);
