#pragma once

#include "convert/TitleOutline.h"
#include "subtitles/TextCues.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <thread>
#include <vector>

// The text read from one subtitle stream of a row.
struct TTextStream {
    TListedStream Stream;    // its id and ISO 639-2 language
    QString ReaderLanguage;  // the language data it was read with
    std::vector<TTextCue> Cues;
    int Pictures = 0;        // sub-pictures that showed something
    int Unread = 0;          // of them, those whose text could not be read
};

// What the job reads: the row's title, angle and range as the direct engine reads them.
struct TTextJobInput {
    QString DiscPath;
    int Title = 1, Angle = 0;
    double Start = 0, End = 0; // End <= 0: to the title's end
    double Length = 0;         // the output's length in seconds
};

// Reads every subtitle stream of a row into text on a thread of its own, beside the encoder: its own
// reader of the disc, FFmpeg's sub-picture decoder and a text reader per stream.
class TSubtitleTextJob {
public:
    TSubtitleTextJob() = default;
    ~TSubtitleTextJob(); // cancels and waits
    TSubtitleTextJob(const TSubtitleTextJob&) = delete;
    TSubtitleTextJob& operator=(const TSubtitleTextJob&) = delete;

    void Start(const TTextJobInput& input);
    bool Running() const { return FRunning; }
    void Cancel() { FCancel = true; }
    void Wait();

    // After Wait(): false, with ErrorText() set, when the disc could not be read.
    bool Succeeded() const { return FError.isEmpty(); }
    QString ErrorText() const { return FError; }
    const std::vector<TTextStream>& Streams() const { return FStreams; }
    QStringList Notes() const { return FNotes; } // a language read with English data, damaged units

private:
    void Run(const TTextJobInput& input);

    std::thread FThread;
    std::atomic<bool> FRunning = false, FCancel = false;
    QString FError;
    QStringList FNotes;
    std::vector<TTextStream> FStreams;
};
