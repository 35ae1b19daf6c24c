#pragma once

#include <QString>
#include <QStringList>

// How long each stream of an output file came out. -1: no such stream.
struct TStreamLengths {
    double Video = -1;
    double Audio = -1;
};

// Reads the lengths of a finished file's first video and audio streams in this process: from the
// container's headers, or where a format keeps none, from its last packets. A stream without a length of
// its own (some containers keep only the file's) is given the file's. False, with error set, when the file
// cannot be opened or holds no stream.
bool MeasureStreamLengths(const QString& file, TStreamLengths& lengths, QString& error);

// Which streams the stage-two arguments keep.
bool KeepsVideo(const QStringList& stageTwoArguments);
bool KeepsAudio(const QStringList& stageTwoArguments);

// Empty when every kept stream covers the range; otherwise the user's explanation of which stream came out
// how long. A stream may fall short of the range by 2 s or by 2 %, whichever is more.
QString ShortStreamProblem(const TStreamLengths& lengths, double rangeSeconds, bool video, bool audio);
