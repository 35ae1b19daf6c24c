#pragma once

#include <QWidget>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;
class TDvdPlayback;
struct TTaskNode;

// What the preview asks of the window it sits in.
class TPreviewHost {
public:
    virtual ~TPreviewHost() = default;
    virtual const TTaskNode* PreviewRow() const = 0; // the focused row of the task list, or none
    virtual QString DiscPath() const = 0;            // the folder holding VIDEO_TS.IFO, ending in "/"
    virtual int SubtitleEntry() const = 0;           // the subtitle list's entry: 0 "None", k the k-th
    virtual void ShowHintPanel(const QString& text) = 0;
    virtual void HideHintPanel() = 0;
};

// The small player under the parameter grids: plays the focused row's full range from the disc, with a
// one-second clock that moves the position slider, a seek once the dragged slider has rested, Pause /
// Resume and Stop.
class TPreviewPanel : public QWidget {
    Q_OBJECT
public:
    // preferencesPath: the file whose [Main] FirstUse says whether the notice was shown.
    TPreviewPanel(TDvdPlayback& playback, TPreviewHost& host, const QString& preferencesPath,
                  QWidget* parent = nullptr);

    QWidget* VideoWindow = nullptr;
    QSlider* TrackBar = nullptr;
    QLabel* labStart = nullptr;
    QLabel* labMiddle = nullptr;
    QLabel* labEnd = nullptr;
    QLabel* labPreviewPlayTime = nullptr;
    QToolButton* bbtnPlay = nullptr;
    QToolButton* bbtnPause = nullptr;
    QToolButton* bbtnStop = nullptr;
    QTimer* tmrPreview = nullptr;
    QTimer* tmrPreviewDragDelay = nullptr;

    void bbtnPlayClick();
    void bbtnPauseClick();
    void bbtnStopClick();
    void tmrPreviewTimer();
    void TrackBarChange(int position);
    void tmrPreviewDragDelayTimer();

    // The slider's state: 0 free, 1 the clock is moving it, 3 a move waits for its seek.
    enum { SliderFree = 0, SliderByClock = 1, SliderSeekPending = 3 };
    int SliderState = SliderFree;
    int SeekDelayState = 0; // 0 a move has just happened, 1 one quiet tick has passed
    int PreviewElapsed = 0;
    int PreviewLength = 0;
    int PreviewStartOffset = 0;

public slots:
    // Stops a playing or paused preview; does nothing otherwise. The window calls it when it opens a
    // disc and when a conversion starts.
    void Stop() { bbtnStopClick(); }

private:
    void ShowFirstUseNotice();
    void SetSliderQuietly(int position);
    void PlaybackEnded();
    void PlaybackFailed(const QString& problem);

    TDvdPlayback& FPlayback;
    TPreviewHost& FHost;
    QString FPreferencesPath;
};
