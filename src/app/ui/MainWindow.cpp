#include "MainWindow.h"

#include "AboutForm.h"
#include "BottomPanel.h"
#include "ui/Dialogs.h"
#include "EditDVDVolumeForm.h"
#include "HintPanel.h"
#include "PanelSplitter.h"
#include "Pictures.h"
#include "StartScreen.h"
#include "TaskTree.h"
#include "WindowPlacement.h"
#include "ui/WidgetNames.h"
#include "app/HelpLinks.h"
#include "tasks/ProductInfo.h"
#include "app/StartupArguments.h"
#include "dvd/DiscLoader.h"
#include "dvd/DiscSource.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"
#include "dvd/ui/OpenDVDForm.h"
#include "preview/VlcPlayback.h"
#include "preview/ui/EditTimeForm.h"
#include "profiles/IniFile.h"
#include "profiles/IniText.h"
#include "profiles/Preferences.h"
#include "profiles/ProfileModel.h"
#include "profiles/ui/ParamPanel.h"
#include "profiles/ui/SizeForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

TMainForm::TMainForm(QWidget* parent, std::unique_ptr<TPowerControl> power, const QString& programDir,
                     const TDriveSources& drives, std::unique_ptr<TDvdPlayback> playback,
                     std::unique_ptr<TDesktopSignals> desktop)
    : QMainWindow(parent), FPower(power ? std::move(power) : std::make_unique<TLogindPower>()),
      FDesktop(desktop ? std::move(desktop) : std::make_unique<TFreedesktopSignals>()) {
    setObjectName("MainForm");
    FContext.SetProgramDir(
        IncludeTrailingSeparator(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir));
    // An installed program keeps the user's files in folders of their own, made before anything is written.
    FContext.Paths.MakeUserFolders(&FStartProblem);
    FContext.DVDInformation.DiscPath.clear();
    const QString version = TIniFile(FContext.Paths.PreferencesFile()).ReadString("Main", "Version", "2.0");
    FCaption = QStringLiteral("%1 V%2").arg(kProductTitle, version);
    setWindowTitle(FCaption);
    setWindowIcon(Pictures::Load("open-dvd", {48, 48}));
    resize(798, 544);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    setAcceptDrops(true);

    FTasks = new TTaskListModel(FContext, this);
    FTasks->Pump = [] { QCoreApplication::processEvents(); };
    FDriver = std::make_unique<TConversionDriver>(FContext, *FTasks, *this, FPower.get());
    // The preview's player comes before the panel that shows it.
    FPlayback = playback ? playback.release() : new TVlcPlayback({}, this);
    FPlayback->setParent(this);
    BuildToolBar();

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    auto* panLeft = Named(new QWidget(central), "panLeft");
    panLeft->setFixedWidth(kLeftMargin);
    columns->addWidget(panLeft);
    FSplitter = new TPanelSplitter(central);
    FSplitter->addWidget(BuildMainPanel());
    FSplitter->addWidget(BuildProfilePanel());
    FSplitter->handle(1)->setObjectName("panSplitter");
    FSplitter->setStretchFactor(0, 1);
    FSplitter->setStretchFactor(1, 0);
    FSplitter->setSizes({798 - kLeftMargin - TPanelSplitter::BarWidth - 200, 200});
    columns->addWidget(FSplitter, 1);
    setCentralWidget(central);
    RestorePlacement();

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
    connect(cmbAudio, &QComboBox::activated, this, &TMainForm::UpdateTrackHint);
    connect(cmbSub, &QComboBox::activated, this, &TMainForm::UpdateTrackHint);
    connect(cmbProfile, &QComboBox::currentIndexChanged, this, &TMainForm::UpdateTrackHint);
    connect(ltvTask, &TTaskTree::OpenDirRequested, this, &TMainForm::tbtnOpenDirClick);
    connect(ltvTask, &TTaskTree::OpenImageRequested, this, &TMainForm::tbtnOpenImageClick);
    connect(ltvTask, &TTaskTree::TrimRequested, this, &TMainForm::TrimRequested);
    connect(ltvTask, &TTaskTree::PlayRequested, this, &TMainForm::ltvTaskDblClick);
    connect(this, &TMainForm::PlayRequested, panPreview, &TPreviewPanel::bbtnPlayClick);
    connect(this, &TMainForm::StopPreviewRequested, panPreview, &TPreviewPanel::Stop);
    connect(this, &TMainForm::TrimRequested, this, &TMainForm::tbtnTrimClick);

    const QStringList profiles = FContext.Paths.ProfileNames();
    if (profiles.isEmpty()) // why the shipped folder gives none
        ProfileNames(FContext.Paths.ShareDir(), &FProfilesProblem);
    {
        const QSignalBlocker quiet(cmbProfile); // the saved profile is loaded once, when the window shows
        cmbProfile->addItems(profiles);
        cmbProfile->setCurrentIndex(-1);
    }

    // The dialogs, in the order the program has always made them.
    FOpenDVDForm = new TOpenDVDForm(this, drives);
    connect(FOpenDVDForm, &TOpenDVDForm::DiscChosen, this,
            [this](const QString& folder, const QString& label) {
                FContext.DVDInformation.OutputPrefix = label;
                OpenDiscFolder(folder);
            });
    connect(tbtnOpenDVD, &QAction::triggered, this, &TMainForm::tbtnOpenDVDClick);
    connect(ltvTask, &TTaskTree::OpenDVDRequested, this, &TMainForm::tbtnOpenDVDClick);
    FSettingForm = new TSettingForm(FContext, *this, profiles, this);
    connect(FSettingForm, &QDialog::finished, this, &TMainForm::UpdateTrackHint);
    FEditDVDVolumeForm = new TEditDVDVolumeForm(this);
    FEditTimeForm = new TEditTimeForm(*FTasks, this);
    FAboutForm = new TAboutForm(FContext.Paths, HomePage(FContext.Paths.HelpFile()), this);
    FSizeForm = new TSizeForm(panParams->Grid(TParamGrids::Video), this);
    ConnectCustomSizeHandOff(panParams->Grid(TParamGrids::Video), FSizeForm);
    connect(ltvTask, &TTaskTree::DVDVolumeRequested, this, &TMainForm::pmiDVDVolumeClick);
    connect(FEditDVDVolumeForm, &TEditDVDVolumeForm::PrefixChosen, this, [this](const QString& prefix) {
        FContext.DVDInformation.OutputPrefix = prefix;
        FTasks->RefreshTexts();
    });
}

TMainForm::~TMainForm() = default;

QTreeView* TMainForm::TaskView() const {
    return ltvTask;
}

void TMainForm::BuildToolBar() {
    ToolBar1 = Named(addToolBar("ToolBar1"), "ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize({48, 48});
    ToolBar1->setFixedHeight(76);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->setStyleSheet(
        "QToolBar#ToolBar1 { border: none; spacing: 2px; padding: 10px 6px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfeff,"
        " stop:1 #dfe7f1); border-bottom: 1px solid #b9c6d6; }"
        "QToolBar#ToolBar1 QToolButton { border: 1px solid transparent; border-radius: 4px; }"
        "QToolBar#ToolBar1 QToolButton:hover { border-color: #8fb1d9; background: #eaf3fd; }"
        "QToolBar#ToolBar1 QToolButton:pressed { background: #d4e6fa; }");
    const auto button = [this](const char* picture, const char* hint, const char* name) {
        QAction* action = ToolBar1->addAction(Pictures::ToolIcon(picture), hint);
        action->setObjectName(name);
        action->setToolTip(hint);
        action->setStatusTip(hint);
        ToolBar1->widgetForAction(action)->setFixedSize(67, 54);
        ToolBar1->widgetForAction(action)->setObjectName(QStringLiteral("%1Button").arg(name));
        return action;
    };
    tbtnOpenDVD = button("open-dvd", "Open a DVD", "tbtnOpenDVD");
    tbtnOpenDir = button("open-dir", "Open a Directory", "tbtnOpenDir");
    tbtnOpenImage = button("open-image", "Open a Disc Image (.iso)", "tbtnOpenImage");
    ToolBar1->addSeparator();
    tbtnStart = button("start", "Start to rip", "tbtnStart");
    tbtnStop = button("stop", "Stop ripping", "tbtnStop");
    ToolBar1->addSeparator();
    tbtnTrim = button("trim", "Specify the Start and End Time for ripping", "tbtnTrim");
    tbtnSetting = button("setting", "Preference & Settings", "tbtnSetting");
    ToolBar1->addSeparator();
    tbtnAbout = button("about", "About", "tbtnAbout");
    tbtnHelp = button("help", "Help", "tbtnHelp");
    tbtnWebsite = button("website", "Visit our website", "tbtnWebsite");
    tbtnStart->setEnabled(false);
    tbtnStop->setEnabled(false);
    tbtnTrim->setEnabled(false);
    connect(tbtnOpenDir, &QAction::triggered, this, &TMainForm::tbtnOpenDirClick);
    connect(tbtnOpenImage, &QAction::triggered, this, &TMainForm::tbtnOpenImageClick);
    connect(tbtnStart, &QAction::triggered, this, &TMainForm::tbtnStartClick);
    connect(tbtnStop, &QAction::triggered, this, &TMainForm::tbtnStopClick);
    connect(tbtnTrim, &QAction::triggered, this, &TMainForm::TrimRequested);
    connect(tbtnSetting, &QAction::triggered, this, [this] { FSettingForm->ShowGeneralPage(); });
    connect(tbtnAbout, &QAction::triggered, this, &TMainForm::tbtnAboutClick);
    connect(tbtnHelp, &QAction::triggered, this, &TMainForm::tbtnHelpClick);
    connect(tbtnWebsite, &QAction::triggered, this, &TMainForm::tbtnWebsiteClick);
}

QWidget* TMainForm::BuildMainPanel() {
    auto* panMain = Named(new QWidget, "panMain");
    auto* rows = new QVBoxLayout(panMain);
    rows->setContentsMargins(0, 6, 0, 0);
    rows->setSpacing(4);
    // The start screen covers the task list until the first disc is opened; the hint panel slides up
    // over the bottom of both.
    panTaskArea = Named(new QStackedWidget(panMain), "panTaskArea");
    ltvTask = new TTaskTree(FTasks, panTaskArea);
    panbg = new TStartScreen(HomePageLinkText(), panTaskArea);
    connect(panbg, &TStartScreen::labLinkClick, this, &TMainForm::labLinkClick);
    panTaskArea->addWidget(ltvTask);
    panTaskArea->addWidget(panbg);
    panTaskArea->setCurrentWidget(panbg);
    rows->addWidget(panTaskArea, 1);
    PanHint = new THintPanel(panTaskArea);
    rows->addWidget(BuildBottomPanel());
    return panMain;
}

QWidget* TMainForm::BuildProfilePanel() {
    panProfile = Named(new QWidget, "panProfile");
    panProfile->setMinimumWidth(160);
    auto* rows = new QVBoxLayout(panProfile);
    rows->setContentsMargins(0, 6, 6, 0);
    rows->setSpacing(4);
    panParams = new TParamPanel(95, false, panProfile);
    panParams->setObjectName("panParams");
    rows->addWidget(panParams, 1);
    panPreview = new TPreviewPanel(*FPlayback, *this, FContext.Paths.PreferencesFile(), panProfile);
    rows->addWidget(panPreview);
    return panProfile;
}

QWidget* TMainForm::BuildBottomPanel() {
    panBottom = new TBottomPanel;
    cmbAudio = panBottom->cmbAudio;
    cmbAudioLanguage = panBottom->cmbAudioLanguage;
    cmbSub = panBottom->cmbSub;
    cmbAngle = panBottom->cmbAngle;
    labTrackHint = panBottom->labTrackHint;
    cmbProfile = panBottom->cmbProfile;
    edtOutputDir = panBottom->edtOutputDir;
    connect(panBottom->bbtnSetting, &QPushButton::clicked, this, [this] { FSettingForm->ShowProfilesPage(); });
    connect(panBottom->bbtnBrowser, &QPushButton::clicked, this, &TMainForm::bbtnBrowserClick);
    connect(panBottom->bbtnOpen, &QPushButton::clicked, this, &TMainForm::bbtnOpenClick);
    return panBottom;
}

// The place, size and panel width the window had when it last closed, where they still fit a screen.
void TMainForm::RestorePlacement() {
    const TWindowPlacement saved = TWindowPlacement::Read(FContext.Paths.PreferencesFile());
    FLastFolder = saved.LastFolder;
    const QRect frame = OnSomeScreen(saved.Frame);
    if (!frame.isNull()) {
        resize(frame.size().expandedTo(minimumSizeHint()));
        move(frame.topLeft());
    }
    // Both sides keep at least the width they need.
    const int panels = width() - kLeftMargin - TPanelSplitter::BarWidth;
    const int mainLeast = FSplitter->widget(0)->minimumSizeHint().width();
    if (saved.PanelWidth >= panProfile->minimumWidth() && saved.PanelWidth <= panels - mainLeast)
        FSplitter->setSizes({panels - saved.PanelWidth, saved.PanelWidth});
    if (saved.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::SavePlacement() {
    if (!FShownOnce) // never laid out: nothing of it is worth keeping
        return;
    TWindowPlacement placement;
    placement.Maximized = isMaximized();
    // A maximized window keeps the place it will go back to; the frame's offset is the same for both.
    const QRect normal = placement.Maximized ? normalGeometry() : geometry();
    placement.Frame = QRect(normal.topLeft() - (geometry().topLeft() - pos()), normal.size());
    placement.PanelWidth = panProfile->width();
    placement.LastFolder = FLastFolder;
    placement.Write(FContext.Paths.PreferencesFile());
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShownOnce)
        return;
    FShownOnce = true;
    const TIniFile ini(FContext.Paths.PreferencesFile());
    if (cmbProfile->count() > 0) {
        const int index = ini.ReadInteger("Main", "Profile", 0);
        cmbProfile->setCurrentIndex(index >= 0 && index < cmbProfile->count() ? index : -1);
    }
    edtOutputDir->setText(ini.ReadString("Main", "Output Path", FContext.Paths.DefaultOutputDir()));
    if (!FStartProblem.isEmpty())
        ReportError(kProductTitle, FStartProblem);
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
        TIniFile ini(FContext.Paths.PreferencesFile());
        ini.WriteInteger("Main", "Profile", cmbProfile->currentIndex());
        ini.WriteString("Main", "Output Path", edtOutputDir->text());
        SavePlacement();
    } catch (const EIniWriteError& e) {
        Dialogs::Message(this, kProductTitle, QString::fromStdString(e.what()), Dialogs::TIcon::Critical);
    }
    FSettingForm->close();
    FSizeForm->close();
    event->accept();
}

void TMainForm::cmbProfileChange() {
    const QString path = FContext.Paths.ProfilePath(cmbProfile->currentText());
    TParamGrids grids; // the load replaces every row
    const TProfileLoad load = LoadProfileRows(path, grids);
    if (!load.Loaded)
        return;
    FContext.OutputExt = "." + load.Type;
    panParams->ShowRows(grids);
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
    UpdateTrackHint();
}

void TMainForm::UpdateTrackHint() {
    const TPreferences saved = ReadPreferences(FContext.Paths.PreferencesFile(),
                                               {FContext.Paths.DefaultOutputDir(), FContext.Paths.DefaultWorkDir()});
    const bool keepsAll =
        TIniFile(FContext.Paths.ProfilePath(cmbProfile->currentText())).ReadBool("Main", "Keep Streams", false);
    QStringList said;
    if (saved.Engine == TPreferences::TwoStages) {
        if (keepsAll)
            said << "This profile copies the disc's streams: it needs the Direct engine (Settings).";
        if (cmbAudio->currentText() == kAllAudioTracksText)
            said << "The Two stages engine keeps only the first audio track; the Direct engine keeps all.";
        if (cmbSub->currentText() == kSubtitleTracksText)
            said << "The Two stages engine cannot keep subtitle tracks; the Direct engine can.";
        if (cmbSub->currentText() == kSubtitleTextText)
            said << "The Two stages engine cannot read subtitles into text; the Direct engine can.";
    }
    labTrackHint->setText(said.join('\n'));
    labTrackHint->setVisible(!said.isEmpty());
}

const TTaskNode* TMainForm::PreviewRow() const {
    return FTasks->FocusedRow();
}

QString TMainForm::DiscPath() const {
    return FContext.DVDInformation.DiscPath;
}

int TMainForm::SubtitleEntry() const {
    // Every subtitle kept as a track: the preview shows the first.
    if (cmbSub->currentText() == kSubtitleTracksText || cmbSub->currentText() == kSubtitleTextText)
        return 1;
    return qMax(0, cmbSub->currentIndex());
}

void TMainForm::ShowHintPanel(const QString& text) {
    PanHint->ShowHint(text);
}

void TMainForm::HideHintPanel() {
    PanHint->HideHint();
}

void TMainForm::OpenDiscFolder(const QString& path) {
    if (FLoading) // a drop or a second command while a disc is loading waits for nothing: it is dropped
        return;
    FLoading = true;
    panTaskArea->setCurrentWidget(ltvTask);
    emit StopPreviewRequested();
    FTasks->Clear();
    ShowHintPanel(QStringLiteral("Opening the DVD.   Please wait...."));
    // Let the hint panel grow before the load; the window keeps handling events meanwhile.
    if (PanHint->Animating() && isVisible()) {
        QEventLoop grown;
        connect(PanHint, &THintPanel::Grown, &grown, &QEventLoop::quit);
        QTimer::singleShot(600, &grown, &QEventLoop::quit);
        grown.exec();
    }
    auto library = CreateDvdReadAccess();
    try {
        const TLoadResult result =
            LoadDisc(path, FContext, *FTasks, *library, [] { QCoreApplication::processEvents(); });
        HideHintPanel();
        if (!result.LibraryOpened)
            ReportError(kProductTitle, result.LibraryError);
    } catch (const EIfoError& e) {
        HideHintPanel();
        FTasks->Clear();
        FLoading = false;
        ReportError(kProductTitle, QString::fromStdString(e.what()));
        return;
    }
    FTasks->CheckLongestTitle();
    // The caption names the disc the list shows: an image or a drive by its path, a folder by its own.
    setWindowTitle(FTasks->IsEmpty() ? FCaption
                                     : FCaption + " - " + ExcludeTrailingSeparator(FContext.DVDInformation.DiscPath));
    if (!FTasks->IsEmpty()) {
        ltvTask->scrollTo(FTasks->index(0, 0), QAbstractItemView::PositionAtCenter);
        tbtnStart->setEnabled(true);
        tbtnTrim->setEnabled(true);
    }
    FLoading = false;
}

void TMainForm::OpenCommandLine(const QStringList& arguments) {
    for (const QString& folder : DiscFoldersOf(arguments))
        OpenDiscFolder(folder);
}

bool TMainForm::OpenDroppedItems(const QList<QUrl>& urls) {
    if (!ltvTask->isEnabled() || urls.isEmpty() || !urls.first().isLocalFile())
        return false;
    const QString folder = DiscFolderOf(urls.first().toLocalFile());
    if (folder.isEmpty())
        return false;
    OpenDiscFolder(folder);
    return true;
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (ltvTask->isEnabled() && !urls.isEmpty() && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    // The drop is finished first, so the file manager is not kept waiting while the disc loads.
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, urls] { OpenDroppedItems(urls); });
}

void TMainForm::tbtnOpenDVDClick() {
    FOpenDVDForm->show();
}

void TMainForm::tbtnOpenDirClick() {
    emit StopPreviewRequested();
    const QString dir = Dialogs::ChooseFolder(this, "Please specify a DVD-ROM", FLastFolder);
    if (!dir.isEmpty() && QFileInfo(dir).isDir()) {
        FLastFolder = dir;
        OpenDiscFolder(IncludeTrailingSeparator(dir));
    }
}

void TMainForm::tbtnOpenImageClick() {
    emit StopPreviewRequested();
    const QString image = Dialogs::ChooseOpenFile(this, "Please specify a DVD image",
                                                  "DVD images (*.[iI][sS][oO]);;All files (*)");
    if (image.isEmpty())
        return;
    if (!IsDiscFile(image)) {
        ReportError(kProductTitle, image + ": not a DVD image (neither an .iso file nor a UDF volume)");
        return;
    }
    OpenDiscFolder(image);
}

void TMainForm::bbtnBrowserClick() {
    const QString dir = Dialogs::ChooseFolder(this, "Please specify a DVD-ROM");
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        edtOutputDir->setText(IncludeTrailingSeparator(dir));
}

void TMainForm::bbtnOpenClick() {
    const QString path = edtOutputDir->text();
    if (!QFileInfo(path).isDir())
        ReportError(kProductTitle, "This folder does not exist:\n\n" + path);
    else
        OpenFolder(path);
}

void TMainForm::pmiDVDVolumeClick() {
    FEditDVDVolumeForm->Edit(FContext.DVDInformation.OutputPrefix);
}

void TMainForm::tbtnHelpClick() {
    Dialogs::OpenExternally(this, kProductTitle, QUrl::fromLocalFile(FContext.Paths.HelpFile()), "the manual");
}

void TMainForm::tbtnWebsiteClick() {
    const QUrl page = HomePage(FContext.Paths.HelpFile());
    Dialogs::OpenExternally(this, kProductTitle, page, HomePageKind(page));
}

void TMainForm::tbtnAboutClick() {
    FAboutForm->show();
}

void TMainForm::ltvTaskDblClick() {
    emit PlayRequested();
}

void TMainForm::tbtnTrimClick() {
    FEditTimeForm->tbtnTrimClick(FTasks->FocusedRow());
}

void TMainForm::tbtnStartClick() {
    const TRunResult result =
        FDriver->Start({edtOutputDir->text(), cmbProfile->currentText(), panParams->Rows()});
    if (result.Outcome == TRunResult::LaunchFailed)
        RunEnded(result);
    else if (FTaskBarPercent >= 0) { // a cancelled run
        FDesktop->SetTaskBarProgress(0, false);
        FTaskBarPercent = -1;
    }
}

void TMainForm::RunEnded(const TRunResult& result) {
    if (FTaskBarPercent >= 0) {
        FDesktop->SetTaskBarProgress(0, false);
        FTaskBarPercent = -1;
    }
    NotifyRunEnd(result);
}

void TMainForm::NotifyRunEnd(const TRunResult& result) {
    if (isActiveWindow() || FClosing)
        return;
    const auto names = [](const QStringList& paths) {
        QStringList shown;
        for (const QString& path : paths)
            shown << QFileInfo(path).fileName();
        return shown.join('\n');
    };
    QStringList failed;
    for (const TItemFailure& failure : result.Failures)
        failed << failure.Output;
    switch (result.Outcome) {
    case TRunResult::Completed:
        FDesktop->Notify(
            "Conversion completed",
            result.Outputs.isEmpty() ? QStringLiteral("No file was written.") : names(result.Outputs), false);
        break;
    case TRunResult::CompletedWithFailures:
        FDesktop->Notify(
            result.AllFailed() ? "Conversion failed" : "Conversion finished with failures",
            "Failed:\n" + names(failed) +
                (result.Outputs.isEmpty() ? QString() : "\nConverted:\n" + names(result.Outputs)),
            true);
        break;
    case TRunResult::LaunchFailed:
        FDesktop->Notify("Conversion failed",
                         failed.isEmpty() ? QStringLiteral("An encoder could not be started.")
                                          : "Failed:\n" + names(failed),
                         true);
        break;
    case TRunResult::Refused:
    case TRunResult::Cancelled: // the user's own doing, or a message already waits in the window
        break;
    }
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

void TMainForm::SetConverting(bool converting) {
    for (QAction* action : {tbtnOpenDVD, tbtnOpenDir, tbtnOpenImage, tbtnStart, tbtnTrim, tbtnSetting})
        action->setEnabled(!converting);
    tbtnStop->setEnabled(converting);
    ltvTask->setEnabled(!converting);
    panProfile->setEnabled(!converting);
}

void TMainForm::LockInterface() {
    panPreview->Stop();
    SetConverting(true);
    ShowHintPanel("Preparing to convert. Please wait...");
    PanHint->chkTurnoff->setChecked(FSettingForm->AutoTurnOff());
    PanHint->chkTurnoff->show();
}

void TMainForm::UnlockInterface() {
    SetConverting(false);
    HideHint();
}

void TMainForm::ShowProgressPanel(bool shown) {
    panBottom->ShowProgressPanel(shown);
}

void TMainForm::SetHintText(const QString& text) {
    PanHint->SetText(text);
}
void TMainForm::HideHint() {
    HideHintPanel();
}

void TMainForm::ShowProgress(const TProgressFigures& f) {
    if (FDriver->Running() && f.TotalBar != FTaskBarPercent) {
        FTaskBarPercent = f.TotalBar;
        FDesktop->SetTaskBarProgress(f.TotalBar / 100.0, true);
    }
    panBottom->ShowFigures(f);
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
    return PanHint->chkTurnoff->isChecked();
}
void TMainForm::CloseWindow() {
    close();
}
void TMainForm::OpenFolder(const QString& path) {
    if (!FClosing)
        Dialogs::OpenExternally(this, kProductTitle, QUrl::fromLocalFile(path), "the folder");
}
void TMainForm::PumpEvents() {
    QCoreApplication::processEvents();
}
