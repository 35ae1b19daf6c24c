#pragma once

#include "convert/DvdStreamReader.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;
struct TMencOutputSettings;
struct TTaskNode;

// The direct engine: the program reads the row's cells itself and streams them into one FFmpeg process
// that does all the work, so there is neither a work file nor a second encoder.

// Opens reader on the row's title (a chapter: its title), angle and current range. discPath is the
// folder that holds VIDEO_TS.IFO.
bool OpenRowStream(TDvdStreamReader& reader, const QString& discPath, const TTaskNode& row);

// FFmpeg's arguments for the row, reading the stream from its standard input: the profile's stage-two
// text and the output settings of the run, the reader's stream ids, palette and offset, the row's range.
QStringList DirectArguments(const TDvdStreamReader& reader, const TTaskNode& row, const QString& stageTwoText,
                            const TMencOutputSettings& settings, const QString& outputPath);

// Feeds the reader's stream into a started process's standard input (opened for writing) as the process
// takes it, from the event loop, holding at most a few megabytes in the pipe's buffer. The write channel is
// closed at the stream's end, so the encoder sees the end of its input. Stop() gives up early (for Stop, or
// when the process has ended); a process that ends first simply stops the feeding.
class TDirectFeeder {
public:
    TDirectFeeder(TDvdStreamReader& reader, QProcess& process, qint64 bufferBytes = 4 << 20);
    ~TDirectFeeder();
    TDirectFeeder(const TDirectFeeder&) = delete;
    TDirectFeeder& operator=(const TDirectFeeder&) = delete;

    void Stop();
    bool Done() const { return FDone; }
    bool Failed() const { return FFailed; } // the disc could not be read: ErrorText() says where
    QString ErrorText() const { return FError; }

private:
    void TopUp();
    void FeedOneChunk();

    TDvdStreamReader& FReader;
    QProcess& FProcess;
    qint64 FBufferBytes;
    QByteArray FChunk;
    bool FDone = false, FFailed = false, FFeeding = false, FAgain = false;
    QString FError;
    QList<QMetaObject::Connection> FConnections;
};
