#pragma once

#include "convert/DvdStreamReader.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <thread>

struct TMencOutputSettings;
struct TTaskNode;

// The direct engine: the program reads the row's cells itself and streams them into one FFmpeg process
// that does all the work, so there is neither a work file nor a second encoder.

// What an output keeps beyond the row's own choices.
struct TOutputOptions {
    bool ChapterMarks = true;
    bool KeepAllStreams = false; // every audio and subtitle track, whatever the row chose (a lossless copy)
    bool PictureOnly = false;    // no audio or subtitle track, whatever the row chose (a piece of a row)
};

// Opens reader on the row's title (a chapter: its title), angle and current range. discPath is the
// folder that holds VIDEO_TS.IFO. Each subtitle stream the output keeps as a track is announced, so that the
// encoder finds it even in a range where it shows nothing.
bool OpenRowStream(TDvdStreamReader& reader, const QString& discPath, const TTaskNode& row,
                   const TOutputOptions& options = {});

// FFmpeg's arguments for the row, reading the stream from its standard input: the profile's stage-two
// text and the output settings of the run, the reader's stream ids, languages, palette and offset, the
// row's range and its chapters. notes (when given) receives what the user should know of the choices
// that could not be met as asked: a listed audio stream missing from the disc's data, an empty palette,
// a container without subtitle tracks.
QStringList DirectArguments(const TDvdStreamReader& reader, const TTaskNode& row, const QString& stageTwoText,
                            const TMencOutputSettings& settings, const QString& outputPath,
                            const TOutputOptions& options = {}, QStringList* notes = nullptr);

// Feeds the reader's stream into the encoder's standard input from a thread of its own, writing straight
// into the pipe the encoder reads, so that the window's thread copies nothing. Made before the encoder: the
// encoder's standard input is InputFd(). Start() once it runs. The pipe is closed when the stream ends, so
// the encoder sees the end of its input; the writing also ends when the encoder closes its input (it has
// ended) and soon after Stop(), even when the encoder reads nothing.
class TDirectFeeder {
public:
    explicit TDirectFeeder(TDvdStreamReader& reader);
    ~TDirectFeeder(); // stops and waits for the writing
    TDirectFeeder(const TDirectFeeder&) = delete;
    TDirectFeeder& operator=(const TDirectFeeder&) = delete;

    int InputFd() const { return FReadEnd; } // -1 when the pipe could not be made: ErrorText() says why
    void Start();
    void Stop();
    bool Writing() const { return FWriting; } // the thread has not ended yet (a read may hold it up)
    void Finish(); // waits for the writing to end
    bool Failed() const { return FFailed; } // the disc could not be read: ErrorText() says where
    QString ErrorText() const { return FError; }

private:
    TDvdStreamReader& FReader;
    int FReadEnd = -1, FWriteEnd = -1;
    std::atomic<bool> FStop = false, FWriting = false;
    std::thread FThread;
    bool FFailed = false;
    QString FError;
};
