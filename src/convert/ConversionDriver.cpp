#include "ConversionDriver.h"

#include "tasks/AppContext.h"
#include "tasks/OutputFileName.h"
#include "tasks/ProductInfo.h"
#include "tasks/RunLeftovers.h"
#include "tasks/TaskListModel.h"
#include "tasks/TimeText.h"
#include "convert/CommandLine.h"
#include "convert/ConversionHelpers.h"
#include "convert/DirectEngine.h"
#include "convert/DisplayAspect.h"
#include "convert/FieldChoice.h"
#include "convert/FreeSpace.h"
#include "convert/KeptStreams.h"
#include "convert/MediaLibrary.h"
#include "dvd/DiscSource.h"
#include "dvd/DiscLoader.h"
#include "profiles/ArgumentBuilder.h"
#include "profiles/IniFile.h"
#include "profiles/IniText.h"
#include "profiles/OutputSize.h"
#include "profiles/Preferences.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

using namespace ConversionHelpers;

namespace {

// How much stage one reads past the row's end, for stage two to cut at its exact end.
constexpr double kStageOneMargin = 1.0;

QString Seconds3(double seconds) {
    return QString::number(seconds, 'f', 3);
} // "." whatever the locale

// A prefix of up to 18 characters is shown whole, a longer one cut to 15 and "...".
QString ShortPrefix(const QString& prefix) {
    return prefix.size() <= 18 ? prefix : prefix.left(15) + "...";
}

} // namespace

TConversionDriver::TConversionDriver(TAppContext& context, TTaskListModel& tasks,
                                     TConversionFrontEnd& frontEnd, TPowerControl* power)
    : FContext(context), FTasks(tasks), FFrontEnd(frontEnd), FPower(power) {
    FTimerTime.setInterval(1000);
    QObject::connect(&FTimerTime, &QTimer::timeout, [this] {
        Row().Progress.Tick();
        Show();
    });
    const auto pump = [this] { FFrontEnd.PumpEvents(); };
    FRow.StageOne.Pump = pump;
    FRow.StageTwo.Pump = pump;
}

QString TConversionDriver::StageOneExePath() const {
    return FContext.Paths.StageOneEncoder();
}
QString TConversionDriver::StageTwoExePath() const {
    return FContext.Paths.StageTwoEncoder();
}
QString TConversionDriver::CurrentWorkFile() const {
    return FWorkFile.Owned() ? FWorkFile.Path()
                             : IncludeTrailingSeparator(FContext.WorkDir) + "temp-XXXXXX.avi";
}
QString TConversionDriver::WorkFilePath() const {
    return FWorkFile.Owned() || FLastWorkFile.isEmpty() ? CurrentWorkFile() : FLastWorkFile;
}
QString TConversionDriver::DiscDevice() const {
    return FDiscView && FDiscView->IsValid() ? FDiscView->Path()
                                             : ExcludeTrailingSeparator(FContext.DVDInformation.DiscPath);
}
QString TConversionDriver::ProfilePathOf(const QString& name) const {
    return FContext.Paths.ProfilePath(name);
}

// The run's own thread shows the figures; a side-by-side row's are gathered from its position.
void TConversionDriver::Show() {
    if (OnRowThread())
        return;
    TProgressFigures figures = FRow.Progress.Figures();
    if (figures.Rows.empty() && !FRowName.isEmpty())
        figures.Rows = {{FRowName, figures.CurrentBar, figures.FrameText}};
    FFrontEnd.ShowProgress(figures);
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
    if (QString problem; !CheckProfileUsable(ProfilePathOf(settings.ProfileName), problem, &settings.Grids)) {
        FFrontEnd.ReportError("Profile", problem);
        FFrontEnd.FocusProfileList();
        return false;
    }
    return true;
}

void TConversionDriver::ReadStallSettings() {
    bool ok = false;
    const double seconds =
        TIniFile(FContext.Paths.PreferencesFile()).ReadString("Main", "Stall Seconds", "").toDouble(&ok);
    if (!ok)
        return;
    StallSeconds = seconds;
    PreparatoryStallSeconds = seconds > 0 ? std::min(seconds, 30.0) : seconds;
}

void TConversionDriver::ReadEngineSettings() {
    const TPreferences saved =
        ReadPreferences(FContext.Paths.PreferencesFile(),
                        {FContext.Paths.DefaultOutputDir(), FContext.Paths.DefaultWorkDir()});
    FEngine = EngineChoice.value_or(saved.Engine);
    FOverlap = FEngine == TPreferences::TwoStages && OverlapChoice.value_or(saved.OverlapStages);
    // The two stages share the run's one work file: their rows go one after the other.
    FRowsAtOnce = FEngine == TPreferences::Direct
                      ? RowsAtOnce(ParallelRowsChoice.value_or(saved.ParallelRows),
                                   CoreCount(), 1)
                      : 1;
}

// The work file of overlapped stages is a named pipe; where none can be made (a filesystem without them)
// the stages run one after the other, and the run says so.
bool TConversionDriver::MakeWorkPipe() {
    QString error;
    if (FWorkFile.CreatePipe(FContext.WorkDir, RunLeftovers::WorkFilePattern(), error)) {
        FLastWorkFile = FWorkFile.Path();
        return true;
    }
    FOverlap = false;
    FNotes << "The stages ran one after the other: no named pipe can be made in the work folder (" + error +
                  ").";
    return false;
}

// The work folder falls back to the default one before anything is started in it, and the run makes its
// own work file there.
bool TConversionDriver::PrepareWorkFile() {
    if (!QFileInfo(IncludeTrailingSeparator(FContext.WorkDir)).isDir())
        FContext.WorkDir = FContext.Paths.DefaultWorkDir();
    RunLeftovers::RemoveWorkLeftovers(FContext.WorkDir); // of runs that were killed
    if (FEngine == TPreferences::Direct) // no work file
        return true;
    if (FOverlap && MakeWorkPipe())
        return true;
    QString error;
    if (FWorkFile.Create(FContext.WorkDir, RunLeftovers::WorkFilePattern(), error)) {
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
    // What runs that were killed left behind goes first: their partial files and folders of links.
    RunLeftovers::RemoveViewLeftovers();
    RunLeftovers::RemovePartialLeftovers(settings.OutputDirText);
    // The encoder would read a damaged .IFO where the list was read from its .BUP.
    // An image goes to the encoder as it is.
    if (IsDiscFile(FContext.DVDInformation.DiscPath))
        FDiscView.reset();
    else
        FDiscView = std::make_unique<TDiscView>(IncludeTrailingSeparator(FContext.DVDInformation.DiscPath));
    const QString stageOneText =
        BuildStageOneArgs(ProfilePathOf(settings.ProfileName), settings.Grids, FContext.MencOutputSettings);
    ReadStallSettings();
    ReadEngineSettings();
    ReadOutputOptions(settings.ProfileName);
    TRunResult result;
    int width = 0, height = 0;
    QString sizeProblem;
    // A size the encoders cannot take (saved in a profile) would fail only at the end of the first item.
    if (!FContext.MencOutputSettings.Size.isEmpty() &&
        !ReadOutputSize(QString(FContext.MencOutputSettings.Size).replace(':', 'x'), width, height,
                        sizeProblem)) {
        FFrontEnd.ReportError("Video Size", "The output size is not one an encoder can take: " + sizeProblem +
                                                ". Please choose another Video Size.");
        result.Outcome = TRunResult::LaunchFailed;
    } else if (FEngine == TPreferences::TwoStages && FOutputOptions.KeepAllStreams) {
        // Its work file holds one picture and one sound, encoded: nothing of the disc's own streams is left.
        FFrontEnd.ReportError("Profile", "The profile \"" + settings.ProfileName +
                                             "\" copies the disc's streams, which only the Direct engine can do. "
                                             "Please choose it on the Settings dialog's General page.");
        result.Outcome = TRunResult::Refused;
    } else if (!PrepareWorkFile()) {
        result.Outcome = TRunResult::LaunchFailed;
    } else {
        result = ConvertCheckedItems(stageOneText, settings);
    }
    FFrontEnd.UnlockInterface();
    DeleteWorkFile();
    result.Notes = FNotes;
    FDiscView.reset();
    FRunning = false;
    return result;
}

void TConversionDriver::Stop() {
    if (FState != Converting)
        return;
    FState = CancelRequested; // rows side by side end their encoders when they see it
    FRow.StageOne.Terminate();
    FRow.StageTwo.Terminate();
}

QString TConversionDriver::OutputPathOf(const TTaskNode& item, const QString& outputDir) const {
    const QString prefix = SafeFileNamePart(FContext.DVDInformation.OutputPrefix);
    return outputDir + (prefix.isEmpty() ? QString() : prefix + "-") + item.OutputName + FContext.OutputExt;
}

QStringList TConversionDriver::StageOneArguments(const TTaskNode& item, const QString& stageOneText) const {
    const TTaskNode& title = TitleOf(item);
    const double start = TimeTextToSeconds(item.CurStartText);
    const double end = TimeTextToSeconds(item.CurEndText);
    const QString disc = DiscDevice();
    QStringList args{"dvd://" + QString::number(title.Number), "-dvd-device", disc};
    const TStageOneStart from = StageOneStart(item);
    if (from.Byte >= 0)
        args << "-sb" << QString::number(from.Byte);
    else
        args << "-ss" << Seconds3(start);
    // MEncoder does not exit when its input ends before -endpos: a range that reaches the end of the title
    // is read to the end instead, as is one that ends too close to it for the margin stage two cuts.
    if (from.Byte < 0 && end < title.FullEnd)
        args << "-endpos" << Seconds3(end - start);
    else if (from.Byte >= 0 && end + 2 * kStageOneMargin < title.FullEnd)
        args << "-endpos" << Seconds3(from.Lead + end - start + kStageOneMargin);
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

QStringList TConversionDriver::StageTwoArguments(const TTaskNode& item, const QString& stageTwoText,
                                                 const QString& outputPath, QStringList* notes) const {
    // The work file's pixels are square whatever the title's shape: the output is told its display aspect.
    const QString aspect = OutputDisplayAspect(FContext.MencOutputSettings, TitleOf(item).AspectText);
    QStringList inputs, outputs;
    StageTwoExtras(item, inputs, outputs);
    QStringList profile = WithoutEncoderOptions(SplitCommandLine(stageTwoText));
    if (AsksForAutoFields(profile)) {
        const QString note = TwoStageFieldFilter(item, profile);
        if (notes)
            *notes << item.OutputName + ": " + note + ".";
    }
    // Stage one read from before the row's start, or past its end: the row is cut out here.
    const TStageOneStart from = StageOneStart(item);
    if (from.Byte >= 0)
        outputs << "-ss" << Seconds3(from.Lead) << "-t" << Seconds3(ItemSeconds(item));
    // -n: the encoder makes the partial file afresh and writes over nothing, whatever the profile says.
    return QStringList{"-n", "-i", CurrentWorkFile()} + inputs + profile +
           (aspect.isEmpty() ? QStringList() : QStringList{"-aspect", aspect}) + outputs +
           QStringList{outputPath};
}

std::vector<TItemCommands> TConversionDriver::Plan(const TRunSettings& settings) {
    const QString profile = ProfilePathOf(settings.ProfileName);
    TMencOutputSettings saved = FContext.MencOutputSettings;
    const QString stageOneText = BuildStageOneArgs(profile, settings.Grids, FContext.MencOutputSettings);
    const QString stageTwoText = BuildStageTwoArgs(profile, settings.Grids);
    ReadEngineSettings();
    ReadOutputOptions(settings.ProfileName);
    std::vector<TItemCommands> plan;
    for (const TTaskNode* item : FTasks.CheckedRows()) {
        const QString output = OutputPathOf(*item, IncludeTrailingSeparator(settings.OutputDirText));
        if (FEngine == TPreferences::Direct) {
            TDvdStreamReader reader;
            QString problem;
            QStringList notes;
            plan.push_back({output,
                            {},
                            OpenDirectStream(reader, *item, problem)
                                ? DirectArguments(reader, *item, stageTwoText, FContext.MencOutputSettings,
                                                  output, FOutputOptions, &notes)
                                : QStringList{"#", problem},
                            notes});
            continue;
        }
        QStringList notes;
        plan.push_back({output, StageOneArguments(*item, stageOneText),
                        StageTwoArguments(*item, stageTwoText, output, &notes),
                        notes + TwoStageNotes(*item)});
    }
    FContext.MencOutputSettings = saved;
    return plan;
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
        output = FreeNameBeside(output, FContext.OutputExt);
        return true;
    case TPreferences::Overwrite:
        return true;
    }
    return true;
}

TConversionDriver::TItemOutcome TConversionDriver::ConvertItem(const TTaskNode& item, QString& output,
                                                               const QString& stageOneText,
                                                               const TRunSettings& settings,
                                                               QString& problem) {
    const double seconds = ItemSeconds(item);
    const QString stageTwoText = BuildStageTwoArgs(ProfilePathOf(settings.ProfileName), settings.Grids);
    const QString hint = "Converting: " + ShortPrefix(FContext.DVDInformation.OutputPrefix) + "-" +
                         item.OutputName + FContext.OutputExt;
    if (FEngine == TPreferences::Direct) {
        FFrontEnd.SetHintText(hint);
        return ConvertItemInPieces(item, output, stageTwoText, problem);
    }
    AddNotes(TwoStageNotes(item));
    problem = SpaceProblem(
        FContext.WorkDir, FOverlap ? 0 : WorkFileBytes(FContext.MencOutputSettings, seconds),
        QFileInfo(output).absolutePath(), OutputFileBytes(SplitCommandLine(stageTwoText), seconds));
    if (!problem.isEmpty())
        return ItemFailed;

    // MEncoder reads the disc itself and would encode scrambled packs as they are: such a range is refused
    // before anything starts.
    if (TDvdStreamReader reader; !OpenDirectStream(reader, item, problem) && reader.Encrypted())
        return ItemFailed;
    problem.clear();
    const bool opened = RunPreparatoryPass(TitleOf(item).Number, problem);
    if (FState == CancelRequested) // Stop before stage one: it is not started
        return ItemCancelled;
    if (!opened)
        return ItemFailed;

    const QStringList stageOne = StageOneArguments(item, stageOneText);
    Row().StageTwo.Terminate();
    if (!FOverlap)
        FWorkFile.Truncate(); // what an earlier item left must not pass for this one's
    if (!Row().StageOne.Launch(StageOneExePath(), stageOne)) {
        FFrontEnd.ReportError(kProductTitle, ReinstallText() + "\n" + Row().StageOne.StartError());
        problem = kStageOne + " could not be started: " + Row().StageOne.StartError();
        return ItemLaunchFailed;
    }
    // The output is measured with the media libraries at the end. They load meanwhile, beside stage one,
    // which keeps one core busy, rather than beside stage two's encoder, which keeps them all.
    PreloadMediaLibrary();
    FFrontEnd.SetHintText(hint);
    bool converted = false;
    if (FOverlap) {
        converted = RunStagesAtOnce(item, stageTwoText, output, problem);
    } else {
        const bool stageOneDone = RunStageOne(item, problem);
        if (FState == CancelRequested)
            return ItemCancelled;
        converted = stageOneDone && RunStageTwo(item, stageTwoText, output, problem);
    }
    ShowItemEnd(converted);
    if (FState == CancelRequested)
        return ItemCancelled;
    return converted ? ItemDone : ItemFailed;
}

// A failed item's bars stay where its encoders got to; a stopped one shows as finished, as it always has.
void TConversionDriver::ShowItemEnd(bool converted) {
    if (converted || FState == CancelRequested) {
        Row().Progress.ItemConverted();
        Show();
    }
}

TRunResult TConversionDriver::ConvertCheckedItems(const QString& stageOneText, const TRunSettings& settings) {
    TRunResult result;
    const std::vector<TTaskNode*> items = FTasks.CheckedRows();
    std::vector<double> lengths;
    for (const TTaskNode* item : items) {
        FFrontEnd.PumpEvents();
        lengths.push_back(ItemSeconds(*item));
    }
    Row().Progress.StartRun(lengths);
    Show();
    FFrontEnd.ShowProgressPanel(true);
    FState = Converting;
    const QString outputDir = IncludeTrailingSeparator(settings.OutputDirText);
    FTimerTime.start();
    if (FRowsAtOnce > 1 && items.size() > 1 && !AnyRowInPieces(lengths))
        return ConvertRowsSideBySide(items, settings);

    for (const TTaskNode* item : items) {
        FFrontEnd.PumpEvents();
        if (FState == CancelRequested)
            return Cancel(result);
        Row().Progress.StartItem(ItemSeconds(*item), FContext.DVDInformation.FrameRate,
                            FEngine == TPreferences::Direct ? TProgressTracker::OneEncoder
                            : FOverlap                      ? TProgressTracker::Overlapped
                                                            : TProgressTracker::Sequential);
        Show();

        FRowName = item->OutputName;
        QString output = OutputPathOf(*item, outputDir);
        if (!ApplyOverwritePolicy(output)) {
            result.Skipped << QFileInfo(output).fileName();
            continue;
        }
        // Only a file the policy has let go is replaced: one that appears meanwhile (another run's) is kept.
        Row().MayReplaceOutput =
            QFileInfo::exists(output) || FFrontEnd.OverwritePolicy() == TPreferences::Overwrite;
        QString problem;
        switch (ConvertItem(*item, output, stageOneText, settings, problem)) {
        case ItemCancelled:
            return Cancel(result);
        case ItemLaunchFailed:
            result.Failures.push_back({QFileInfo(output).fileName(), problem});
            EndProgress();
            FFrontEnd.ShowProgressPanel(false);
            result.Outcome = TRunResult::LaunchFailed;
            return result;
        case ItemDone:
            result.Outputs << output;
            Row().Progress.ItemFinished();
            break;
        case ItemFailed:
            result.Failures.push_back({QFileInfo(output).fileName(), problem});
            Row().Progress.ItemFailed();
            break;
        }
    }
    return Complete(result, settings.OutputDirText);
}

void TConversionDriver::EndProgress() {
    FTimerTime.stop();
    FRowName.clear();
    Row().Progress.RunEnded();
    Show();
}

// What the run left out and could not check, as the end of its closing message.
QString TConversionDriver::RunReportTail(const TRunResult& result) const {
    if (FFrontEnd.ListsRunReport())
        return {};
    QString text;
    if (!result.Skipped.isEmpty())
        text += "\n\nSkipped, as the files exist: " + result.Skipped.join(", ");
    for (const QString& note : FNotes)
        text += "\n\nNote: " + note;
    return text;
}

TRunResult TConversionDriver::Cancel(TRunResult result) {
    EndProgress();
    DeleteWorkFile();
    FFrontEnd.Inform("Cancel", "The conversion is canceled." + RunReportTail(result));
    FFrontEnd.ShowProgressPanel(false);
    FFrontEnd.UnlockInterface();
    result.Outcome = TRunResult::Cancelled;
    return result;
}

TRunResult TConversionDriver::Complete(TRunResult result, const QString& outputDirText) {
    if (result.Failures.empty()) // the total reaches 100 only when every item was made (or skipped)
        Row().Progress.RunCompleted();
    EndProgress();
    DeleteWorkFile();
    if (FState == Converting)
        FFrontEnd.HideHint();
    result.Notes = FNotes;
    result.Outcome = result.Failures.empty() ? TRunResult::Completed : TRunResult::CompletedWithFailures;
    FFrontEnd.RunEnded(result);
    if (!result.Failures.empty()) {
        // Failures are reported whatever the completion choices: no turning off, no exit over a report.
        const bool allFailed = result.AllFailed();
        QString text =
            !allFailed ? QStringLiteral("The conversion is completed, but %1 of %2 files could not be made:")
                             .arg(result.Failures.size())
                             .arg(result.Failures.size() + size_t(result.Outputs.size()))
            : result.Failures.size() == 1
                ? QStringLiteral("The conversion failed: the file could not be made:")
                : QStringLiteral("The conversion failed: none of the %1 files could be made:")
                      .arg(result.Failures.size());
        for (const TItemFailure& f : result.Failures)
            text += "\n\n" + f.Output + ": " + f.Problem;
        FFrontEnd.ReportError(allFailed ? "Conversion failed" : "Complete", text + RunReportTail(result));
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
    FFrontEnd.Inform("Complete", "The conversion is completed successfully." + RunReportTail(result));
    if (FFrontEnd.AutoOpenDir())
        FFrontEnd.OpenFolder(outputDirText);
    FState = Idle;
    FFrontEnd.ShowProgressPanel(false);
    return result;
}
