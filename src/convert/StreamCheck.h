#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How long each stream of an output file came out, as ffprobe reads it. -1: no such stream.
struct TStreamLengths {
    double Video = -1;
    double Audio = -1;
};

// The ffprobe that belongs to the stage-two encoder: the one beside the program the encoder path leads to
// (links followed), else the one on the PATH; empty when there is none.
QString FindStreamProbe(const QString& stageTwoExePath);

// ffprobe's arguments for a file, and the reading of what it prints. A stream without a length of its own
// (some containers keep only the file's) is given the file's. False when the text holds no streams.
QStringList StreamProbeArguments(const QString& file);
bool ParseStreamLengths(const QByteArray& json, TStreamLengths& lengths);

// Which streams the stage-two arguments keep.
bool KeepsVideo(const QStringList& stageTwoArguments);
bool KeepsAudio(const QStringList& stageTwoArguments);

// Empty when every kept stream covers the range; otherwise the user's explanation of which stream came out
// how long. A stream may fall short of the range by 0.5 s or by 1 %, whichever is more: a short range cut
// by a damaged disc must not pass, and a long one may lose a frame or two at each end.
QString ShortStreamProblem(const TStreamLengths& lengths, double rangeSeconds, bool video, bool audio);
