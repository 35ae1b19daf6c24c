#pragma once

#include "profiles/Preferences.h"

#include <QDialog>

struct TAppContext;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class TParamPanel;
class TSizeForm;

// What the Settings dialog needs of the main window.
class TSettingsHost {
public:
    virtual ~TSettingsHost() = default;
    virtual QString OutputDirText() const = 0;
    virtual void SetOutputDirText(const QString& text) = 0;
    virtual QString SelectedProfileText() const = 0;
    virtual int SelectedProfileIndex() const = 0;
    virtual void ReloadProfile() = 0; // the main window's profile-list change
};

// The preferences ("General") and the profile editor ("Profiles"). It lives for the whole run: the
// conversion reads the overwrite policy and the completion choices from its controls when it needs them.
class TSettingForm : public QDialog {
    Q_OBJECT
public:
    TSettingForm(TAppContext& context, TSettingsHost& host, const QStringList& profileNames,
                 QWidget* parent = nullptr);

    void ShowGeneralPage();  // "Preference & Settings"
    void ShowProfilesPage(); // "&Settings" beside the profile list: the main window's profile, loaded

    // The live choices of the General page.
    TPreferences::TOverwritePolicy Policy() const;
    bool AutoOpenDir() const;
    bool AutoExit() const;
    bool AutoTurnOff() const;

    void LoadPreferences(bool useDefaults);
    void btnOKClick();
    void btnCancelClick();
    void btnDefaultClick();
    void btnSaveAsClick();
    void cmbProfileChange();

    QTabWidget* Pages = nullptr;
    QLineEdit* edtOutputDir = nullptr;
    QLineEdit* edtWorkDir = nullptr;
    QComboBox* cmbSyn = nullptr;
    QCheckBox* chkOpenDir = nullptr;
    QCheckBox* chkExit = nullptr;
    QCheckBox* chkTurnoff = nullptr;
    QComboBox* cmbEngine = nullptr;
    QCheckBox* chkOverlap = nullptr;
    QSpinBox* spnRows = nullptr;
    QCheckBox* chkChapters = nullptr;
    QRadioButton* rdbAsk = nullptr;
    QRadioButton* rdbOverWrite = nullptr;
    QRadioButton* rdbRename = nullptr;
    QComboBox* cmbProfile = nullptr;
    TParamPanel* Params = nullptr;
    TSizeForm* SizeForm = nullptr; // asks for the size when "Custom Size" is picked on the Profiles page

protected:
    void showEvent(QShowEvent* event) override;

private:
    TPreferences PageValues() const;
    void ShowPageValues(const TPreferences& values);
    QString ProfilePathOf(const QString& name) const;
    QString PreferencesFile() const;
    TDefaultFolders DefaultFolders() const;
    void ShowError(const QString& text);

    TAppContext& FContext;
    TSettingsHost& FHost;
    TPreferences FCancelCopy;
    // The profile whose rows the grids hold; empty until one loaded without an error. Only that file is
    // ever written from the grids, so OK on the General page cannot overwrite a profile with other rows.
    QString FLoadedProfile;
};
