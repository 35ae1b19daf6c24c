#pragma once

#include "convert/ChapterMarks.h"
#include "convert/TitleOutline.h"
#include "profiles/ArgumentBuilder.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

// What the one FFmpeg command of the direct engine is made of.
struct TDirectArgsInput {
    QString StageTwoText;               // the profile's arguments, as BuildStageTwoArgs returns them
    TMencOutputSettings Settings;       // Size, Width and Aspect of the profile, for the scaling filter
    QString TitleAspect;                // "16:9", "4:3", ...
    double OffsetSeconds = 0;           // where the range starts in the stream
    double LengthSeconds = 0;           // the range's length; 0 or less: to the stream's end
    int AudioStreamId = -1;             // program stream id of the chosen audio; -1: the first audio stream
    int SubtitleStreamId = -1;          // program stream id of the subtitle to burn in; -1: none
    std::array<uint32_t, 16> Palette{}; // the title's sub-picture colours, 0x00YYCrCb
    // The audio kept, in order, with languages; when given, AudioStreamId is not looked at.
    std::vector<TListedStream> AudioStreams;
    std::vector<TListedStream> SubtitleTracks; // sub-pictures kept as switchable tracks
    QString FieldFilter;                       // what the profile's "-vf auto" stands for; empty: no filter
    QString CanvasSize;                        // the title's frame ("720x576") the sub-pictures lie on
    std::vector<TChapterMark> Chapters;        // relative to the range's start
    QString Input = QStringLiteral("pipe:0");
    QString OutputPath;
};

// FFmpeg's arguments: the stream read as MPEG program stream, the chosen video, audio and subtitle by id,
// one video filter chain (the profile's own filter, the subtitle overlay, the custom size letterboxed into
// square pixels; none when the profile copies the picture), the profile's other arguments (less those of
// an encoder for a copied stream), the kept tracks with their languages, the chapter marks, the range cut
// on the output side and the output's display aspect.
QStringList BuildDirectArguments(const TDirectArgsInput& in);

// The sub-picture colours as FFmpeg's dvdsub decoder takes them: 16 "rrggbb" texts joined by ",". Empty for
// a palette that is all zero (a disc that sets none): FFmpeg's own colours are better than 16 times green.
QString PaletteArgument(const std::array<uint32_t, 16>& ycrcb);
