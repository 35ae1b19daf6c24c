// Both stages of an item at once: stage one writes the work file, a named pipe, while stage two reads it.
// Either side failing leaves the other blocked on the pipe or running on, so the driver ends it and reports
// the first failure.
#include "ConversionDriver.h"

#include "convert/ConversionHelpers.h"
#include "convert/StallWatch.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace ConversionHelpers;

namespace {

constexpr int kFullPipeBytes = 32 << 10; // a pipe holds 64 KiB unless the system says otherwise

// Waits up to the time given for output or an end from either process.
void WaitForEither(QProcess* one, QProcess* two, int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    for (QProcess* p : {one, two}) {
        if (!p)
            continue;
        QObject::connect(p, &QProcess::readyRead, &loop, &QEventLoop::quit);
        QObject::connect(p, &QProcess::finished, &loop, &QEventLoop::quit);
    }
    loop.exec();
}

// How many bytes the pipe at path holds, read through a reader of our own that takes none of them; -1 when
// it cannot be told.
int PipeBytesWaiting(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    int bytes = -1;
    if (::ioctl(fd, FIONREAD, &bytes) != 0)
        bytes = -1;
    ::close(fd);
    return bytes;
}

bool ExitedWell(const TEncoderSlot& slot) {
    return slot.ExitStatus() == QProcess::NormalExit && slot.ExitCode() == 0;
}

} // namespace

// A stage two still waiting in open() for a writer that never came sees the end of its input instead: the
// pipe is opened for writing without waiting, and closed.
void TConversionDriver::EndPipeWait() {
    const int fd = ::open(QFile::encodeName(CurrentWorkFile()).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
}

bool TConversionDriver::RunStagesAtOnce(const TTaskNode& item, const QString& stageTwoText,
                                        QString& outputPath, QString& problem) {
    TOwnedFile partial;
    QStringList arguments;
    if (!StartStageTwoEncoder(item, stageTwoText, outputPath, partial, arguments, problem)) {
        Row().StageOne.Terminate(); // it waits for a reader that will not come
        return false;
    }

    const double length = ItemSeconds(item);
    double lastPosition = -1;
    bool oneEnded = false, twoEnded = false, oneEndedByUs = false;
    int oneReads = 0, twoReads = 0;
    TStallWatch oneWatch(StallSeconds), twoWatch(StallSeconds);
    // A stage one that has reported the end of its range and then falls silent is stuck there: end it.
    Row().StageOne.Watch = [&](qint64 silentMs) {
        if (lastPosition >= length - 1.5 && lastPosition >= 0 && silentMs >= EndOfRangeSilenceMs) {
            oneEndedByUs = true;
            Row().StageOne.Terminate();
        }
    };
    const auto fail = [&](const QString& what) {
        if (problem.isEmpty())
            problem = what;
        Row().StageOne.Terminate();
        Row().StageTwo.Terminate();
    };
    while (!(oneEnded && twoEnded) && FState != CancelRequested) {
        FFrontEnd.PumpEvents();
        bool got = false;
        QString chunk;
        while (Row().StageOne.TryReadChunk(chunk)) {
            got = true;
            double position = 0;
            if (LastStageOnePosition(chunk, position)) {
                lastPosition = position;
                oneWatch.Progress(position);
            }
            Row().Progress.StageOneChunk(chunk, oneReads++);
        }
        // Stage two waits for what stage one writes: it has stalled only when neither advances.
        twoWatch.Progress(std::max(lastPosition, 0.0) + Row().Progress.StageTwoTime());
        while (Row().StageTwo.TryReadChunk(chunk)) {
            got = true;
            Row().Progress.StageTwoChunk(chunk, twoReads++);
        }
        if (got)
            Show();
        if (!oneEnded && Row().StageOne.OutputEnded()) {
            oneEnded = true;
            if (!ExitedWell(Row().StageOne) && !oneEndedByUs)
                fail(Describe(Row().StageOne, kStageOne));
            else
                EndPipeWait();
        }
        if (!twoEnded && Row().StageTwo.OutputEnded()) {
            twoEnded = true;
            if (!ExitedWell(Row().StageTwo))
                fail(Describe(Row().StageTwo, kStageTwo));
            else if (!oneEnded) { // it has read all it wanted: what stage one still makes is not needed
                oneEndedByUs = true;
                Row().StageOne.Terminate();
            }
        }
        // When both stand still, a full pipe says stage two stopped reading; an empty one, that stage one
        // stopped writing.
        const bool oneStalled = !oneEnded && oneWatch.Stalled(), twoStalled = !twoEnded && twoWatch.Stalled();
        if (oneStalled && (!twoStalled || PipeBytesWaiting(CurrentWorkFile()) < kFullPipeBytes))
            fail(Stalled(Row().StageOne, kStageOne, oneWatch));
        else if (twoStalled)
            fail(Stalled(Row().StageTwo, kStageTwo, twoWatch));
        if (!oneEnded)
            Row().StageOne.CheckSilence();
        if (!got && !(oneEnded && twoEnded))
            WaitForEither(Row().StageOne.Process(), Row().StageTwo.Process(), 100);
    }
    Row().StageOne.Watch = nullptr;
    Row().StageOne.Terminate();
    if (FState == CancelRequested || !problem.isEmpty()) {
        Row().StageTwo.Terminate();
        return false;
    }
    return FinishFinalEncoder(item, partial, outputPath, arguments, problem, kStageTwo);
}
