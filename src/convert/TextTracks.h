#pragma once

#include "convert/KeptStreams.h"

#include <QString>
#include <QStringList>
#include <vector>

// A file of subtitle text made for an output: SubRip, with its stream's language.
struct TTextTrackFile {
    QString Path;
    QString Language; // ISO 639-2
    bool Forced = false;
};

// The container's codec for text tracks: SubRip in Matroska, timed text in MP4, WebVTT in WebM; empty
// where the container takes none (the text then goes into files beside the output).
QString TextTrackCodec(TContainer container);

// FFmpeg's arguments that copy input's streams, chapters and tags into output and add the files as text
// tracks after the subtitleTracks the input has already: each with its language, the forced ones marked
// forced and named "Forced", none shown by default otherwise. Never replaces output.
QStringList TextTrackArguments(const QString& input, int subtitleTracks, const std::vector<TTextTrackFile>& files,
                               TContainer container, const QString& output);

// The name of a text file beside output: "Film.eng.srt", "Film.eng.forced.srt"; number > 0 tells apart
// two streams of one language ("Film.eng.2.srt").
QString SideTextFileName(const QString& outputPath, const QString& language, bool forced, int number);
