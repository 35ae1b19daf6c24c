#pragma once

#include "convert/EncoderSlot.h"
#include "convert/ProgressTracker.h"
#include "convert/WorkFile.h"
#include "subtitles/SubtitleTextJob.h"

#include <atomic>
#include <memory>
#include <vector>

// What one row holds while it is converted: its encoders, its progress, its subtitles being read into
// text. Rows converted side by side each have their own; a run of one row at a time uses the driver's.
struct TRowWork {
    TEncoderSlot StageOne; // also the helpers of the row's end (text tracks)
    TEncoderSlot StageTwo; // the final encoder, then the output's measuring
    TProgressTracker Progress;
    std::unique_ptr<TSubtitleTextJob> TextJob;
    struct TSideText {
        std::unique_ptr<TOwnedFile> File;
        QString Language;
        bool Forced = false;
        int Number = 0; // of the streams of its language
    };
    std::vector<TSideText> SideTexts; // the row's text files waiting for the output's final name
    bool MayReplaceOutput = true; // the row's output may take the place of a file of its name
    std::atomic<double> Position{0}; // seconds of the row done, read by the run while the row goes on
};

// How many rows go side by side: asked 0 is Auto, one more than the cores for whole rows, a row to each share
// of the cores that the pieces of a row leave; a number asked is kept, but never beyond that share once a
// row is cut in pieces.
int RowsAtOnce(int asked, int cores, int piecesPerRow);
