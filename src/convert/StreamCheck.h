#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// How long each stream of an output file came out. -1: no such stream.
struct TStreamLengths {
    double Video = -1;
    double Audio = -1;
    std::vector<double> AudioTracks; // every audio stream's, in the file's order
    int SubtitleTracks = 0;
};

// How many streams of each kind the encoder's arguments keep.
struct TKeptCounts {
    bool Video = false;
    int Audio = 0;
    int Subtitles = 0;
};

// Reads the lengths of a finished file's streams in this process: from the
// container's headers, or where a format keeps none, from its last packets. A stream without a length of
// its own (some containers keep only the file's) is given the file's. False, with error set, when the file
// cannot be opened or holds no stream.
bool MeasureStreamLengths(const QString& file, TStreamLengths& lengths, QString& error);

// Which streams the stage-two arguments keep.
bool KeepsVideo(const QStringList& stageTwoArguments);
bool KeepsAudio(const QStringList& stageTwoArguments);

// The streams the final encoder's arguments keep: those it maps by the disc's stream ids (0x20.. subtitle
// tracks, the rest audio), or without maps one video and one audio stream unless switched off. A title
// without audio tracks gives no audio, whatever the profile says.
TKeptCounts KeptCounts(const QStringList& arguments, bool titleHasAudio);

// Empty when every kept video and audio stream is there and covers the range; otherwise the user's
// explanation of which one came out how long or is missing.
QString ShortStreamProblem(const TStreamLengths& lengths, double rangeSeconds, const TKeptCounts& kept);
// A kept subtitle track with no picture in the range is left out of some containers: empty, or the note.
QString MissingSubtitleNote(const TStreamLengths& lengths, const TKeptCounts& kept);

// Empty when every kept stream covers the range; otherwise the user's explanation of which stream came out
// how long. A stream may fall short of the range by 0.5 s or by 1 %, whichever is more: a short range cut
// by a damaged disc must not pass, and a long one may lose a frame or two at each end.
QString ShortStreamProblem(const TStreamLengths& lengths, double rangeSeconds, bool video, bool audio);
