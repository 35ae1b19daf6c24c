#pragma once

#include "tasks/AppContext.h"
#include "app/DesktopSignals.h"
#include "app/LogindPower.h"
#include "app/SleepLock.h"
#include "tasks/TaskListModel.h"
#include "convert/ConversionDriver.h"
#include "dvd/OpticalDrives.h"
#include "preview/DvdPlayback.h"
#include "preview/ui/PreviewPanel.h"
#include "profiles/ui/SettingForm.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QToolBar;
class QTreeView;
class QWidget;
class TAboutForm;
class TBottomPanel;
class TEditTimeForm;
class TEditDVDVolumeForm;
class TOpenDVDForm;
class THintPanel;
class TPanelSplitter;
class TParamPanel;
class TSizeForm;
class TStartScreen;
class TTaskTree;

// The program's window: the task list of the opened disc, the row choices, the profile with its
// parameter grids, the output folder, and the conversion with its progress.
class TMainForm : public QMainWindow, public TConversionFrontEnd, public TSettingsHost, public TPreviewHost {
    Q_OBJECT
public:
    // power: what turns the computer off after a run, the login manager when none is given; programDir:
    // the program folder (encoders, profiles, preferences), the executable's folder when empty; playback:
    // the preview's player, libVLC's when none is given; desktop: where the end of a run and its progress
    // are told, the freedesktop services when none is given.
    explicit TMainForm(QWidget* parent = nullptr, std::unique_ptr<TPowerControl> power = nullptr,
                       const QString& programDir = QString(), const TDriveSources& drives = {},
                       std::unique_ptr<TDvdPlayback> playback = nullptr,
                       std::unique_ptr<TDesktopSignals> desktop = nullptr);
    ~TMainForm() override;

    // Loads a disc folder (a VIDEO_TS folder or one that holds it) into the task list.
    void OpenDiscFolder(const QString& path);
    // Opens each command-line entry in turn (folders, files inside them, or one .tmp list of them).
    void OpenCommandLine(const QStringList& arguments);
    // Opens what the first of the dropped items names (a folder, or a file's folder); nothing while a
    // conversion runs. True when a folder was opened.
    bool OpenDroppedItems(const QList<QUrl>& urls);

    TAppContext& Context() { return FContext; }
    TTaskListModel& Tasks() { return *FTasks; }
    QTreeView* TaskView() const;
    TTaskTree* TaskTree() const { return ltvTask; }
    THintPanel* HintPanel() const { return PanHint; }
    // The preview player below the parameter grids, and the time editor.
    TPreviewPanel* PreviewPanel() const { return panPreview; }
    TDvdPlayback& Playback() const { return *FPlayback; }
    TEditTimeForm* EditTimeForm() const { return FEditTimeForm; }
    TSettingForm* SettingForm() const { return FSettingForm; }
    TEditDVDVolumeForm* EditDVDVolumeForm() const { return FEditDVDVolumeForm; }
    TOpenDVDForm* OpenDVDForm() const { return FOpenDVDForm; }
    TAboutForm* AboutForm() const { return FAboutForm; }
    TStartScreen* StartScreen() const { return panbg; }

    // Keeps the computer from sleeping for as long as the window lives.
    void HoldSleepLock(std::unique_ptr<TSleepLock> lock) { FSleepLock = std::move(lock); }
    const TSleepLock* SleepLock() const { return FSleepLock.get(); }
    TParamPanel* Params() const { return panParams; }
    TConversionDriver& Driver() { return *FDriver; }

    void tbtnStartClick();
    void tbtnStopClick();
    void cmbProfileChange();
    void tbtnOpenDVDClick();
    void tbtnOpenDirClick();
    void tbtnOpenImageClick();
    void bbtnBrowserClick();
    void bbtnOpenClick();
    // A double click on a row: presses the preview's Play (PlayRequested).
    void ltvTaskDblClick();
    // The Trim button and the popup entry (TrimRequested): the time editor on the focused row.
    void tbtnTrimClick();
    void pmiDVDVolumeClick();
    void tbtnHelpClick();
    void tbtnWebsiteClick();
    void labLinkClick() { tbtnWebsiteClick(); }
    void tbtnAboutClick();

    // TPreviewHost
    const TTaskNode* PreviewRow() const override;
    QString DiscPath() const override;
    int SubtitleEntry() const override;
    void ShowHintPanel(const QString& text) override;
    void HideHintPanel() override;

    // TSettingsHost
    QString OutputDirText() const override;
    void SetOutputDirText(const QString& text) override;
    QString SelectedProfileText() const override;
    int SelectedProfileIndex() const override;
    void ReloadProfile() override { cmbProfileChange(); }

    // TConversionFrontEnd
    void Inform(const QString& caption, const QString& text) override;
    void ReportError(const QString& caption, const QString& text) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    void FocusOutputPath() override;
    void FocusProfileList() override;
    void LockInterface() override;
    void UnlockInterface() override;
    void ShowProgressPanel(bool shown) override;
    void SetHintText(const QString& text) override;
    void HideHint() override;
    void ShowProgress(const TProgressFigures& figures) override;
    TPreferences::TOverwritePolicy OverwritePolicy() override;
    bool AutoExit() override;
    bool AutoOpenDir() override;
    bool TurnOffChecked() override;
    void CloseWindow() override;
    void OpenFolder(const QString& path) override;
    void PumpEvents() override;
    void RunEnded(const TRunResult& result) override;

signals:
    // A double click on a row, and a disc about to be opened; the preview player follows them.
    void PlayRequested();
    void StopPreviewRequested();
    // The Trim button and the popup's "Edit Start & End Time"; the time editor connects to it.
    void TrimRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildToolBar();
    QWidget* BuildMainPanel();
    QWidget* BuildBottomPanel();
    QWidget* BuildProfilePanel();
    void ShowChoices(const TChoiceLists& choices);
    // Says beside the audio and subtitle choices when the saved engine cannot keep every track.
    void UpdateTrackHint();
    void SetConverting(bool converting);
    void RestorePlacement();
    // Throws EIniWriteError.
    void SavePlacement();
    // Tells the desktop how a run ended, when the user is looking elsewhere.
    void NotifyRunEnd(const TRunResult& result);

    TAppContext FContext;
    TTaskListModel* FTasks = nullptr;
    std::unique_ptr<TPowerControl> FPower;
    std::unique_ptr<TDesktopSignals> FDesktop;
    int FTaskBarPercent = -1; // what the task bar entry shows; -1 nothing
    std::unique_ptr<TConversionDriver> FDriver;
    TSettingForm* FSettingForm = nullptr;
    TSizeForm* FSizeForm = nullptr;
    TOpenDVDForm* FOpenDVDForm = nullptr;
    TEditDVDVolumeForm* FEditDVDVolumeForm = nullptr;
    TEditTimeForm* FEditTimeForm = nullptr;
    TDvdPlayback* FPlayback = nullptr; // a child of the window
    TAboutForm* FAboutForm = nullptr;
    std::unique_ptr<TSleepLock> FSleepLock;
    bool FShowingChoices = false;
    bool FShownOnce = false;
    bool FClosing = false;
    bool FLoading = false;
    QString FProfilesProblem; // why the profile list is empty when its folder is missing or unreadable
    QString FStartProblem;    // a user folder that could not be made
    QString FLastFolder;      // the folder last chosen with Open a Directory
    static constexpr int kLeftMargin = 10; // the strip left of the task list

    QToolBar* ToolBar1 = nullptr;
    QAction* tbtnOpenDVD = nullptr;
    QAction* tbtnOpenDir = nullptr;
    QAction* tbtnOpenImage = nullptr;
    QString FCaption; // the window's caption while no disc is listed
    QAction* tbtnStart = nullptr;
    QAction* tbtnStop = nullptr;
    QAction* tbtnTrim = nullptr;
    QAction* tbtnSetting = nullptr;
    QAction* tbtnAbout = nullptr;
    QAction* tbtnHelp = nullptr;
    QAction* tbtnWebsite = nullptr;
    TPanelSplitter* FSplitter = nullptr;
    QStackedWidget* panTaskArea = nullptr;
    TStartScreen* panbg = nullptr;
    TTaskTree* ltvTask = nullptr;
    QWidget* panProfile = nullptr;
    TParamPanel* panParams = nullptr;
    TPreviewPanel* panPreview = nullptr;
    TBottomPanel* panBottom = nullptr;
    THintPanel* PanHint = nullptr;
    QComboBox* cmbAudio = nullptr;
    QComboBox* cmbAudioLanguage = nullptr;
    QComboBox* cmbSub = nullptr;
    QLabel* labTrackHint = nullptr;
    QComboBox* cmbAngle = nullptr;
    QComboBox* cmbProfile = nullptr;
    QLineEdit* edtOutputDir = nullptr;
};
