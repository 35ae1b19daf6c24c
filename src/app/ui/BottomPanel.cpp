#include "BottomPanel.h"

#include "ui/WidgetNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

TBottomPanel::TBottomPanel(QWidget* parent) : QStackedWidget(parent) {
    setObjectName("panBottom");
    setFixedHeight(109);

    panBottomCenter = Named(new QWidget(this), "panBottomCenter");
    auto* g = new QGridLayout(panBottomCenter);
    const auto choice = [&](const char* caption, const char* name, int row, int column) {
        g->addWidget(new QLabel(caption, panBottomCenter), row, column);
        auto* box = Named(new QComboBox(panBottomCenter), name);
        g->addWidget(box, row, column + 1);
        return box;
    };
    cmbAudio = choice("Audio Track:", "cmbAudio", 0, 0);
    cmbSub = choice("Sub Title:", "cmbSub", 0, 2);
    cmbAngle = choice("Angle:", "cmbAngle", 0, 4);
    labTrackHint = Named(new QLabel(panBottomCenter), "labTrackHint");
    labTrackHint->setWordWrap(true);
    labTrackHint->hide();
    // Under the rows, across the panel: a sentence stays whole and the boxes keep their widths.
    g->addWidget(labTrackHint, 3, 0, 1, 6);
    cmbAudioLanguage = Named(new QComboBox(panBottomCenter), "cmbAudioLanguage");
    cmbAudioLanguage->hide();
    g->addWidget(new QLabel("Profile:", panBottomCenter), 1, 0);
    cmbProfile = Named(new QComboBox(panBottomCenter), "cmbProfile");
    g->addWidget(cmbProfile, 1, 1, 1, 4);
    bbtnSetting = Named(new QPushButton("&Settings", panBottomCenter), "bbtnSetting");
    g->addWidget(bbtnSetting, 1, 5);
    g->addWidget(new QLabel("Output Path:", panBottomCenter), 2, 0);
    edtOutputDir = Named(new QLineEdit(panBottomCenter), "edtOutputDir");
    g->addWidget(edtOutputDir, 2, 1, 1, 3);
    bbtnBrowser = Named(new QPushButton("&Browse", panBottomCenter), "bbtnBrowser");
    bbtnOpen = Named(new QPushButton("&Open", panBottomCenter), "bbtnOpen");
    g->addWidget(bbtnBrowser, 2, 4);
    g->addWidget(bbtnOpen, 2, 5);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);

    panBottomLeft = Named(new QWidget(this), "panBottomLeft");
    auto* p = new QGridLayout(panBottomLeft);
    const auto bar = [&](const char* caption, QProgressBar*& progress, const char* barName, QLabel*& label,
                         const char* labelName, int row) {
        p->addWidget(new QLabel(caption, panBottomLeft), row, 0);
        progress = Named(new QProgressBar(panBottomLeft), barName);
        progress->setRange(0, 100);
        progress->setTextVisible(false);
        p->addWidget(progress, row, 1, 1, 4);
        label = Named(new QLabel("0%", panBottomLeft), labelName);
        p->addWidget(label, row, 5);
    };
    bar("Current Progress:", pgbCurrent, "pgbCurrent", labCurProgress, "labCurProgress", 0);
    bar("Total Progress:", pgbTotal, "pgbTotal", labTotalProgress, "labTotalProgress", 1);
    const auto figure = [&](const char* caption, QLabel*& label, const char* name, int column) {
        p->addWidget(new QLabel(caption, panBottomLeft), 2, column);
        label = Named(new QLabel(panBottomLeft), name);
        p->addWidget(label, 2, column + 1);
    };
    figure("Frames:", labFrame, "labFrame", 0);
    figure("Time Elapsed:", labElapsed, "labElapsed", 2);
    figure("Time Remaining:", labRemaining, "labRemaining", 4);
    p->setColumnStretch(1, 1);


    addWidget(panBottomCenter);
    addWidget(panBottomLeft);
}

void TBottomPanel::ShowProgressPanel(bool shown) {
    setCurrentWidget(shown ? panBottomLeft : panBottomCenter);
}

void TBottomPanel::ShowFigures(const TProgressFigures& f) {
    pgbCurrent->setValue(f.CurrentBar);
    pgbTotal->setValue(f.TotalBar);
    labCurProgress->setText(f.CurrentLabel);
    labTotalProgress->setText(f.TotalLabel);
    labFrame->setText(f.FrameText);
    labElapsed->setText(f.ElapsedText);
    labRemaining->setText(f.RemainingText);
}
