#include "PreviewPanel.h"

#include "dvd/DiscSource.h"

#include "PreviewDialogs.h"
#include "tasks/ProductInfo.h"
#include "tasks/TaskNode.h"
#include "tasks/TimeText.h"
#include "preview/DvdPlayback.h"
#include "profiles/IniFile.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

int RoundHalfEven(double v) {
    return int(std::nearbyint(v));
}

QToolButton* Button(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

} // namespace

TPreviewPanel::TPreviewPanel(TDvdPlayback& playback, TPreviewHost& host, const QString& preferencesPath,
                             QWidget* parent)
    : QWidget(parent), FPlayback(playback), FHost(host), FPreferencesPath(preferencesPath) {
    setObjectName("panPreview");
    // libVLC draws into this native window.
    VideoWindow = new QWidget(this);
    VideoWindow->setObjectName("VideoWindow");
    VideoWindow->setAttribute(Qt::WA_NativeWindow);
    VideoWindow->setAttribute(Qt::WA_DontCreateNativeAncestors);
    VideoWindow->setAutoFillBackground(true);
    QPalette black = VideoWindow->palette();
    black.setColor(QPalette::Window, Qt::black);
    VideoWindow->setPalette(black);
    VideoWindow->setMinimumSize(160, 120);
    VideoWindow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    TrackBar = new QSlider(Qt::Horizontal, this);
    TrackBar->setObjectName("TrackBar");
    TrackBar->setRange(0, 100);
    labStart = new QLabel("00:00:00", this);
    labStart->setObjectName("labStart");
    labMiddle = new QLabel("00:00:00", this);
    labMiddle->setObjectName("labMiddle");
    labMiddle->setAlignment(Qt::AlignCenter);
    labEnd = new QLabel("00:00:00", this);
    labEnd->setObjectName("labEnd");
    labEnd->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labPreviewPlayTime = new QLabel("00:00:00", this);
    labPreviewPlayTime->setObjectName("labPreviewPlayTime");
    bbtnPlay = Button(this, "bbtnPlay", QStyle::SP_MediaPlay, "Play");
    bbtnPause = Button(this, "bbtnPause", QStyle::SP_MediaPause, "Pause / Resume");
    bbtnStop = Button(this, "bbtnStop", QStyle::SP_MediaStop, "Stop");

    tmrPreview = new QTimer(this);
    tmrPreview->setObjectName("tmrPreview");
    tmrPreview->setInterval(1000);
    tmrPreviewDragDelay = new QTimer(this);
    tmrPreviewDragDelay->setObjectName("tmrPreviewDragDelay");
    tmrPreviewDragDelay->setInterval(200);

    auto* times = new QHBoxLayout;
    times->addWidget(labStart);
    times->addWidget(labMiddle, 1);
    times->addWidget(labEnd);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnPlay);
    buttons->addWidget(bbtnPause);
    buttons->addWidget(bbtnStop);
    buttons->addStretch();
    buttons->addWidget(labPreviewPlayTime);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(VideoWindow, 1);
    layout->addWidget(TrackBar);
    layout->addLayout(times);
    layout->addLayout(buttons);

    connect(bbtnPlay, &QToolButton::clicked, this, &TPreviewPanel::bbtnPlayClick);
    connect(bbtnPause, &QToolButton::clicked, this, &TPreviewPanel::bbtnPauseClick);
    connect(bbtnStop, &QToolButton::clicked, this, &TPreviewPanel::bbtnStopClick);
    connect(tmrPreview, &QTimer::timeout, this, &TPreviewPanel::tmrPreviewTimer);
    connect(tmrPreviewDragDelay, &QTimer::timeout, this, &TPreviewPanel::tmrPreviewDragDelayTimer);
    connect(TrackBar, &QSlider::valueChanged, this, &TPreviewPanel::TrackBarChange);
    connect(&FPlayback, &TDvdPlayback::Ended, this, &TPreviewPanel::PlaybackEnded, Qt::QueuedConnection);
    connect(&FPlayback, &TDvdPlayback::Failed, this, &TPreviewPanel::PlaybackFailed, Qt::QueuedConnection);
}

void TPreviewPanel::ShowFirstUseNotice() {
    TIniFile ini(FPreferencesPath);
    if (!ini.ReadBool("Main", "FirstUse", true))
        return;
    Dialogs::Message(window(), kProductTitle,
                     "This product is not designed for playing DVD movies, so it\n"
                     "may not play some copyright (region) protected DVD properly.\n"
                     "Note: Ripping copyright protected DVD is illegal in some countries.",
                     Dialogs::TIcon::Information);
    try {
        ini.WriteBool("Main", "FirstUse", false);
    } catch (const std::exception&) {
        // An unwritable preferences file only means the notice comes again next time.
    }
}

// Moves the slider without the move counting as the user's: no seek follows.
void TPreviewPanel::SetSliderQuietly(int position) {
    const int state = SliderState;
    SliderState = SliderByClock;
    TrackBar->setValue(position);
    SliderState = state;
}

void TPreviewPanel::bbtnPlayClick() {
    const TTaskNode* row = FHost.PreviewRow();
    if (!row)
        return;
    ShowFirstUseNotice();
    FHost.ShowHintPanel("Loading.   Please wait....");
    FPlayback.Clear();
    FPlayback.Deactivate();
    const QString ifo = IsDiscFile(FHost.DiscPath()) ? FHost.DiscPath() : FHost.DiscPath() + "VIDEO_TS.IFO";
    if (!QFileInfo(ifo).exists()) {
        Dialogs::Message(window(), "VIDEO_TS.IFO not found",
                         ifo + " can not be found. Please insert and open the DVD.",
                         Dialogs::TIcon::Information);
        FHost.HideHintPanel();
        return;
    }
    FPlayback.Activate(VideoWindow->winId());
    FPlayback.RenderDvd(ifo);
    FPlayback.Run();
    PreviewElapsed = 0;
    tmrPreviewDragDelay->stop();
    SetSliderQuietly(0);

    const double start = TimeTextToSeconds(row->FullStartText);
    const double end = TimeTextToSeconds(row->FullEndText);
    labStart->setText(row->FullStartText);
    labEnd->setText(row->FullEndText);
    labMiddle->setText(SecondsToTimeText(RoundHalfEven((start + end) / 2)));
    labPreviewPlayTime->setText(row->FullStartText);
    PreviewStartOffset = RoundHalfEven(row->FullStart);
    PreviewLength = RoundHalfEven(end - start);

    if (row->IsTitle() || !row->Parent)
        FPlayback.PlayTitle(row->Number);
    else
        FPlayback.PlayChapterInTitle(row->Parent->Number, row->Number);
    FHost.HideHintPanel();
    SliderState = SliderFree;
    tmrPreview->start();

    // Entry 0 "None" shows no subtitle; entry k the title's k-th, as the conversion burns it in.
    const int entry = FHost.SubtitleEntry();
    FPlayback.SetSubpictureState(entry > 0);
    if (entry > 0)
        FPlayback.SelectSubpictureStream(entry - 1);
}

void TPreviewPanel::tmrPreviewTimer() {
    if (SliderState == SliderSeekPending)
        return;
    SliderState = SliderByClock;
    ++PreviewElapsed;
    labPreviewPlayTime->setText(SecondsToTimeText(TimeTextToSeconds(labStart->text()) + PreviewElapsed));
    if (PreviewLength != 0)
        TrackBar->setValue(RoundHalfEven(double(PreviewElapsed) / PreviewLength * 100));
    if (PreviewElapsed >= PreviewLength)
        bbtnStopClick();
    SliderState = SliderFree;
}

void TPreviewPanel::TrackBarChange(int position) {
    if (SliderState == SliderByClock)
        return;
    const int target = RoundHalfEven(position * double(PreviewLength) / 100) + PreviewStartOffset;
    labPreviewPlayTime->setText(SecondsToTimeText(target));
    SeekDelayState = 0;
    if (!tmrPreviewDragDelay->isActive())
        tmrPreviewDragDelay->start(); // a running delay keeps its rhythm
    SliderState = SliderSeekPending;
}

// The seek happens once the slider has rested for one whole tick.
void TPreviewPanel::tmrPreviewDragDelayTimer() {
    if (SliderState == SliderByClock)
        return;
    if (SeekDelayState == 0) {
        SeekDelayState = 1;
        return;
    }
    SeekDelayState = 0;
    tmrPreviewDragDelay->stop();
    SliderState = SliderSeekPending;
    PreviewElapsed = RoundHalfEven(TrackBar->value() * double(PreviewLength) / 100);
    FPlayback.PlayAtTime(TimeCodeOf(PreviewElapsed + PreviewStartOffset));
    SliderState = SliderFree;
}

void TPreviewPanel::bbtnPauseClick() {
    switch (FPlayback.State()) {
    case TDvdPlayback::Playing:
        tmrPreview->stop();
        FPlayback.Pause();
        break;
    case TDvdPlayback::Paused:
        tmrPreview->start();
        FPlayback.Run();
        break;
    default:
        break;
    }
}

void TPreviewPanel::bbtnStopClick() {
    const TDvdPlayback::TState state = FPlayback.State();
    if (state != TDvdPlayback::Playing && state != TDvdPlayback::Paused)
        return;
    FPlayback.Stop();
    tmrPreview->stop();
    TrackBar->setValue(0);
    FPlayback.Clear();
}

// The title ran out before the clock did (its end lies before the row's listed end).
void TPreviewPanel::PlaybackEnded() {
    if (!tmrPreview->isActive())
        return;
    tmrPreview->stop();
    tmrPreviewDragDelay->stop();
    SliderState = SliderFree;
    SetSliderQuietly(0);
    FPlayback.Clear();
}

// The disc could not be opened: back to idle, and say so.
void TPreviewPanel::PlaybackFailed(const QString& problem) {
    tmrPreview->stop();
    tmrPreviewDragDelay->stop();
    SliderState = SliderFree;
    SetSliderQuietly(0);
    FPlayback.Clear();
    FHost.HideHintPanel();
    Dialogs::Message(window(), kProductTitle, "The preview can not play this disc: " + problem,
                     Dialogs::TIcon::Information);
}
