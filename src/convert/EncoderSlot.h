#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// One encoder child: started with its arguments as a list (never through a shell), its standard output
// and standard error merged, its output handed back in chunks of at most 4095 bytes.
class TEncoderSlot {
public:
    TEncoderSlot() = default;
    ~TEncoderSlot();
    TEncoderSlot(const TEncoderSlot&) = delete;
    TEncoderSlot& operator=(const TEncoderSlot&) = delete;

    // Starts the program in a process group of its own; false, with StartError() set to the program's
    // path and the system's reason, when it cannot be started.
    // inputFd, when given, becomes the child's standard input (the caller keeps its own copy); otherwise the
    // child's input is empty.
    bool Launch(const QString& program, const QStringList& arguments, const QString& workingDir = QString(),
                int inputFd = -1);

    // One step of a read loop. Handles pending events while it waits, so the window stays live while the
    // encoder is silent. False when the output has ended (the child exited, was ended or closed it).
    bool ReadChunk(QString& text);
    // The same without waiting: true with a chunk when one is there.
    bool TryReadChunk(QString& text);
    // The output has ended and all of it was read.
    bool OutputEnded() const;
    // Calls Watch with the silence so far (for read loops over more than one slot).
    void CheckSilence();

    // Ends the last child and everything it started (its whole process group) by force. The group is
    // ended once, right after its leader: later calls do nothing.
    void Terminate();

    bool Running() const;
    bool Started() const { return FProcess != nullptr; }
    QProcess* Process() const { return FProcess.get(); }
    QProcess::ExitStatus ExitStatus() const;
    int ExitCode() const;
    QString StartError() const { return FStartError; }
    // The last lines the child wrote (progress records that end in a carriage return count as lines),
    // with control bytes replaced so that they cannot act on a terminal.
    QString LastLines(int count) const;

    std::function<void()> Pump;        // handles pending events; empty: QCoreApplication::processEvents
    std::function<void(qint64)> Watch; // called while waiting, with the milliseconds since the last output

private:
    void Wait(int milliseconds);

    std::unique_ptr<QProcess> FProcess;
    QString FStartError;
    QByteArray FTail;
    bool FOutputClosed = false;
    bool FGroupEnded = true;
    qint64 FProcessGroup = 0;
    qint64 FLastOutputMs = 0;
};
