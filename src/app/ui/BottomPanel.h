#pragma once

#include "convert/ProgressTracker.h"

#include <QStackedWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The band under the task list: the row's audio, subtitle and angle choices, the profile and the output
// folder; during a run, in their place, the progress bars with the frames and times.
class TBottomPanel : public QStackedWidget {
    Q_OBJECT
public:
    explicit TBottomPanel(QWidget* parent = nullptr);

    // The progress in place of the choices, or the choices back.
    void ShowProgressPanel(bool shown);
    void ShowFigures(const TProgressFigures& figures);

    QWidget* panBottomCenter = nullptr;
    QComboBox* cmbAudio = nullptr;
    QComboBox* cmbAudioLanguage = nullptr;
    QComboBox* cmbSub = nullptr;
    QLabel* labTrackHint = nullptr;
    QComboBox* cmbAngle = nullptr;
    QComboBox* cmbProfile = nullptr;
    QPushButton* bbtnSetting = nullptr;
    QLineEdit* edtOutputDir = nullptr;
    QPushButton* bbtnBrowser = nullptr;
    QPushButton* bbtnOpen = nullptr;

    QWidget* panBottomLeft = nullptr;
    QProgressBar* pgbCurrent = nullptr;
    QProgressBar* pgbTotal = nullptr;
    QLabel* labCurProgress = nullptr;
    QLabel* labTotalProgress = nullptr;
    QLabel* labFrame = nullptr;
    QLabel* labElapsed = nullptr;
    QLabel* labRemaining = nullptr;
};
