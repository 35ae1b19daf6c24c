#include "ConversionDriver.h"

#include "app/AppContext.h"
#include "app/OutputFileName.h"
#include "app/ProductInfo.h"
#include "app/TaskListModel.h"
#include "app/TimeText.h"
#include "convert/CommandLine.h"
#include "convert/DisplayAspect.h"
#include "dvd/DiscLoader.h"
#include "profiles/ArgumentBuilder.h"
#include "profiles/IniText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

QString Describe(const TEncoderSlot& slot, const QString& encoder) {
    const QString tail = slot.LastLines(8);
    QString what;
    if (slot.ExitStatus() == QProcess::CrashExit)
        what = encoder + " was ended abnormally";
    else if (slot.ExitCode() != 0)
        what = encoder + " exited with code " + QString::number(slot.ExitCode());
    else
        what = encoder + " wrote no output file";
    return tail.isEmpty() ? what + "." : what + ":\n" + tail;
}

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
QString TConversionDriver::WorkFilePath() const {
    return IncludeTrailingSeparator(FContext.WorkDir) + "temp.avi";
}
QString TConversionDriver::ProfilePathOf(const QString& name) const {
    return ProfilePath(FContext.ProgramDir, name);
}

void TConversionDriver::Show() {
    FFrontEnd.ShowProgress(FProgress.Figures());
}

void TConversionDriver::DeleteWorkFile() {
    if (QFileInfo::exists(WorkFilePath()))
        QFile::remove(WorkFilePath());
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
    if (QString problem; !CheckProfileUsable(ProfilePathOf(settings.ProfileName), problem, &settings.Grids)) {
        FFrontEnd.ReportError("Profile", problem);
        FFrontEnd.FocusProfileList();
        return false;
    }
    return true;
}

TRunResult TConversionDriver::Start(const TRunSettings& settings) {
    if (FRunning || !CheckStart(settings))
        return {};
    FRunning = true;
    FFrontEnd.LockInterface();
    const QString stageOneText =
        BuildStageOneArgs(ProfilePathOf(settings.ProfileName), settings.Grids, FContext.MencOutputSettings);
    TRunResult result;
    int width = 0;
    if (!FContext.MencOutputSettings.Size.isEmpty() && !TextToInt(FContext.MencOutputSettings.Width, width)) {
        FFrontEnd.ReportError("Video Size",
                              "The output size \"" + FContext.MencOutputSettings.Size +
                                  "\" is not a width and a height. Please choose another Video Size.");
        result.Outcome = TRunResult::LaunchFailed;
    } else {
        result = ConvertCheckedItems(stageOneText, settings);
    }
    FFrontEnd.UnlockInterface();
    DeleteWorkFile();
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
    const QString prefix = SafeFileNamePart(FContext.DVDInformation.OutputPrefix);
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
    args << "-o" << WorkFilePath();
    return args;
}

QStringList TConversionDriver::StageTwoArguments(const TTaskNode& item, const QString& stageTwoText,
                                                 const QString& outputPath) const {
    // The work file's pixels are square whatever the title's shape: the output is told its display aspect.
    const QString aspect = OutputDisplayAspect(FContext.MencOutputSettings, TitleOf(item).AspectText);
    return QStringList{"-y", "-i", WorkFilePath()} + SplitCommandLine(stageTwoText) +
           (aspect.isEmpty() ? QStringList() : QStringList{"-aspect", aspect}) + QStringList{outputPath};
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
            {output, StageOneArguments(*item, stageOneText), StageTwoArguments(*item, stageTwoText, output)});
    }
    FContext.MencOutputSettings = saved;
    return plan;
}

void TConversionDriver::RunPreparatoryPass(int titleNumber) {
    const QString disc = ExcludeTrailingSeparator(FContext.DVDInformation.DiscPath);
    FStageOneSlot.Terminate();
    // It opens the disc and ends: what it writes is not read, and it runs in the work folder so that its
    // "temp.avi" can only be the work file.
    if (!FStageOneSlot.Launch(
            StageOneExePath(),
            {"dvd://" + QString::number(titleNumber), "-dvd-device", disc, "-o", "temp.avi"},
            QFileInfo(WorkFilePath()).absolutePath())) {
        FFrontEnd.ReportError(kProductTitle,
                              QStringLiteral("Error. Please re-install %1").arg(kProductTitle));
        return;
    }
    QString chunk;
    while (FStageOneSlot.ReadChunk(chunk)) {
    }
    FStageOneSlot.Terminate();
}

bool TConversionDriver::RunStageOne(const TTaskNode& item, QString& problem) {
    const double length = ItemSeconds(item);
    double lastPosition = -1;
    bool endedAtRangeEnd = false;
    // A stage one that has reported the end of its range and then falls silent is stuck there: end it.
    FStageOneSlot.Watch = [&](qint64 silentMs) {
        if (lastPosition >= length - 1.5 && lastPosition >= 0 && silentMs >= EndOfRangeSilenceMs) {
            endedAtRangeEnd = true;
            FStageOneSlot.Terminate();
        }
    };
    QString chunk;
    for (int read = 0; FStageOneSlot.ReadChunk(chunk); ++read) {
        double position = 0;
        if (LastStageOnePosition(chunk, position))
            lastPosition = position;
        FProgress.StageOneChunk(chunk, read);
        Show();
    }
    FStageOneSlot.Watch = nullptr;
    FFrontEnd.PumpEvents();
    const bool exitedWell =
        FStageOneSlot.ExitStatus() == QProcess::NormalExit && FStageOneSlot.ExitCode() == 0;
    FStageOneSlot.Terminate();
    if ((exitedWell || endedAtRangeEnd) && NonEmptyFile(WorkFilePath()))
        return true;
    problem = Describe(FStageOneSlot, "Stage one (MEncoder)");
    return false;
}

bool TConversionDriver::RunStageTwo(const QStringList& arguments, const QString& outputPath,
                                    QString& problem) {
    FProgress.StartStageTwo();
    if (!FStageTwoSlot.Launch(StageTwoExePath(), arguments)) {
        FFrontEnd.ReportError(kProductTitle, "Error");
        problem = "Stage two (FFmpeg) could not be started: " + FStageTwoSlot.StartError();
        return false;
    }
    QString chunk;
    for (int read = 0; FStageTwoSlot.ReadChunk(chunk); ++read) {
        FProgress.StageTwoChunk(chunk, read);
        Show();
    }
    if (FState == CancelRequested)
        return true;
    const bool exitedWell =
        FStageTwoSlot.ExitStatus() == QProcess::NormalExit && FStageTwoSlot.ExitCode() == 0;
    FStageTwoSlot.Terminate();
    if (exitedWell && NonEmptyFile(outputPath))
        return true;
    problem = Describe(FStageTwoSlot, "Stage two (FFmpeg)");
    return false;
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
        if (QFileInfo::exists(output)) {
            switch (FFrontEnd.OverwritePolicy()) {
            case TPreferences::Ask:
                if (!FFrontEnd.AskYesNo(
                        "Output File Exists",
                        "The output file " + QFileInfo(output).fileName() + " is already existent." + "\n\r" +
                            "Click \"Yes\" to overwrite it. Click \"No\" to skip this file")) {
                    ++result.Skipped;
                    continue;
                }
                break;
            case TPreferences::Rename:
                output = StripExtension(output) + "-" +
                         QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss-zzz") + FContext.OutputExt;
                break;
            case TPreferences::Overwrite:
                break;
            }
        }

        RunPreparatoryPass(TitleOf(*item).Number);
        if (FState == CancelRequested) // Stop before stage one: it is not started
            return Cancel(result);
        if (!QFileInfo(IncludeTrailingSeparator(FContext.WorkDir)).isDir())
            FContext.WorkDir = FContext.ProgramDir;
        const QStringList stageOne = StageOneArguments(*item, stageOneText);

        FStageTwoSlot.Terminate();
        DeleteWorkFile(); // a work file left from an earlier item must not pass for this one's
        if (!FStageOneSlot.Launch(StageOneExePath(), stageOne)) {
            FFrontEnd.ReportError(kProductTitle,
                                  QStringLiteral("Error. Please re-install %1").arg(kProductTitle));
            result.Failures.push_back(
                {QFileInfo(output).fileName(),
                 "Stage one (MEncoder) could not be started: " + FStageOneSlot.StartError()});
            FTimerTime.stop();
            FFrontEnd.ShowProgressPanel(false);
            result.Outcome = TRunResult::LaunchFailed;
            return result;
        }
        FFrontEnd.SetHintText("Converting: " + ShortPrefix(FContext.DVDInformation.OutputPrefix) + "-" +
                              item->OutputName + FContext.OutputExt);
        QString problem;
        const bool stageOneDone = RunStageOne(*item, problem);
        if (FState == CancelRequested)
            return Cancel(result);

        bool converted = false;
        if (stageOneDone) {
            const QString stageTwoText =
                BuildStageTwoArgs(ProfilePathOf(settings.ProfileName), settings.Grids);
            converted = RunStageTwo(StageTwoArguments(*item, stageTwoText, output), output, problem);
        }
        FProgress.ItemConverted();
        Show();
        if (FState == CancelRequested)
            return Cancel(result);
        if (converted)
            result.Outputs << output;
        else
            result.Failures.push_back({QFileInfo(output).fileName(), problem});
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
