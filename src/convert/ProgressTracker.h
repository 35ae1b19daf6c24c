#pragma once

#include <QString>
#include <vector>

// One row's own figures, where rows are named (a run's JSON progress).
struct TRowBar {
    QString Name;
    int Bar = 0; // 0 to 100
    QString FrameText;
};

// A row converted side by side: how far it has got, in seconds of its range.
struct TRowProgress {
    QString Name;
    double Position = 0;
    double Length = 0;
};

// What the progress panel shows.
struct TProgressFigures {
    int CurrentBar = 0; // 0 to 100
    int TotalBar = 0;
    QString CurrentLabel = "0%";
    QString TotalLabel = "0%";
    QString FrameText;
    QString ElapsedText;
    QString RemainingText;
    std::vector<TRowBar> Rows; // the rows going on
};

// Turns the encoders' output chunks into the progress figures of a run. Each item counts as two halves:
// stage one moves it from 0 to 50, stage two from 50 to 100. With the stages overlapped both halves
// advance together; with one encoder (the direct engine) its time moves the item from 0 to 100. In these
// two modes the bars never go back and reach 100 only when the item and the run are done.
class TProgressTracker {
public:
    void StartRun(const std::vector<double>& itemLengths); // P1 and P2
    enum TMode { Sequential, Overlapped, OneEncoder };
    void StartItem(double itemSeconds, double frameRate, TMode mode = Sequential); // P3
    void StageOneChunk(const QString& chunk, int readIndex);                       // P4
    void StartStageTwo();
    void StageTwoChunk(const QString& chunk, int readIndex); // P7; the one encoder's output too
    void ItemConverted();                                    // P5
    void ItemFinished();                                     // P6
    void ItemFailed(); // the bars and frames stay where the encoders got to, which counts as done
    void RunCompleted();                                     // P8
    void RunEnded();                                         // however it ended: no time remains
    void Tick();                                             // once a second while the run goes on
    // Rows side by side: the current bar is the rows in flight as one, the total what all rows have done.
    void ShowRows(const std::vector<TRowProgress>& rows, double frameRate);
    void RowEnded(double secondsDone); // a row side by side left the flight, having done this much

    const TProgressFigures& Figures() const { return FFigures; }
    double TotalSeconds() const { return FTotalSeconds; }
    double DoneSeconds() const { return FDoneSeconds; }
    double StageOnePosition() const { return FStageOnePosition; }
    double StageTwoTime() const { return FStageTwoTime; }

private:
    void SetCurrentBar(double value);
    void SetTotalBar(double value);
    void UpdateLabels();
    void ShowBothStages();
    void ReadStageTwoTimeOf(const QString& chunk);

    TProgressFigures FFigures;
    double FTotalSeconds = 0, FDoneSeconds = 0, FItemSeconds = 0, FFrameRate = 0;
    int FItemFrames = 0;
    TMode FMode = Sequential;
    double FStageOnePosition = 0;
    QString FPositionText;
    double FStageTwoTime = 0;
    int FElapsedSeconds = 0, FRemainingSeconds = 0;
};

// An optionally signed decimal number with "." and an optional exponent, blanks around it allowed.
bool ReadNumber(const QString& text, double& value);

// A stage-two time: a plain number of seconds, or hours:minutes:seconds as FFmpeg writes it.
bool ReadStageTwoTime(const QString& text, double& value);

// The last "Pos:" position in a stage-one chunk, for watching the end of the range; false when none.
bool LastStageOnePosition(const QString& chunk, double& value);
