#pragma once

#include "convert/ConversionFrontEnd.h"
#include "convert/EncoderSlot.h"
#include "convert/ProgressTracker.h"
#include "profiles/ProfileModel.h"

#include <QStringList>
#include <QTimer>
#include <vector>

struct TAppContext;
struct TTaskNode;
class TTaskListModel;

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
    int Skipped = 0;
};

// Both command lines of one item, as they are started.
struct TItemCommands {
    QString OutputPath;
    QStringList StageOne;
    QStringList StageTwo;
};

// Converts the checked rows: for each, stage one (disc to the work file) and stage two (work file to the
// output file), with progress, Stop, the overwrite policy and the completion actions.
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
    QString WorkFilePath() const;

    // Seconds without output after which a stage one that has reported the end of its range is ended.
    int EndOfRangeSilenceMs = 5000;

private:
    bool CheckStart(const TRunSettings& settings);
    TRunResult ConvertCheckedItems(const QString& stageOneText, const TRunSettings& settings);
    QStringList StageOneArguments(const TTaskNode& item, const QString& stageOneText) const;
    QStringList StageTwoArguments(const TTaskNode& item, const QString& stageTwoText,
                                  const QString& outputPath) const;
    QString OutputPathOf(const TTaskNode& item, const QString& outputDir) const;
    void RunPreparatoryPass(int titleNumber);
    bool RunStageOne(const TTaskNode& item, QString& problem);
    bool RunStageTwo(const QStringList& arguments, const QString& outputPath, QString& problem);
    TRunResult Cancel(TRunResult result);
    TRunResult Complete(TRunResult result, const QString& outputDirText);
    void DeleteWorkFile();
    void Show();
    QString ProfilePathOf(const QString& name) const;

    TAppContext& FContext;
    TTaskListModel& FTasks;
    TConversionFrontEnd& FFrontEnd;
    TPowerControl* FPower;
    TState FState = Idle;
    bool FRunning = false; // inside Start: a second Start is refused
    TEncoderSlot FStageOneSlot;
    TEncoderSlot FStageTwoSlot;
    TProgressTracker FProgress;
    QTimer FTimerTime;
};
