#pragma once

#include "convert/ConversionFrontEnd.h"
#include "convert/DirectEngine.h"
#include "convert/ProgressTracker.h"
#include "convert/RowWork.h"
#include "convert/WorkFile.h"
#include "dvd/DiscView.h"
#include "profiles/ProfileModel.h"
#include "subtitles/SubtitleTextJob.h"

#include <QStringList>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct TAppContext;
struct TTaskNode;
class TTaskListModel;
class TStallWatch;
class TDvdStreamReader;

// What Start takes from the window at the moment it is pressed.
struct TRunSettings {
    QString OutputDirText; // the output path box
    QString ProfileName;   // the profile list's text
    TParamGrids Grids;     // the main window's parameter rows
};

struct TItemFailure {
    QString Output;  // the output file name
    QString Problem; // which encoder failed and how, with the last lines it wrote
};

struct TRunResult {
    enum TOutcome { Refused, Completed, CompletedWithFailures, Cancelled, LaunchFailed };
    TOutcome Outcome = Refused;
    std::vector<TItemFailure> Failures;
    QStringList Outputs; // files written, in order
    QStringList Skipped; // output file names the user chose not to overwrite
    QStringList Notes;   // what the run could not check

    // Items failed and none was made: the run is worded as a failure.
    bool AllFailed() const { return !Failures.empty() && Outputs.isEmpty(); }
};

// Both command lines of one item, as they are started. The direct engine has no stage one: StageTwo is its
// one encoder's, reading the stream the program feeds it.
struct TItemCommands {
    QString OutputPath;
    QStringList StageOne;
    QStringList StageTwo;
    QStringList Notes; // what the output will not hold as the row asks
};

// Converts the checked rows: for each, stage one (disc to the work file) and stage two (work file to the
// output file), one after the other or at once through a named pipe; or, with the direct engine, the
// disc's stream fed into one encoder. Progress, Stop, the overwrite policy, the checks of what was
// written and the completion actions are the same for both engines.
class TConversionDriver {
public:
    enum TState { Idle = 0, Converting = 1, CancelRequested = 2 };

    TConversionDriver(TAppContext& context, TTaskListModel& tasks, TConversionFrontEnd& frontEnd,
                      TPowerControl* power = nullptr);

    TRunResult Start(const TRunSettings& settings); // tbtnStartClick
    void Stop();                                    // tbtnStopClick
    TState ConvertState() const { return FState; }
    bool Running() const { return FRunning; }

    // The commands a run would start for the checked rows, without starting anything.
    std::vector<TItemCommands> Plan(const TRunSettings& settings);

    QString StageOneExePath() const;
    QString StageTwoExePath() const;
    // The run's own work file while a run goes on, else the last run's; before any run, the pattern its
    // name is made from.
    QString WorkFilePath() const;

    // Seconds without output after which a stage one that has reported the end of its range is ended.
    int EndOfRangeSilenceMs = 5000;
    // Seconds without progress after which a stage is ended as stalled (the preparatory pass reports no
    // progress: it is given this long in all). Key "Stall Seconds" of [Main] in Preferences.ini sets both,
    // the pass's at most 30.
    double StallSeconds = 120;
    double PreparatoryStallSeconds = 30;

    // The engine and the overlap of the stages; unset: keys "Engine" and "Overlap Stages" of [Main] in
    // Preferences.ini, read at Start.
    std::optional<TPreferences::TEngine> EngineChoice;
    std::optional<bool> OverlapChoice;
    // Chapter marks in the outputs; unset: key "Chapter Marks" of [Main], read at Start.
    std::optional<bool> ChapterMarksChoice;
    // How many pieces the direct engine makes a row in (0: Auto, 1: one pass); unset: key "Pieces" of
    // [Main] in Preferences.ini ("Auto" or a number).
    std::optional<int> PiecesChoice;
    // How many rows the direct engine converts at once, 0 for Auto; unset: key "Parallel Rows" of [Main].
    std::optional<int> ParallelRowsChoice;
    // The cores Auto shares out among pieces and rows; 0: the machine's.
    int Cores = 0;

private:
    enum TItemOutcome { ItemDone, ItemFailed, ItemCancelled, ItemLaunchFailed };

    bool CheckStart(const TRunSettings& settings);
    void ReadStallSettings();
    void ReadEngineSettings();
    bool PrepareWorkFile();
    bool MakeWorkPipe();
    TRunResult ConvertCheckedItems(const QString& stageOneText, const TRunSettings& settings);
    // The direct engine's rows, up to FRowsAtOnce of them at once, each on a thread of its own.
    TRunResult ConvertRowsSideBySide(const std::vector<TTaskNode*>& items, const TRunSettings& settings);
    // The row the calling thread converts: a side-by-side row's own, else the driver's.
    TRowWork& Row();
    const TRowWork& Row() const { return const_cast<TConversionDriver*>(this)->Row(); }
    bool OnRowThread() const;
    // Keeps the window live from the run's thread; a side-by-side row's thread handles only its own events.
    void PumpRow();
    // A message box a row asks for: shown at once from the run's thread, else by the run between its waits.
    void ReportFromRow(const QString& caption, const QString& text);
    void ShowRowMessages();
    bool ApplyOverwritePolicy(QString& output);
    TItemOutcome ConvertItem(const TTaskNode& item, QString& output, const QString& stageOneText,
                             const TRunSettings& settings, QString& problem);
    QStringList StageOneArguments(const TTaskNode& item, const QString& stageOneText) const;
    // Replaces the profile's "-vf auto" by what suits the row's pictures after stage one; returns what was
    // chosen, for the user.
    QString TwoStageFieldFilter(const TTaskNode& item, QStringList& profile) const;
    // notes (when given) receives what the profile's automatic deinterlacing chose.
    QStringList StageTwoArguments(const TTaskNode& item, const QString& stageTwoText,
                                  const QString& outputPath, QStringList* notes = nullptr) const;
    // What the output keeps besides the row's choices: the preference's chapter marks, the profile's
    // keeping of every track.
    void ReadOutputOptions(const QString& profileName);
    // Stage two's chapter input, and its chapter map and the audio's language; both empty when there are
    // none.
    void StageTwoExtras(const TTaskNode& item, QStringList& inputs, QStringList& outputs) const;
    // Where stage one begins. MEncoder's seek by time lands on a key picture up to a group of pictures past
    // the time asked, so a row that does not start the title is read from the VOBU before its start, by byte
    // position, and stage two cuts the lead (Lead, in the work file's time). Byte -1: by time, for the
    // title's start or a disc whose cells carry no navigation packs.
    struct TStageOneStart {
        qint64 Byte = -1;
        double Lead = 0;
    };
    TStageOneStart StageOneStart(const TTaskNode& item) const;
    bool OpenTwoStageReader(TDvdStreamReader& reader, const TTaskNode& item) const;
    // What the two-stage engine cannot do of the row's choices, for the run's notes.
    QStringList TwoStageNotes(const TTaskNode& item) const;
    void AddNotes(const QStringList& notes);
    QString OutputPathOf(const TTaskNode& item, const QString& outputDir) const;
    QString CurrentWorkFile() const;
    bool RunPreparatoryPass(int titleNumber, QString& problem);
    bool RunStageOne(const TTaskNode& item, QString& problem);
    bool RunStageTwo(const TTaskNode& item, const QString& stageTwoText, QString& outputPath,
                     QString& problem);
    // Creates the partial file beside the output and starts the final encoder with the arguments made for it;
    // inputFd (when not -1) is its standard input.
    bool StartFinalEncoder(TOwnedFile& partial, const QString& outputPath,
                           const std::function<QStringList(const QString&)>& argumentsFor,
                           QStringList& arguments, int inputFd, QString& problem);
    // Stage two of the two-stage engine, reading the work file: StartFinalEncoder with its arguments.
    bool StartStageTwoEncoder(const TTaskNode& item, const QString& stageTwoText, const QString& outputPath,
                              TOwnedFile& partial, QStringList& arguments, QString& problem);
    // Reads the final encoder's output to its end, showing and watching its progress; false when it stalled.
    bool ReadFinalEncoder(TStallWatch& watch);
    // After the final encoder's output has ended: its exit, its streams' lengths, the partial file put in
    // place. encoder: how a failure names it.
    bool FinishFinalEncoder(const TTaskNode& item, TOwnedFile& partial, QString& outputPath,
                            const QStringList& arguments, QString& problem, const QString& encoder);
    bool RunStagesAtOnce(const TTaskNode& item, const QString& stageTwoText, QString& outputPath,
                         QString& problem);
    void EndPipeWait();
    TItemOutcome ConvertItemDirect(const TTaskNode& item, QString& output, const QString& stageTwoText,
                                   QString& problem);
    bool OpenDirectStream(TDvdStreamReader& reader, const TTaskNode& item, QString& problem) const;
    TItemOutcome FinishDirectRow(const TTaskNode& item, TOwnedFile& partial, QString& output,
                                 const QStringList& arguments, bool ended, TStallWatch& watch,
                                 const QString& encoder, QString& problem);
    TItemOutcome ConvertItemInPieces(const TTaskNode& item, QString& output, const QString& stageTwoText,
                                     QString& problem);
    int PiecesChosen() const;
    int CoreCount() const { return Cores > 0 ? Cores : QThread::idealThreadCount(); }
    bool AnyRowInPieces(const std::vector<double>& lengths) const;
    // Subtitles read into text: the reading starts beside the encoder when the row asks for it; once the
    // encoder has made the partial file, the text goes into it as tracks (or beside the output in files of
    // its own where the container takes none). False, with problem set, when the text could not be added.
    void StartTextReading(const TTaskNode& item);
    bool AddTextTracks(const TTaskNode& item, const TOwnedFile& partial, const QString& outputPath,
                       QString& problem);
    // The text files of a container that takes no text tracks wait under partial names until the output is
    // in place, then take its final name; a row that fails removes them.
    bool PlaceSideTexts(const QString& outputPath, QString& problem);
    bool CheckStreamLengths(const TTaskNode& item, const QString& file, const QStringList& arguments,
                            QString& problem);
    bool ReadStage(TEncoderSlot& slot, TStallWatch& watch,
                   const std::function<void(const QString&, int)>& onChunk,
                   const std::function<void(qint64)>& onSilence = nullptr);
    // Stops the clock and clears the remaining time, which means nothing once the run is over.
    void EndProgress();
    void ShowItemEnd(bool converted);
    QString RunReportTail(const TRunResult& result) const;
    TRunResult Cancel(TRunResult result);
    TRunResult Complete(TRunResult result, const QString& outputDirText);
    void DeleteWorkFile();
    void Show();
    QString ProfilePathOf(const QString& name) const;
    // The folder the encoder reads the disc from: the run's view of its good information files.
    QString DiscDevice() const;

    TAppContext& FContext;
    TTaskListModel& FTasks;
    TConversionFrontEnd& FFrontEnd;
    TPowerControl* FPower;
    std::atomic<TState> FState = Idle; // rows side by side read it on their threads
    bool FRunning = false; // inside Start: a second Start is refused
    TRowWork FRow; // the row of a run that converts one at a time
    QTimer FTimerTime;
    TOwnedFile FWorkFile;
    QString FLastWorkFile;
    QStringList FNotes;
    TPreferences::TEngine FEngine = TPreferences::TwoStages;
    bool FOverlap = false;                // this run's work file is a named pipe
    TOutputOptions FOutputOptions;
    int FRowsAtOnce = 1;
    QString FRowName; // the row going on, for a run of one row at a time
    std::mutex FRowLock; // over the notes and messages of rows side by side
    QList<std::pair<QString, QString>> FRowMessages;
    std::unique_ptr<TDiscView> FDiscView; // for the length of a run
};
