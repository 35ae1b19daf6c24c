#include "MainWindow.h"

#include "Dialogs.h"
#include "ProductInfo.h"
#include "WidgetNames.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"
#include "profiles/IniFile.h"
#include "profiles/IniText.h"
#include "profiles/ProfileModel.h"
#include "profiles/ui/ParamPanel.h"
#include "profiles/ui/SizeForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

TMainForm::TMainForm(QWidget* parent, std::unique_ptr<TPowerControl> power, const QString& programDir)
    : QMainWindow(parent), FPower(power ? std::move(power) : std::make_unique<TLogindPower>()) {
    setObjectName("MainForm");
    FContext.ProgramDir =
        IncludeTrailingSeparator(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir);
    const QString version =
        TIniFile(PreferencesPath(FContext.ProgramDir)).ReadString("Main", "Version", "2.0");
    setWindowTitle(QStringLiteral("%1 V%2").arg(kProductTitle, version));
    resize(798, 544);

    FTasks = new TTaskListModel(FContext, this);
    FTasks->Pump = [] { QCoreApplication::processEvents(); };
    FDriver = std::make_unique<TConversionDriver>(FContext, *FTasks, *this, FPower.get());
    BuildToolBar();

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    auto* panMain = Named(new QWidget(central), "panMain");
    auto* rows = new QVBoxLayout(panMain);
    rows->setContentsMargins(0, 0, 0, 0);
    ltvTask = Named(new QTreeView(panMain), "ltvTask");
    ltvTask->setModel(FTasks);
    ltvTask->setSelectionBehavior(QAbstractItemView::SelectRows);
    ltvTask->setAllColumnsShowFocus(true);
    ltvTask->header()->resizeSection(TTaskListModel::ColTitle, 175);
    ltvTask->header()->resizeSection(TTaskListModel::ColStart, 80);
    ltvTask->header()->resizeSection(TTaskListModel::ColEnd, 80);
    ltvTask->header()->resizeSection(TTaskListModel::ColOutput, 200);
    rows->addWidget(ltvTask, 1);

    PanHint = Named(new QFrame(panMain), "PanHint");
    PanHint->setFrameShape(QFrame::StyledPanel);
    auto* hint = new QVBoxLayout(PanHint);
    labHint = Named(new QLabel(PanHint), "labHint");
    labHint->setAlignment(Qt::AlignCenter);
    chkTurnoff = Named(new QCheckBox("Turn off the computer after the conversion is completed.", PanHint),
                       "chkTurnoff");
    hint->addWidget(labHint);
    hint->addWidget(chkTurnoff, 0, Qt::AlignCenter);
    PanHint->hide();
    rows->addWidget(PanHint);
    rows->addWidget(BuildBottomPanel());
    columns->addWidget(panMain, 1);

    panProfile = new TParamPanel(95, false, central);
    panProfile->setObjectName("panProfile");
    panProfile->setFixedWidth(200);
    columns->addWidget(panProfile);
    setCentralWidget(central);

    connect(ltvTask->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FTasks->SetFocusedRow(TTaskListModel::NodeOf(current)); });
    connect(FTasks, &TTaskListModel::FocusedRowChanged, this, [this](TTaskNode* node) {
        const QModelIndex index = FTasks->IndexOf(node);
        if (index.isValid() && ltvTask->currentIndex().internalPointer() != node)
            ltvTask->setCurrentIndex(index);
    });
    connect(FTasks, &TTaskListModel::ChoicesChanged, this, &TMainForm::ShowChoices);
    const auto onPick = [this](void (TTaskListModel::*pick)(int)) {
        return [this, pick](int index) {
            if (!FShowingChoices && index >= 0)
                (FTasks->*pick)(index);
        };
    };
    connect(cmbAudio, &QComboBox::activated, this, onPick(&TTaskListModel::PickAudio));
    connect(cmbSub, &QComboBox::activated, this, onPick(&TTaskListModel::PickSubtitle));
    connect(cmbAngle, &QComboBox::activated, this, onPick(&TTaskListModel::PickAngle));
    connect(cmbProfile, &QComboBox::currentIndexChanged, this, &TMainForm::cmbProfileChange);

    const QStringList profiles = ProfileNames(FContext.ProgramDir, &FProfilesProblem);
    {
        const QSignalBlocker quiet(cmbProfile); // the saved profile is loaded once, when the window shows
        cmbProfile->addItems(profiles);
        cmbProfile->setCurrentIndex(-1);
    }

    FSettingForm = new TSettingForm(FContext, *this, profiles, this);
    FSizeForm = new TSizeForm(panProfile->Grid(TParamGrids::Video), this);
    ConnectCustomSizeHandOff(panProfile->Grid(TParamGrids::Video), FSizeForm);
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildToolBar() {
    auto* toolbar = Named(addToolBar("ToolBar1"), "ToolBar1");
    toolbar->setMovable(false);
    const auto button = [&](const char* caption, const char* hint, const char* name) {
        QAction* action = toolbar->addAction(caption);
        action->setObjectName(name);
        action->setToolTip(hint);
        return action;
    };
    tbtnOpenDir = button("Open Directory", "Open a Directory", "tbtnOpenDir");
    toolbar->addSeparator();
    tbtnStart = button("Start", "Start to rip", "tbtnStart");
    tbtnStop = button("Stop", "Stop ripping", "tbtnStop");
    toolbar->addSeparator();
    tbtnSetting = button("Settings", "Preference & Settings", "tbtnSetting");
    tbtnStart->setEnabled(false);
    tbtnStop->setEnabled(false);
    connect(tbtnOpenDir, &QAction::triggered, this, &TMainForm::tbtnOpenDirClick);
    connect(tbtnStart, &QAction::triggered, this, &TMainForm::tbtnStartClick);
    connect(tbtnStop, &QAction::triggered, this, &TMainForm::tbtnStopClick);
    connect(tbtnSetting, &QAction::triggered, this, [this] { FSettingForm->ShowGeneralPage(); });
}

QWidget* TMainForm::BuildBottomPanel() {
    auto* panBottom = Named(new QStackedWidget, "panBottom");
    panBottom->setFixedHeight(109);

    panBottomCenter = Named(new QWidget, "panBottomCenter");
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
    cmbAudioLanguage = Named(new QComboBox(panBottomCenter), "cmbAudioLanguage");
    cmbAudioLanguage->hide();
    g->addWidget(new QLabel("Profile:", panBottomCenter), 1, 0);
    cmbProfile = Named(new QComboBox(panBottomCenter), "cmbProfile");
    g->addWidget(cmbProfile, 1, 1, 1, 4);
    auto* settings = Named(new QPushButton("&Settings", panBottomCenter), "bbtnSetting");
    g->addWidget(settings, 1, 5);
    g->addWidget(new QLabel("Output Path:", panBottomCenter), 2, 0);
    edtOutputDir = Named(new QLineEdit(panBottomCenter), "edtOutputDir");
    g->addWidget(edtOutputDir, 2, 1, 1, 3);
    auto* browse = Named(new QPushButton("&Browse", panBottomCenter), "bbtnBrowser");
    auto* open = Named(new QPushButton("&Open", panBottomCenter), "bbtnOpen");
    g->addWidget(browse, 2, 4);
    g->addWidget(open, 2, 5);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    connect(settings, &QPushButton::clicked, this, [this] { FSettingForm->ShowProfilesPage(); });
    connect(browse, &QPushButton::clicked, this, &TMainForm::bbtnBrowserClick);
    connect(open, &QPushButton::clicked, this, [this] { OpenFolder(edtOutputDir->text()); });

    panBottomLeft = Named(new QWidget, "panBottomLeft");
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

    panBottom->addWidget(panBottomCenter);
    panBottom->addWidget(panBottomLeft);
    return panBottom;
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShownOnce)
        return;
    FShownOnce = true;
    const TIniFile ini(PreferencesPath(FContext.ProgramDir));
    if (cmbProfile->count() > 0) {
        const int index = ini.ReadInteger("Main", "Profile", 0);
        cmbProfile->setCurrentIndex(index >= 0 && index < cmbProfile->count() ? index : -1);
    }
    edtOutputDir->setText(ini.ReadString("Main", "Output Path", FContext.ProgramDir));
    if (!FProfilesProblem.isEmpty())
        ReportError(kProductTitle, FProfilesProblem);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FDriver->Running()) {
        // Closing during a run ends the encoders; the driver then removes the work file.
        FClosing = true;
        FDriver->Stop();
    }
    try {
        TIniFile ini(PreferencesPath(FContext.ProgramDir));
        ini.WriteInteger("Main", "Profile", cmbProfile->currentIndex());
        ini.WriteString("Main", "Output Path", edtOutputDir->text());
    } catch (const EIniWriteError& e) {
        Dialogs::Message(this, kProductTitle, QString::fromStdString(e.what()), Dialogs::TIcon::Critical);
    }
    FSettingForm->close();
    FSizeForm->close();
    event->accept();
}

void TMainForm::cmbProfileChange() {
    const QString path = ProfilePath(FContext.ProgramDir, cmbProfile->currentText());
    TParamGrids grids; // the load replaces every row
    const TProfileLoad load = LoadProfileRows(path, grids);
    if (!load.Loaded)
        return;
    FContext.OutputExt = "." + load.Type;
    panProfile->ShowRows(grids);
    FTasks->RefreshTexts();
    if (!load.Error.isEmpty())
        ReportError(kProductTitle, load.Error);
}

void TMainForm::ShowChoices(const TChoiceLists& choices) {
    FShowingChoices = true;
    const auto fill = [](QComboBox* box, const QStringList& items, int selected) {
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(selected < items.size() ? selected : -1);
    };
    fill(cmbAudio, choices.AudioTracks, choices.AudioIndex);
    fill(cmbAudioLanguage, choices.AudioLanguages, choices.AudioIndex);
    fill(cmbSub, choices.Subtitles, choices.SubtitleIndex);
    fill(cmbAngle, choices.Angles, choices.AngleIndex);
    FShowingChoices = false;
}

void TMainForm::ShowHintPanel(const QString& text) {
    chkTurnoff->hide();
    labHint->setText(text);
    PanHint->show();
}

void TMainForm::OpenDiscFolder(const QString& path) {
    FTasks->Clear();
    ShowHintPanel(QStringLiteral("Opening the DVD.   Please wait...."));
    QCoreApplication::processEvents();
    auto library = CreateDvdReadAccess();
    try {
        const TLoadResult result =
            LoadDisc(path, FContext, *FTasks, *library, [] { QCoreApplication::processEvents(); });
        HideHint();
        if (!result.LibraryOpened)
            ReportError(kProductTitle, result.LibraryError);
    } catch (const EIfoError& e) {
        HideHint();
        FTasks->Clear();
        ReportError(kProductTitle, QString::fromStdString(e.what()));
        return;
    }
    FTasks->CheckLongestTitle();
    if (!FTasks->IsEmpty()) {
        ltvTask->scrollTo(FTasks->index(0, 0), QAbstractItemView::PositionAtCenter);
        tbtnStart->setEnabled(true);
    }
}

void TMainForm::OpenCommandLine(const QStringList& arguments) {
    QStringList entries = arguments;
    if (!arguments.isEmpty() && QFileInfo(arguments.first()).suffix().toLower() == "tmp") {
        QFile list(arguments.first());
        entries.clear();
        if (list.open(QIODevice::ReadOnly | QIODevice::Text))
            for (const QString& line : QString::fromLocal8Bit(list.readAll()).split('\n'))
                if (!line.trimmed().isEmpty())
                    entries << line.trimmed();
    }
    for (const QString& entry : entries) {
        const QFileInfo info(entry);
        if (info.isFile())
            OpenDiscFolder(IncludeTrailingSeparator(info.absolutePath()));
        else if (info.isDir())
            OpenDiscFolder(IncludeTrailingSeparator(entry));
    }
}

void TMainForm::tbtnOpenDirClick() {
    const QString dir = Dialogs::ChooseFolder(this, "Please specify a DVD-ROM");
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        OpenDiscFolder(IncludeTrailingSeparator(dir));
}

void TMainForm::bbtnBrowserClick() {
    const QString dir = Dialogs::ChooseFolder(this, "Please specify a DVD-ROM");
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        edtOutputDir->setText(IncludeTrailingSeparator(dir));
}

void TMainForm::tbtnStartClick() {
    FDriver->Start({edtOutputDir->text(), cmbProfile->currentText(), panProfile->Rows()});
}

void TMainForm::tbtnStopClick() {
    FDriver->Stop();
}

QString TMainForm::OutputDirText() const {
    return edtOutputDir->text();
}
void TMainForm::SetOutputDirText(const QString& text) {
    edtOutputDir->setText(text);
}
QString TMainForm::SelectedProfileText() const {
    return cmbProfile->currentText();
}
int TMainForm::SelectedProfileIndex() const {
    return cmbProfile->currentIndex();
}

void TMainForm::Inform(const QString& caption, const QString& text) {
    if (!FClosing)
        Dialogs::Message(this, caption, text, Dialogs::TIcon::Information);
}

void TMainForm::ReportError(const QString& caption, const QString& text) {
    if (!FClosing)
        Dialogs::Message(this, caption, text, Dialogs::TIcon::Critical);
}

bool TMainForm::AskYesNo(const QString& caption, const QString& text) {
    return Dialogs::Message(this, caption, text, Dialogs::TIcon::Question, Dialogs::TButtons::YesNo) ==
           Dialogs::TAnswer::Yes;
}

void TMainForm::FocusOutputPath() {
    edtOutputDir->setFocus();
}
void TMainForm::FocusProfileList() {
    cmbProfile->setFocus();
}

void TMainForm::LockInterface() {
    tbtnOpenDir->setEnabled(false);
    tbtnStart->setEnabled(false);
    tbtnStop->setEnabled(true);
    tbtnSetting->setEnabled(false);
    ltvTask->setEnabled(false);
    panProfile->setEnabled(false);
    ShowHintPanel("Preparing to convert. Please wait...");
    chkTurnoff->setChecked(FSettingForm->AutoTurnOff());
    chkTurnoff->show();
}

void TMainForm::UnlockInterface() {
    tbtnOpenDir->setEnabled(true);
    tbtnStart->setEnabled(true);
    tbtnStop->setEnabled(false);
    tbtnSetting->setEnabled(true);
    ltvTask->setEnabled(true);
    panProfile->setEnabled(true);
    HideHint();
}

void TMainForm::ShowProgressPanel(bool shown) {
    static_cast<QStackedWidget*>(panBottomCenter->parentWidget())
        ->setCurrentWidget(shown ? panBottomLeft : panBottomCenter);
}

void TMainForm::SetHintText(const QString& text) {
    labHint->setText(text);
}
void TMainForm::HideHint() {
    PanHint->hide();
}

void TMainForm::ShowProgress(const TProgressFigures& f) {
    pgbCurrent->setValue(f.CurrentBar);
    pgbTotal->setValue(f.TotalBar);
    labCurProgress->setText(f.CurrentLabel);
    labTotalProgress->setText(f.TotalLabel);
    labFrame->setText(f.FrameText);
    labElapsed->setText(f.ElapsedText);
    labRemaining->setText(f.RemainingText);
}

TPreferences::TOverwritePolicy TMainForm::OverwritePolicy() {
    return FSettingForm->Policy();
}
bool TMainForm::AutoExit() {
    return FSettingForm->AutoExit();
}
bool TMainForm::AutoOpenDir() {
    return FSettingForm->AutoOpenDir();
}
bool TMainForm::TurnOffChecked() {
    return chkTurnoff->isChecked();
}
void TMainForm::CloseWindow() {
    close();
}
void TMainForm::OpenFolder(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
void TMainForm::PumpEvents() {
    QCoreApplication::processEvents();
}
