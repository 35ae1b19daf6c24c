#include "SettingForm.h"

#include "ParamPanel.h"
#include "SizeForm.h"
#include "tasks/AppContext.h"
#include "tasks/ProductInfo.h"
#include "ui/Dialogs.h"
#include "ui/WidgetNames.h"
#include "dvd/DiscLoader.h"
#include "profiles/IniText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kBrowseCaption = "Select the output directory.";

} // namespace

TSettingForm::TSettingForm(TAppContext& context, TSettingsHost& host, const QStringList& profileNames,
                           QWidget* parent)
    : QDialog(parent), FContext(context), FHost(host) {
    setObjectName("SettingForm");
    setWindowTitle("Settings");
    setFixedSize(391, 498);
    setWindowModality(Qt::WindowModal); // the main window is disabled while the dialog is open

    Pages = new QTabWidget(this);
    auto* general = new QWidget;
    auto* g = new QVBoxLayout(general);
    const auto folderRow = [&](const char* caption, QLineEdit*& edit, const char* editName,
                               const char* buttonName) {
        g->addWidget(new QLabel(caption, general));
        auto* row = new QHBoxLayout;
        edit = Named(new QLineEdit(general), editName);
        auto* browse = Named(new QToolButton(general), buttonName);
        browse->setText("...");
        row->addWidget(edit, 1);
        row->addWidget(browse);
        g->addLayout(row);
        QLineEdit* target = edit;
        connect(browse, &QToolButton::clicked, this, [this, target] {
            const QString folder = Dialogs::ChooseFolder(this, kBrowseCaption);
            if (!folder.isEmpty())
                target->setText(IncludeTrailingSeparator(folder));
        });
    };
    folderRow("Default Output Path:", edtOutputDir, "edtOutputDir", "sbtnBrowse");
    folderRow("Work (temp) Directory:", edtWorkDir, "edtWorkDir", "SpeedButton1");
    g->addWidget(new QLabel("Synchronization Mode:", general));
    cmbSyn = Named(new QComboBox(general), "cmbSyn");
    cmbSyn->addItems({"Auto", "Force Mode", "Progressive Mode"});
    g->addWidget(cmbSyn);
    chkOpenDir =
        Named(new QCheckBox("Open the output directory when the task is completed. ", general), "chkOpenDir");
    chkExit = Named(new QCheckBox("Exit the program when the task is completed.", general), "chkExit");
    chkTurnoff =
        Named(new QCheckBox("Turn off the computer when the task is completed.", general), "chkTurnoff");
    g->addWidget(chkOpenDir);
    g->addWidget(chkExit);
    g->addWidget(chkTurnoff);
    g->addWidget(new QLabel("Conversion Engine:", general));
    cmbEngine = Named(new QComboBox(general), "cmbEngine");
    cmbEngine->addItems({kEngineTwoStages, kEngineDirect});
    g->addWidget(cmbEngine);
    chkOverlap = Named(new QCheckBox("Run both stages at once (two stages only).", general), "chkOverlap");
    g->addWidget(chkOverlap);
    auto* rows = new QHBoxLayout;
    rows->addWidget(new QLabel("Rows converted at once (direct engine only):", general));
    spnRows = Named(new QSpinBox(general), "spnRows");
    spnRows->setRange(0, 64);
    spnRows->setSpecialValueText(kParallelRowsAuto); // 0: one more than the cores
    rows->addWidget(spnRows);
    rows->addStretch(1);
    g->addLayout(rows);
    chkChapters = Named(new QCheckBox("Mark the disc's chapters in the output files.", general), "chkChapters");
    g->addWidget(chkChapters);
    connect(cmbEngine, &QComboBox::currentIndexChanged, chkOverlap,
            [this](int index) {
                chkOverlap->setEnabled(index == TPreferences::TwoStages);
                spnRows->setEnabled(index == TPreferences::Direct);
            });
    auto* overwrite = new QGroupBox("Output File Overwrite", general);
    auto* o = new QVBoxLayout(overwrite);
    rdbAsk = Named(new QRadioButton("Ask Me", overwrite), "rdbAsk");
    rdbOverWrite = Named(new QRadioButton("Overwrite", overwrite), "rdbOverWrite");
    rdbRename =
        Named(new QRadioButton("Not overwrite (Rename to <Filename> + Index", overwrite), "rdbRename");
    o->addWidget(rdbAsk);
    o->addWidget(rdbOverWrite);
    o->addWidget(rdbRename);
    g->addWidget(overwrite);
    g->addStretch(1);
    Pages->addTab(general, "     General     ");

    auto* profiles = new QWidget;
    auto* p = new QVBoxLayout(profiles);
    auto* top = new QHBoxLayout;
    cmbProfile = Named(new QComboBox(profiles), "cmbProfile");
    cmbProfile->addItems(profileNames);
    cmbProfile->setCurrentIndex(-1); // nothing selected, and nothing loaded, until the user or the host picks
    auto* saveAs = Named(new QPushButton("&Save as...", profiles), "btnSaveAs");
    top->addWidget(cmbProfile, 1);
    top->addWidget(saveAs);
    p->addLayout(top);
    auto* description = new QLabel("Description:", profiles);
    description->hide();
    Params = new TParamPanel(160, true, profiles);
    p->addWidget(Params, 1);
    Pages->addTab(profiles, "     Profiles     ");
    SizeForm = new TSizeForm(Params->Grid(TParamGrids::Video), this);
    ConnectCustomSizeHandOff(Params->Grid(TParamGrids::Video), SizeForm);

    auto* buttons = new QHBoxLayout;
    auto* loadDefault = Named(new QPushButton("&Load Default", this), "btnDefault");
    auto* ok = Named(new QPushButton("&OK", this), "btnOK");
    auto* cancel = Named(new QPushButton("&Cancel", this), "btnCancel");
    buttons->addWidget(loadDefault);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages, 1);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &TSettingForm::btnOKClick);
    connect(cancel, &QPushButton::clicked, this, &TSettingForm::btnCancelClick);
    connect(loadDefault, &QPushButton::clicked, this, &TSettingForm::btnDefaultClick);
    connect(saveAs, &QPushButton::clicked, this, &TSettingForm::btnSaveAsClick);
    connect(cmbProfile, &QComboBox::currentIndexChanged, this, &TSettingForm::cmbProfileChange);

    LoadPreferences(false);
}

QString TSettingForm::PreferencesFile() const {
    return FContext.Paths.PreferencesFile();
}

TDefaultFolders TSettingForm::DefaultFolders() const {
    return {FContext.Paths.DefaultOutputDir(), FContext.Paths.DefaultWorkDir()};
}

QString TSettingForm::ProfilePathOf(const QString& name) const {
    return FContext.Paths.ProfilePath(name);
}

void TSettingForm::ShowError(const QString& text) {
    Dialogs::Message(this, kProductTitle, text, Dialogs::TIcon::Critical);
}

void TSettingForm::LoadPreferences(bool useDefaults) {
    QString writeError;
    const TPreferences values =
        ::LoadPreferences(PreferencesFile(), useDefaults, DefaultFolders(), &writeError);
    ShowPageValues(values);
    FContext.WorkDir = WorkDirOf(values.WorkDir, FContext.Paths.DefaultWorkDir());
    if (!writeError.isEmpty())
        ShowError(writeError);
}

TPreferences TSettingForm::PageValues() const {
    TPreferences v;
    v.OutputPath = edtOutputDir->text();
    v.WorkDir = edtWorkDir->text();
    v.SynMode = cmbSyn->currentIndex();
    v.AutoOpenDir = chkOpenDir->isChecked();
    v.AutoExit = chkExit->isChecked();
    v.AutoTurnOff = chkTurnoff->isChecked();
    v.Policy = Policy();
    v.Engine =
        cmbEngine->currentIndex() == TPreferences::Direct ? TPreferences::Direct : TPreferences::TwoStages;
    v.OverlapStages = chkOverlap->isChecked();
    v.ChapterMarks = chkChapters->isChecked();
    v.ParallelRows = spnRows->value();
    return v;
}

void TSettingForm::ShowPageValues(const TPreferences& v) {
    edtOutputDir->setText(v.OutputPath);
    edtWorkDir->setText(v.WorkDir);
    cmbSyn->setCurrentIndex(v.SynMode >= 0 && v.SynMode < cmbSyn->count() ? v.SynMode : -1);
    chkOpenDir->setChecked(v.AutoOpenDir);
    chkExit->setChecked(v.AutoExit);
    chkTurnoff->setChecked(v.AutoTurnOff);
    cmbEngine->setCurrentIndex(v.Engine);
    chkOverlap->setChecked(v.OverlapStages);
    chkChapters->setChecked(v.ChapterMarks);
    spnRows->setValue(v.ParallelRows);
    spnRows->setEnabled(v.Engine == TPreferences::Direct);
    (v.Policy == TPreferences::Overwrite ? rdbOverWrite
     : v.Policy == TPreferences::Ask     ? rdbAsk
                                         : rdbRename)
        ->setChecked(true);
}

TPreferences::TOverwritePolicy TSettingForm::Policy() const {
    return rdbOverWrite->isChecked() ? TPreferences::Overwrite
           : rdbAsk->isChecked()     ? TPreferences::Ask
                                     : TPreferences::Rename;
}
bool TSettingForm::AutoOpenDir() const {
    return chkOpenDir->isChecked();
}
bool TSettingForm::AutoExit() const {
    return chkExit->isChecked();
}
bool TSettingForm::AutoTurnOff() const {
    return chkTurnoff->isChecked();
}

void TSettingForm::ShowGeneralPage() {
    Pages->setCurrentIndex(0);
    show();
}

void TSettingForm::ShowProfilesPage() {
    Pages->setCurrentIndex(1);
    show();
    const int index = FHost.SelectedProfileIndex();
    const QSignalBlocker quiet(cmbProfile);
    cmbProfile->setCurrentIndex(index < cmbProfile->count() ? index : -1);
    cmbProfileChange();
}

void TSettingForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edtOutputDir->setText(FHost.OutputDirText());
    FCancelCopy = PageValues();
}

void TSettingForm::btnOKClick() {
    FHost.SetOutputDirText(edtOutputDir->text());
    FContext.WorkDir = WorkDirOf(edtWorkDir->text(), FContext.Paths.DefaultWorkDir());
    try {
        SavePreferences(PreferencesFile(), PageValues());
        const QString path = ProfilePathOf(cmbProfile->currentText());
        if (path == FLoadedProfile && QFileInfo(path).isFile())
            SaveProfile(path, Params->Rows());
    } catch (const EIniWriteError& e) {
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    if (FHost.SelectedProfileText() == cmbProfile->currentText())
        FHost.ReloadProfile();
    accept();
}

void TSettingForm::btnCancelClick() {
    reject();
    ShowPageValues(FCancelCopy);
}

void TSettingForm::btnDefaultClick() {
    if (Dialogs::Message(this, "Load Default", "Are you sure to load the default preferences?",
                         Dialogs::TIcon::Question, Dialogs::TButtons::YesNo) == Dialogs::TAnswer::Yes)
        LoadPreferences(true);
}

void TSettingForm::cmbProfileChange() {
    const QString path = ProfilePathOf(cmbProfile->currentText());
    if (!QFileInfo(path).isFile())
        return;
    TParamGrids grids;
    FLoadedProfile.clear();
    try {
        const TProfileLoad load = LoadProfileRowsWithStore(path, grids);
        Params->ShowRows(grids);
        if (!load.Error.isEmpty()) {
            ShowError(load.Error);
            return;
        }
    } catch (const EIniWriteError& e) {
        // A file the store could not read or rewrite would not take the rows either: they are shown only.
        Params->ShowRows(grids);
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    FLoadedProfile = path;
}

void TSettingForm::btnSaveAsClick() {
    const QString target =
        Dialogs::ChooseSaveFile(this, "Save as...", "Profiles (*.apf)", "apf",
                                FContext.Paths.ProfileWritePath(cmbProfile->currentText()));
    if (target.isEmpty())
        return;
    try {
        const QString source = ProfilePathOf(cmbProfile->currentText());
        const TParamGrids rows = Params->Rows();
        // Rows that are not this profile's would overwrite the copy's choices: it is then copied as it is.
        SaveProfileAs(source, target, source == FLoadedProfile ? &rows : nullptr);
    } catch (const EIniWriteError& e) {
        ShowError(QString::fromStdString(e.what()));
    }
}
