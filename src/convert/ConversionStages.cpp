// The stages of one item: the preparatory pass, stage one, stage two into a file of its own, and the
// measuring of what stage two wrote.
#include "ConversionDriver.h"

#include "tasks/AppContext.h"
#include "tasks/RunLeftovers.h"
#include "convert/ConversionHelpers.h"
#include "convert/MediaLibrary.h"
#include "convert/StallWatch.h"
#include "convert/StreamCheck.h"
#include "dvd/DiscLoader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

using namespace ConversionHelpers;

namespace {

bool NonEmptyFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

// Replaces target with source in one step (rename(2) replaces an existing target). Without replace, a file
// at target stays and the call fails with EEXIST; a filesystem that cannot promise that is asked beforehand.
bool ReplaceFile(const QString& source, const QString& target, QString& error, bool replace = true) {
    const QByteArray from = QFile::encodeName(source), to = QFile::encodeName(target);
    int done = -1;
    if (replace) {
        done = std::rename(from.constData(), to.constData());
    } else {
        done = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (done != 0 && (errno == EINVAL || errno == ENOSYS)) { // a filesystem without the flag
            errno = EEXIST;
            done = QFileInfo::exists(target) ? -1 : std::rename(from.constData(), to.constData());
        }
    }
    if (done == 0)
        return true;
    error = target + ": " + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

// Moves source to target without replacing a file there; where target is taken, to the next free name
// beside it, as the Rename policy names one. placed is where the file went.
bool PlaceAtFreeName(const QString& source, const QString& target, const QString& extension, QString& placed,
                     QString& error) {
    if (ReplaceFile(source, target, error, false)) {
        placed = target;
        return true;
    }
    for (int attempt = 0; attempt < 100 && errno == EEXIST; ++attempt) {
        const QString free = ConversionHelpers::FreeNameBeside(target, extension);
        if (ReplaceFile(source, free, error, false)) {
            placed = free;
            return true;
        }
    }
    return false;
}

} // namespace

namespace ConversionHelpers {

QString PartialPattern(const QString& outputPath, const QString& extension) {
    QString name = QFileInfo(outputPath).fileName();
    if (!extension.isEmpty() && name.endsWith(extension))
        name.chop(extension.size());
    return RunLeftovers::PartialFilePattern(name, extension);
}

QString FreeNameBeside(const QString& output, const QString& extension) {
    const QString stem = (output.endsWith(extension) ? output.chopped(extension.size()) : output) + "-" +
                         QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss-zzz");
    QString name = stem + extension;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = stem + "-" + QString::number(n) + extension;
    return name;
}

QString WithTail(const QString& what, const TEncoderSlot& slot) {
    const QString tail = slot.LastLines(8);
    return tail.isEmpty() ? what + "." : what + ":\n" + tail;
}

QString Describe(const TEncoderSlot& slot, const QString& encoder) {
    QString what;
    if (slot.ExitStatus() == QProcess::CrashExit)
        what = encoder + " was ended abnormally";
    else if (slot.ExitCode() != 0)
        what = encoder + " exited with code " + QString::number(slot.ExitCode());
    else
        what = encoder + " wrote no output file";
    return WithTail(what, slot);
}

QString Stalled(const TEncoderSlot& slot, const QString& encoder, const TStallWatch& watch) {
    return WithTail(encoder + " stalled: its progress did not advance for " +
                        QString::number(watch.LimitSeconds()) + " s, so it was ended",
                    slot);
}

} // namespace ConversionHelpers

// Reads a stage's output to its end, handing each chunk on. A stage whose progress stalls is ended, and the
// result is false.
bool TConversionDriver::ReadStage(TEncoderSlot& slot, TStallWatch& watch,
                                  const std::function<void(const QString&, int)>& onChunk,
                                  const std::function<void(qint64)>& onSilence) {
    bool stalled = false;
    const auto endIfStalled = [&] {
        if (FState == CancelRequested) // a row side by side is not ended by Stop itself
            slot.Terminate();
        if (!stalled && watch.Stalled()) {
            stalled = true;
            slot.Terminate();
        }
    };
    slot.Watch = [&](qint64 silentMs) {
        if (onSilence)
            onSilence(silentMs);
        endIfStalled();
    };
    QString chunk;
    for (int read = 0; slot.ReadChunk(chunk); ++read) {
        onChunk(chunk, read);
        endIfStalled();
    }
    slot.Watch = nullptr;
    return !stalled;
}

bool TConversionDriver::RunPreparatoryPass(int titleNumber, QString& problem) {
    const QString disc = DiscDevice();
    Row().StageOne.Terminate();
    // It opens the disc and ends: what it writes is not read. It runs in the work folder and names the run's
    // own work file, so that whatever it might write can only land there.
    const QFileInfo work(CurrentWorkFile());
    if (!Row().StageOne.Launch(
            StageOneExePath(),
            {"dvd://" + QString::number(titleNumber), "-dvd-device", disc, "-o", work.fileName()},
            work.absolutePath())) {
        FFrontEnd.ReportError(kProductTitle, ReinstallText() + "\n" + Row().StageOne.StartError());
        return true; // stage one follows and reports for itself
    }
    TStallWatch watch(PreparatoryStallSeconds);
    const bool ended = ReadStage(Row().StageOne, watch, [](const QString&, int) {});
    Row().StageOne.Terminate();
    if (!ended)
        problem = WithTail(kStageOne + " did not finish opening the disc within " +
                               QString::number(watch.LimitSeconds()) + " s, so it was ended (stalled)",
                           Row().StageOne);
    return ended;
}

bool TConversionDriver::RunStageOne(const TTaskNode& item, QString& problem) {
    const double length = ItemSeconds(item);
    double lastPosition = -1;
    bool endedAtRangeEnd = false;
    TStallWatch watch(StallSeconds);
    // A stage one that has reported the end of its range and then falls silent is stuck there: end it.
    const auto atRangeEnd = [&](qint64 silentMs) {
        if (lastPosition >= length - 1.5 && lastPosition >= 0 && silentMs >= EndOfRangeSilenceMs) {
            endedAtRangeEnd = true;
            Row().StageOne.Terminate();
        }
    };
    const bool ended = ReadStage(
        Row().StageOne, watch,
        [&](const QString& chunk, int read) {
            double position = 0;
            if (LastStageOnePosition(chunk, position)) {
                lastPosition = position;
                watch.Progress(position);
            }
            Row().Progress.StageOneChunk(chunk, read);
            Show();
        },
        atRangeEnd);
    FFrontEnd.PumpEvents();
    const bool exitedWell =
        Row().StageOne.ExitStatus() == QProcess::NormalExit && Row().StageOne.ExitCode() == 0;
    Row().StageOne.Terminate();
    if (!ended) {
        problem = Stalled(Row().StageOne, kStageOne, watch);
        return false;
    }
    if ((exitedWell || endedAtRangeEnd) && NonEmptyFile(CurrentWorkFile()))
        return true;
    problem = Describe(Row().StageOne, kStageOne);
    return false;
}

// Stage two writes to a file of its own beside the output and replaces the output only when it succeeded:
// a failed or cancelled item leaves no broken file and never touches one that was there.
bool TConversionDriver::RunStageTwo(const TTaskNode& item, const QString& stageTwoText,
                                    QString& outputPath, QString& problem) {
    TOwnedFile partial;
    QStringList arguments;
    if (!StartStageTwoEncoder(item, stageTwoText, outputPath, partial, arguments, problem))
        return false;
    TStallWatch watch(StallSeconds);
    const bool ended = ReadFinalEncoder(watch);
    if (FState == CancelRequested)
        return false;
    if (!ended) {
        Row().StageTwo.Terminate();
        problem = Stalled(Row().StageTwo, kStageTwo, watch);
        return false;
    }
    return FinishFinalEncoder(item, partial, outputPath, arguments, problem, kStageTwo);
}

bool TConversionDriver::ReadFinalEncoder(TStallWatch& watch) {
    // The output is measured with it once the encoder ends. Loading it holds the loader's lock for a while,
    // which starting a thread waits for: by now the encoder and what feeds it run.
    PreloadMediaLibrary();
    return ReadStage(Row().StageTwo, watch, [&](const QString& chunk, int read) {
        Row().Progress.StageTwoChunk(chunk, read);
        Row().Position = Row().Progress.StageOnePosition();
        watch.Progress(Row().Progress.StageTwoTime());
        Show();
    });
}

bool TConversionDriver::StartStageTwoEncoder(const TTaskNode& item, const QString& stageTwoText,
                                             const QString& outputPath, TOwnedFile& partial,
                                             QStringList& arguments, QString& problem) {
    Row().Progress.StartStageTwo();
    const auto argumentsFor = [&](const QString& path) {
        QStringList notes;
        const QStringList args = StageTwoArguments(item, stageTwoText, path, &notes);
        AddNotes(notes);
        return args;
    };
    return StartFinalEncoder(partial, outputPath, argumentsFor, arguments, -1, problem);
}

bool TConversionDriver::StartFinalEncoder(TOwnedFile& partial, const QString& outputPath,
                                          const std::function<QStringList(const QString&)>& argumentsFor,
                                          QStringList& arguments, int inputFd,
                                          QString& problem) {
    QString error;
    if (!partial.Create(QFileInfo(outputPath).absolutePath(), PartialPattern(outputPath, FContext.OutputExt),
                        error)) {
        problem = "The output file cannot be written: " + error;
        return false;
    }
    partial.FreeName();
    arguments = argumentsFor(partial.Path());
    if (!Row().StageTwo.Launch(StageTwoExePath(), arguments, QString(), inputFd)) {
        ReportFromRow(kProductTitle, "Error\n" + Row().StageTwo.StartError());
        problem = kStageTwo + " could not be started: " + Row().StageTwo.StartError();
        return false;
    }
    return true;
}

bool TConversionDriver::FinishFinalEncoder(const TTaskNode& item, TOwnedFile& partial, QString& outputPath,
                                           const QStringList& arguments, QString& problem,
                                           const QString& encoder) {
    const bool exitedWell =
        Row().StageTwo.ExitStatus() == QProcess::NormalExit && Row().StageTwo.ExitCode() == 0;
    Row().StageTwo.Terminate();
    if (!exitedWell || !NonEmptyFile(partial.Path())) {
        problem = Describe(Row().StageTwo, encoder);
        return false;
    }
    const bool whole = CheckStreamLengths(item, partial.Path(), arguments, problem);
    if (FState == CancelRequested)
        return false;
    QString error, placed;
    if (!whole) {
        // The file is kept for the user to judge, under the output's name unless that holds a file (which a
        // failed item never replaces): then under the next free name.
        if (PlaceAtFreeName(partial.Path(), outputPath, FContext.OutputExt, placed, error))
            partial.Release();
        problem += " The file is kept as " + (partial.Owned() ? partial.Path() : placed) + ".";
        return false;
    }
    if (ReplaceFile(partial.Path(), outputPath, error, Row().MayReplaceOutput)) {
        partial.Release();
        return true;
    }
    if (errno != EEXIST || !PlaceAtFreeName(partial.Path(), outputPath, FContext.OutputExt, placed, error)) {
        problem = "The output file cannot be put in place: " + error;
        return false;
    }
    partial.Release();
    // Another run put a file at the output's name meanwhile. Rename takes the next free name, as it does
    // when the name is taken at the start; otherwise the item fails, and both files are kept.
    if (FFrontEnd.OverwritePolicy() == TPreferences::Rename) {
        outputPath = placed;
        return true;
    }
    problem = "The output file cannot be put in place: " + outputPath + ": " +
              QString::fromLocal8Bit(std::strerror(EEXIST)) + ". The file is kept as " + placed + ".";
    return false;
}

// Measures each stream the profile keeps: encoders exit with success when their writes fail or the disc is
// damaged, and only the lengths tell.
bool TConversionDriver::CheckStreamLengths(const TTaskNode& item, const QString& file,
                                           const QStringList& arguments, QString& problem) {
    TStreamLengths lengths;
    QString error;
    if (!MeasureStreamLengths(file, lengths, error)) {
        problem = "The output file could not be measured: " + error + ".";
        return false;
    }
    const TKeptCounts kept = KeptCounts(arguments, !TitleOf(item).AudioTracks.isEmpty());
    const QString note = MissingSubtitleNote(lengths, kept);
    if (!note.isEmpty())
        AddNotes({item.OutputName + ": " + note + "."});
    problem = ShortStreamProblem(lengths, ItemSeconds(item), kept);
    return problem.isEmpty();
}
