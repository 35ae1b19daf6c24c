#include "ConversionDriver.h"

#include "app/AppContext.h"
#include "app/ProductInfo.h"
#include "app/TaskListModel.h"
#include "app/TimeText.h"
#include "convert/CommandLine.h"
#include "convert/FreeSpace.h"
#include "convert/StallWatch.h"
#include "convert/StreamCheck.h"
#include "dvd/DiscLoader.h"
#include "profiles/ArgumentBuilder.h"
#include "profiles/IniFile.h"
#include "profiles/IniText.h"
#include "profiles/Preferences.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString Seconds3(double seconds) {
    return QString::number(seconds, 'f', 3);
} // "." whatever the locale

const TTaskNode& TitleOf(const TTaskNode& item) {
    return item.IsTitle() ? item : *item.Parent;
}

// The current range's length, from the texts the row shows.
double ItemSeconds(const TTaskNode& item) {
    return TimeTextToSeconds(item.CurEndText) - TimeTextToSeconds(item.CurStartText);
}

// A prefix of up to 18 characters is shown whole, a longer one cut to 15 and "...".
QString ShortPrefix(const QString& prefix) {
    return prefix.size() <= 18 ? prefix : prefix.left(15) + "...";
}

bool NonEmptyFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
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

QString ReinstallText() {
    return QStringLiteral("Error. Please re-install %1").arg(kProductTitle);
}

const QString kStageOne = QStringLiteral("Stage one (MEncoder)");
const QString kStageTwo = QStringLiteral("Stage two (FFmpeg)");

} // namespace

TConversionDriver::TConversionDriver(TAppContext& context, TTaskListModel& tasks,
                                     TConversionFrontEnd& frontEnd, TPowerControl* power)
    : FContext(context), FTasks(tasks), FFrontEnd(frontEnd), FPower(power) {
    FTimerTime.setInterval(1000);
    QObject::connect(&FTimerTime, &QTimer::timeout, [this] {
        FProgress.Tick();
        Show();
    });
    const auto pump = [this] { FFrontEnd.PumpEvents(); };
    FStageOneSlot.Pump = pump;
    FStageTwoSlot.Pump = pump;
}

QString TConversionDriver::StageOneExePath() const {
    return FContext.ProgramDir + "asapi.dll";
}
QString TConversionDriver::StageTwoExePath() const {
    return FContext.ProgramDir + "wmaspi.dll";
}
QString TConversionDriver::CurrentWorkFile() const {
    return FWorkFile.Owned() ? FWorkFile.Path()
                             : IncludeTrailingSeparator(FContext.WorkDir) + "temp-XXXXXX.avi";
}
QString TConversionDriver::WorkFilePath() const {
    return FWorkFile.Owned() || FLastWorkFile.isEmpty() ? CurrentWorkFile() : FLastWorkFile;
}
QString TConversionDriver::ProfilePathOf(const QString& name) const {
    return ProfilePath(FContext.ProgramDir, name);
}

void TConversionDriver::Show() {
    FFrontEnd.ShowProgress(FProgress.Figures());
}

void TConversionDriver::DeleteWorkFile() {
    FWorkFile.Remove();
}

bool TConversionDriver::CheckStart(const TRunSettings& settings) {
    if (FTasks.CheckedRows().empty()) {
        FFrontEnd.Inform("No Title or Chapter checked",
                         "Please have Titles and Chapters you want to convert checked.");
        return false;
    }
    if (!QFileInfo(IncludeTrailingSeparator(settings.OutputDirText)).isDir() ||
        settings.OutputDirText.isEmpty()) {
        FFrontEnd.Inform("Output path does not exist",
                         "The output path does not exist. Please specify another one.");
        FFrontEnd.FocusOutputPath();
        return false;
    }
    if (!QFileInfo(ProfilePathOf(settings.ProfileName)).isFile()) {
        FFrontEnd.Inform("Profile", "Please select a valid output profile.");
        FFrontEnd.FocusProfileList();
        return false;
    }
    return true;
}

void TConversionDriver::ReadStallSettings() {
    bool ok = false;
    const double seconds =
        TIniFile(PreferencesPath(FContext.ProgramDir)).ReadString("Main", "Stall Seconds", "").toDouble(&ok);
    if (!ok)
        return;
    StallSeconds = seconds;
    PreparatoryStallSeconds = seconds > 0 ? std::min(seconds, 30.0) : seconds;
}

// The work folder falls back to the program folder before anything is started in it, and the run makes its
// own work file there.
bool TConversionDriver::PrepareWorkFile() {
    if (!QFileInfo(IncludeTrailingSeparator(FContext.WorkDir)).isDir())
        FContext.WorkDir = FContext.ProgramDir;
    QString error;
    if (FWorkFile.Create(FContext.WorkDir, "temp-XXXXXX.avi", error)) {
        FLastWorkFile = FWorkFile.Path();
        return true;
    }
    FFrontEnd.ReportError(kProductTitle, "The work file cannot be created.\n" + error);
    return false;
}

TRunResult TConversionDriver::Start(const TRunSettings& settings) {
    if (FRunning || !CheckStart(settings))
        return {};
    FRunning = true;
    FNotes.clear();
    FFrontEnd.LockInterface();
    const QString stageOneText =
        BuildStageOneArgs(ProfilePathOf(settings.ProfileName), settings.Grids, FContext.MencOutputSettings);
    ReadStallSettings();
    TRunResult result;
    int width = 0;
    if (!FContext.MencOutputSettings.Size.isEmpty() && !TextToInt(FContext.MencOutputSettings.Width, width)) {
        FFrontEnd.ReportError("Video Size",
                              "The output size \"" + FContext.MencOutputSettings.Size +
                                  "\" is not a width and a height. Please choose another Video Size.");
        result.Outcome = TRunResult::LaunchFailed;
    } else if (!PrepareWorkFile()) {
        result.Outcome = TRunResult::LaunchFailed;
    } else {
        result = ConvertCheckedItems(stageOneText, settings);
    }
    FFrontEnd.UnlockInterface();
    DeleteWorkFile();
    result.Notes = FNotes;
    FRunning = false;
    return result;
}

void TConversionDriver::Stop() {
    if (FState != Converting)
        return;
    FState = CancelRequested;
    FStageOneSlot.Terminate();
    FStageTwoSlot.Terminate();
}

QString TConversionDriver::OutputPathOf(const TTaskNode& item, const QString& outputDir) const {
    const QString& prefix = FContext.DVDInformation.OutputPrefix;
    return outputDir + (prefix.isEmpty() ? QString() : prefix + "-") + item.OutputName + FContext.OutputExt;
}

QStringList TConversionDriver::StageOneArguments(const TTaskNode& item, const QString& stageOneText) const {
    const TTaskNode& title = TitleOf(item);
    const double start = TimeTextToSeconds(item.CurStartText);
    const double end = TimeTextToSeconds(item.CurEndText);
    const QString disc = ExcludeTrailingSeparator(FContext.DVDInformation.DiscPath);
    QStringList args{"dvd://" + QString::number(title.Number), "-dvd-device", disc, "-ss", Seconds3(start)};
    // MEncoder does not exit when its input ends before -endpos: a range that reaches the end of the title
    // is read to the end instead.
    if (end < title.FullEnd)
        args << "-endpos" << Seconds3(end - start);
    args << SplitCommandLine(stageOneText);
    // MEncoder's default AC3 decoder loses most of some streams (a mono track came out a fraction of a
    // second long); liba52 decodes them whole, and the trailing comma leaves the others for other formats.
    args << "-ac"
         << "a52,";
    const int audio = item.AudioLanguageIndex;
    const QString language =
        audio >= 0 && audio < title.AudioLanguages.size() ? title.AudioLanguages[audio] : QString();
    if (!language.isEmpty()) // a stream without a language code: the encoder takes the title's first audio
        args << "-alang" << language;
    args << SplitCommandLine(ScalingFilterText(FContext.MencOutputSettings, title.AspectText));
    // Without a choice the encoder would burn in a subtitle of its own accord: "None" says so outright.
    if (item.SubtitleIndex > 0)
        args << "-sid" << QString::number(item.SubtitleIndex - 1);
    else
        args << "-nosub";
    args << "-o" << CurrentWorkFile();
    return args;
}

QStringList TConversionDriver::StageTwoArguments(const QString& stageTwoText,
                                                 const QString& outputPath) const {
    return QStringList{"-y", "-i", CurrentWorkFile()} + SplitCommandLine(stageTwoText) +
           QStringList{outputPath};
}

std::vector<TItemCommands> TConversionDriver::Plan(const TRunSettings& settings) {
    const QString profile = ProfilePathOf(settings.ProfileName);
    TMencOutputSettings saved = FContext.MencOutputSettings;
    const QString stageOneText = BuildStageOneArgs(profile, settings.Grids, FContext.MencOutputSettings);
    const QString stageTwoText = BuildStageTwoArgs(profile, settings.Grids);
    std::vector<TItemCommands> plan;
    for (const TTaskNode* item : FTasks.CheckedRows()) {
        const QString output = OutputPathOf(*item, IncludeTrailingSeparator(settings.OutputDirText));
        plan.push_back(
            {output, StageOneArguments(*item, stageOneText), StageTwoArguments(stageTwoText, output)});
    }
    FContext.MencOutputSettings = saved;
    return plan;
}

// Reads a stage's output to its end, handing each chunk on. A stage whose progress stalls is ended, and the
// result is false.
bool TConversionDriver::ReadStage(TEncoderSlot& slot, TStallWatch& watch,
                                  const std::function<void(const QString&, int)>& onChunk,
                                  const std::function<void(qint64)>& onSilence) {
    bool stalled = false;
    const auto endIfStalled = [&] {
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
    const QString disc = ExcludeTrailingSeparator(FContext.DVDInformation.DiscPath);
    FStageOneSlot.Terminate();
    // It opens the disc and ends: what it writes is not read. It runs in the work folder and names the run's
    // own work file, so that whatever it might write can only land there.
    const QFileInfo work(CurrentWorkFile());
    if (!FStageOneSlot.Launch(
            StageOneExePath(),
            {"dvd://" + QString::number(titleNumber), "-dvd-device", disc, "-o", work.fileName()},
            work.absolutePath())) {
        FFrontEnd.ReportError(kProductTitle, ReinstallText() + "\n" + FStageOneSlot.StartError());
        return true; // stage one follows and reports for itself
    }
    TStallWatch watch(PreparatoryStallSeconds);
    const bool ended = ReadStage(FStageOneSlot, watch, [](const QString&, int) {});
    FStageOneSlot.Terminate();
    if (!ended)
        problem = WithTail(kStageOne + " did not finish opening the disc within " +
                               QString::number(watch.LimitSeconds()) + " s, so it was ended (stalled)",
                           FStageOneSlot);
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
            FStageOneSlot.Terminate();
        }
    };
    const bool ended = ReadStage(
        FStageOneSlot, watch,
        [&](const QString& chunk, int read) {
            double position = 0;
            if (LastStageOnePosition(chunk, position)) {
                lastPosition = position;
                watch.Progress(position);
            }
            FProgress.StageOneChunk(chunk, read);
            Show();
        },
        atRangeEnd);
    FFrontEnd.PumpEvents();
    const bool exitedWell =
        FStageOneSlot.ExitStatus() == QProcess::NormalExit && FStageOneSlot.ExitCode() == 0;
    FStageOneSlot.Terminate();
    if (!ended) {
        problem = Stalled(FStageOneSlot, kStageOne, watch);
        return false;
    }
    if ((exitedWell || endedAtRangeEnd) && NonEmptyFile(CurrentWorkFile()))
        return true;
    problem = Describe(FStageOneSlot, kStageOne);
    return false;
}

namespace {

// "Title01.partial-XXXXXX.mp4": beside the final file, with its extension, which tells FFmpeg the format.
QString PartialPattern(const QString& outputPath, const QString& extension) {
    QString name = QFileInfo(outputPath).fileName();
    if (!extension.isEmpty() && name.endsWith(extension))
        name.chop(extension.size());
    return name + ".partial-XXXXXX" + extension;
}

// Replaces target with source in one step (rename(2) replaces an existing target).
bool ReplaceFile(const QString& source, const QString& target, QString& error) {
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    error = target + ": " + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

} // namespace

// Stage two writes to a file of its own beside the output and replaces the output only when it succeeded:
// a failed or cancelled item leaves no broken file and never touches one that was there.
bool TConversionDriver::RunStageTwo(const TTaskNode& item, const QString& stageTwoText,
                                    const QString& outputPath, QString& problem) {
    FProgress.StartStageTwo();
    TOwnedFile partial;
    QString error;
    if (!partial.Create(QFileInfo(outputPath).absolutePath(), PartialPattern(outputPath, FContext.OutputExt),
                        error)) {
        problem = "The output file cannot be written: " + error;
        return false;
    }
    const QStringList arguments = StageTwoArguments(stageTwoText, partial.Path());
    if (!FStageTwoSlot.Launch(StageTwoExePath(), arguments)) {
        FFrontEnd.ReportError(kProductTitle, "Error\n" + FStageTwoSlot.StartError());
        problem = kStageTwo + " could not be started: " + FStageTwoSlot.StartError();
        return false;
    }
    TStallWatch watch(StallSeconds);
    const bool ended = ReadStage(FStageTwoSlot, watch, [&](const QString& chunk, int read) {
        FProgress.StageTwoChunk(chunk, read);
        watch.Progress(FProgress.StageTwoTime());
        Show();
    });
    if (FState == CancelRequested)
        return false;
    const bool exitedWell =
        FStageTwoSlot.ExitStatus() == QProcess::NormalExit && FStageTwoSlot.ExitCode() == 0;
    FStageTwoSlot.Terminate();
    if (!ended) {
        problem = Stalled(FStageTwoSlot, kStageTwo, watch);
        return false;
    }
    if (!exitedWell || !NonEmptyFile(partial.Path())) {
        problem = Describe(FStageTwoSlot, kStageTwo);
        return false;
    }
    const bool whole = CheckStreamLengths(item, partial.Path(), arguments, problem);
    if (FState == CancelRequested)
        return false;
    if (!whole) {
        // The file is kept for the user to judge, under the output's name unless that holds a file already.
        const QString kept = QFileInfo::exists(outputPath) ? partial.Path() : outputPath;
        if (kept == partial.Path() || ReplaceFile(partial.Path(), outputPath, error))
            partial.Release();
        problem += " The file is kept as " + (partial.Owned() ? partial.Path() : kept) + ".";
        return false;
    }
    if (!ReplaceFile(partial.Path(), outputPath, error)) {
        problem = "The output file cannot be put in place: " + error;
        return false;
    }
    partial.Release();
    return true;
}

// Measures each stream the profile keeps with the ffprobe of the stage-two encoder: encoders exit with
// success when their writes fail or the disc is damaged, and only the lengths tell.
bool TConversionDriver::CheckStreamLengths(const TTaskNode& item, const QString& file,
                                           const QStringList& arguments, QString& problem) {
    const QString probe = FindStreamProbe(StageTwoExePath());
    if (probe.isEmpty()) {
        const QString note = "The lengths of the output streams were not checked: no ffprobe beside " +
                             QFileInfo(StageTwoExePath()).canonicalFilePath() + " or on the PATH.";
        if (!FNotes.contains(note))
            FNotes << note;
        return true;
    }
    QByteArray json;
    TStallWatch watch(PreparatoryStallSeconds);
    if (!FStageTwoSlot.Launch(probe, StreamProbeArguments(file)) ||
        !ReadStage(FStageTwoSlot, watch, [&](const QString& chunk, int) { json += chunk.toLatin1(); })) {
        FStageTwoSlot.Terminate();
        problem = "The output file could not be measured with " + probe + ".";
        return false;
    }
    FStageTwoSlot.Terminate();
    if (FState == CancelRequested)
        return true;
    TStreamLengths lengths;
    if (!ParseStreamLengths(json, lengths)) {
        problem = "The output file holds no stream that " + probe + " can read.";
        return false;
    }
    // A title without audio tracks gives a file without audio, whatever the profile keeps.
    const bool audio = KeepsAudio(arguments) && !TitleOf(item).AudioTracks.isEmpty();
    problem = ShortStreamProblem(lengths, ItemSeconds(item), KeepsVideo(arguments), audio);
    return problem.isEmpty();
}

bool TConversionDriver::ApplyOverwritePolicy(QString& output) {
    if (!QFileInfo::exists(output))
        return true;
    switch (FFrontEnd.OverwritePolicy()) {
    case TPreferences::Ask:
        return FFrontEnd.AskYesNo("Output File Exists",
                                  "The output file " + QFileInfo(output).fileName() +
                                      " is already existent." + "\n\r" +
                                      "Click \"Yes\" to overwrite it. Click \"No\" to skip this file");
    case TPreferences::Rename:
        output = StripExtension(output) + "-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss-zzz") +
                 FContext.OutputExt;
        return true;
    case TPreferences::Overwrite:
        return true;
    }
    return true;
}

TConversionDriver::TItemOutcome TConversionDriver::ConvertItem(const TTaskNode& item, const QString& output,
                                                               const QString& stageOneText,
                                                               const TRunSettings& settings,
                                                               QString& problem) {
    const double seconds = ItemSeconds(item);
    const QString stageTwoText = BuildStageTwoArgs(ProfilePathOf(settings.ProfileName), settings.Grids);
    problem = SpaceProblem(FContext.WorkDir, WorkFileBytes(FContext.MencOutputSettings, seconds),
                           QFileInfo(output).absolutePath(),
                           OutputFileBytes(SplitCommandLine(stageTwoText), seconds));
    if (!problem.isEmpty())
        return ItemFailed;

    const bool opened = RunPreparatoryPass(TitleOf(item).Number, problem);
    if (FState == CancelRequested) // Stop before stage one: it is not started
        return ItemCancelled;
    if (!opened)
        return ItemFailed;

    const QStringList stageOne = StageOneArguments(item, stageOneText);
    FStageTwoSlot.Terminate();
    FWorkFile.Truncate(); // what an earlier item left must not pass for this one's
    if (!FStageOneSlot.Launch(StageOneExePath(), stageOne)) {
        FFrontEnd.ReportError(kProductTitle, ReinstallText() + "\n" + FStageOneSlot.StartError());
        problem = kStageOne + " could not be started: " + FStageOneSlot.StartError();
        return ItemLaunchFailed;
    }
    FFrontEnd.SetHintText("Converting: " + ShortPrefix(FContext.DVDInformation.OutputPrefix) + "-" +
                          item.OutputName + FContext.OutputExt);
    const bool stageOneDone = RunStageOne(item, problem);
    if (FState == CancelRequested)
        return ItemCancelled;

    const bool converted = stageOneDone && RunStageTwo(item, stageTwoText, output, problem);
    FProgress.ItemConverted();
    Show();
    if (FState == CancelRequested)
        return ItemCancelled;
    return converted ? ItemDone : ItemFailed;
}

TRunResult TConversionDriver::ConvertCheckedItems(const QString& stageOneText, const TRunSettings& settings) {
    TRunResult result;
    const std::vector<TTaskNode*> items = FTasks.CheckedRows();
    std::vector<double> lengths;
    for (const TTaskNode* item : items) {
        FFrontEnd.PumpEvents();
        lengths.push_back(ItemSeconds(*item));
    }
    FProgress.StartRun(lengths);
    Show();
    FFrontEnd.ShowProgressPanel(true);
    FState = Converting;
    const QString outputDir = IncludeTrailingSeparator(settings.OutputDirText);
    FTimerTime.start();

    for (const TTaskNode* item : items) {
        FFrontEnd.PumpEvents();
        if (FState == CancelRequested)
            return Cancel(result);
        FProgress.StartItem(ItemSeconds(*item), FContext.DVDInformation.FrameRate);
        Show();

        QString output = OutputPathOf(*item, outputDir);
        if (!ApplyOverwritePolicy(output)) {
            result.Skipped << QFileInfo(output).fileName();
            continue;
        }
        QString problem;
        switch (ConvertItem(*item, output, stageOneText, settings, problem)) {
        case ItemCancelled:
            return Cancel(result);
        case ItemLaunchFailed:
            result.Failures.push_back({QFileInfo(output).fileName(), problem});
            FTimerTime.stop();
            FFrontEnd.ShowProgressPanel(false);
            result.Outcome = TRunResult::LaunchFailed;
            return result;
        case ItemDone:
            result.Outputs << output;
            break;
        case ItemFailed:
            result.Failures.push_back({QFileInfo(output).fileName(), problem});
            break;
        }
        FProgress.ItemFinished();
    }
    return Complete(result, settings.OutputDirText);
}

TRunResult TConversionDriver::Cancel(TRunResult result) {
    FTimerTime.stop();
    DeleteWorkFile();
    FFrontEnd.Inform("Cancel", "The conversion is canceled.");
    FFrontEnd.ShowProgressPanel(false);
    FFrontEnd.UnlockInterface();
    result.Outcome = TRunResult::Cancelled;
    return result;
}

TRunResult TConversionDriver::Complete(TRunResult result, const QString& outputDirText) {
    FProgress.RunCompleted();
    Show();
    DeleteWorkFile();
    if (FState == Converting) {
        FTimerTime.stop();
        FFrontEnd.HideHint();
    }
    if (!result.Failures.empty()) {
        // Failures are reported whatever the completion choices: no turning off, no exit over a report.
        QString text = QStringLiteral("The conversion is completed, but %1 of %2 files could not be made:")
                           .arg(result.Failures.size())
                           .arg(result.Failures.size() + size_t(result.Outputs.size()));
        for (const TItemFailure& f : result.Failures)
            text += "\n\n" + f.Output + ": " + f.Problem;
        if (!result.Skipped.isEmpty())
            text += "\n\nSkipped, as the files exist: " + result.Skipped.join(", ");
        FFrontEnd.ReportError("Complete", text);
        FState = Idle;
        FFrontEnd.ShowProgressPanel(false);
        result.Outcome = TRunResult::CompletedWithFailures;
        return result;
    }
    result.Outcome = TRunResult::Completed;
    if (FFrontEnd.TurnOffChecked()) {
        FFrontEnd.SetHintText("Conversion is completed. Turning off the computer...");
        if (FPower)
            FPower->PowerOffComputer();
        FFrontEnd.CloseWindow();
        return result;
    }
    if (FFrontEnd.AutoExit()) {
        FFrontEnd.CloseWindow();
        return result;
    }
    FFrontEnd.Inform("Complete", "The conversion is completed successfully.");
    if (FFrontEnd.AutoOpenDir())
        FFrontEnd.OpenFolder(outputDirText);
    FState = Idle;
    FFrontEnd.ShowProgressPanel(false);
    return result;
}
