#pragma once

#include "AppContext.h"
#include "LogindPower.h"
#include "TaskListModel.h"
#include "convert/ConversionDriver.h"
#include "profiles/ui/SettingForm.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTreeView;
class QWidget;
class TParamPanel;
class TSizeForm;

// The program's window: the task list of the opened disc, the row choices, the profile with its
// parameter grids, the output folder, and the conversion with its progress.
class TMainForm : public QMainWindow, public TConversionFrontEnd, public TSettingsHost {
    Q_OBJECT
public:
    // power: what turns the computer off after a run, the login manager when none is given; programDir:
    // the program folder (encoders, profiles, preferences), the executable's folder when empty.
    explicit TMainForm(QWidget* parent = nullptr, std::unique_ptr<TPowerControl> power = nullptr,
                       const QString& programDir = QString());
    ~TMainForm() override;

    // Loads a disc folder (a VIDEO_TS folder or one that holds it) into the task list.
    void OpenDiscFolder(const QString& path);
    // Opens each command-line entry in turn (folders, files inside them, or one .tmp list of them).
    void OpenCommandLine(const QStringList& arguments);

    TAppContext& Context() { return FContext; }
    TTaskListModel& Tasks() { return *FTasks; }
    QTreeView* TaskView() const { return ltvTask; }
    TSettingForm* SettingForm() const { return FSettingForm; }
    TParamPanel* Params() const { return panProfile; }
    TConversionDriver& Driver() { return *FDriver; }

    void tbtnStartClick();
    void tbtnStopClick();
    void cmbProfileChange();

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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildToolBar();
    QWidget* BuildBottomPanel();
    void tbtnOpenDirClick();
    void bbtnBrowserClick();
    void ShowChoices(const TChoiceLists& choices);
    void ShowHintPanel(const QString& text);

    TAppContext FContext;
    TTaskListModel* FTasks = nullptr;
    std::unique_ptr<TPowerControl> FPower;
    std::unique_ptr<TConversionDriver> FDriver;
    TSettingForm* FSettingForm = nullptr;
    TSizeForm* FSizeForm = nullptr;
    bool FShowingChoices = false;
    bool FShownOnce = false;
    bool FClosing = false;
    QString FProfilesProblem; // why the profile list is empty when its folder is missing or unreadable

    QAction* tbtnOpenDir = nullptr;
    QAction* tbtnStart = nullptr;
    QAction* tbtnStop = nullptr;
    QAction* tbtnSetting = nullptr;
    QTreeView* ltvTask = nullptr;
    TParamPanel* panProfile = nullptr;
    QWidget* panBottomCenter = nullptr;
    QWidget* panBottomLeft = nullptr;
    QFrame* PanHint = nullptr;
    QLabel* labHint = nullptr;
    QCheckBox* chkTurnoff = nullptr;
    QComboBox* cmbAudio = nullptr;
    QComboBox* cmbAudioLanguage = nullptr;
    QComboBox* cmbSub = nullptr;
    QComboBox* cmbAngle = nullptr;
    QComboBox* cmbProfile = nullptr;
    QLineEdit* edtOutputDir = nullptr;
    QProgressBar* pgbCurrent = nullptr;
    QProgressBar* pgbTotal = nullptr;
    QLabel* labCurProgress = nullptr;
    QLabel* labTotalProgress = nullptr;
    QLabel* labFrame = nullptr;
    QLabel* labElapsed = nullptr;
    QLabel* labRemaining = nullptr;
};
