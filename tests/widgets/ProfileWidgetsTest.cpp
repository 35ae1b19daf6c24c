#include "tasks/AppContext.h"
#include "profiles/IniFile.h"
#include "profiles/ProfileModel.h"
#include "profiles/ui/ParamPanel.h"
#include "profiles/ui/SettingForm.h"
#include "profiles/ui/SizeForm.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

std::vector<TGridRow> SampleRows() {
    return {{"Video Size", "Original Size", true, true, {"Original Size", "Custom Size", "640x480"}},
            {"Bit Rate", "800", false, false, {}},
            {"Video Codec", "MPEG-4", true, false, {}}};
}

// A main window as far as the Settings dialog sees it.
class THost : public TSettingsHost {
public:
    QString OutputDirText() const override { return OutputDir; }
    void SetOutputDirText(const QString& text) override { OutputDir = text; }
    QString SelectedProfileText() const override { return Profile; }
    int SelectedProfileIndex() const override { return ProfileIndex; }
    void ReloadProfile() override { ++Reloads; }
    QString OutputDir = "/main/out/";
    QString Profile;
    int ProfileIndex = 0;
    int Reloads = 0;
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class ProfileWidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void GridLookupsAndRowKinds() {
        TValueListEditor grid(95);
        QCOMPARE(grid.RowCount(), 0);
        QCOMPARE(grid.rowCount(), 1); // an empty grid still shows one empty row
        grid.SetRows(SampleRows());
        QCOMPARE(grid.RowCount(), 3);
        QCOMPARE(grid.RowText("bit rate"), QStringLiteral("800"));
        QCOMPARE(grid.RowText("Missing"), QString());
        QCOMPARE(grid.RowChoices("VIDEO SIZE"), (QStringList{"Original Size", "Custom Size", "640x480"}));
        grid.SetRowText("Extra", "x");
        QCOMPARE(grid.RowCount(), 4);
        QCOMPARE(grid.Rows().back().Key, QStringLiteral("Extra"));

        // Keys never editable; fixed rows not editable; list rows edited through a drop-down without typing.
        QVERIFY(!(grid.item(0, 0)->flags() & Qt::ItemIsEditable));
        QVERIFY(!(grid.item(2, 1)->flags() & Qt::ItemIsEditable));
        QVERIFY(grid.item(1, 1)->flags() & Qt::ItemIsEditable);
        grid.show();
        grid.setCurrentCell(0, 1); // opens the row's editor
        auto* box = grid.findChild<QComboBox*>();
        QVERIFY(box);
        QVERIFY(!box->isEditable());
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->currentText(), QStringLiteral("Original Size"));

        grid.SetRows({});
        QCOMPARE(grid.RowCount(), 0);
        grid.FitHeightToRows();
        QCOMPARE(grid.height(), 18);
    }

    void GridColours() {
        TValueListEditor grid(95);
        grid.SetRows(SampleRows());
        grid.FitHeightToRows();
        grid.resize(200, grid.height());
        grid.show();
        const QColor base = grid.palette().color(QPalette::Base);
        const QColor text = grid.palette().color(QPalette::Text);
        const QColor silver(192, 192, 192);
        const auto colours = [&](int row, int column) {
            return grid.CellColours(grid.model()->index(row, column));
        };

        QCOMPARE(colours(2, 1).Text, silver); // a fixed row's value
        QCOMPARE(colours(1, 1).Text, text);
        QCOMPARE(colours(0, 1).Text, text); // a list row is read-only but not fixed

        grid.setCurrentCell(2, 0);
        grid.clearFocus();
        QCOMPARE(colours(2, 1).Text, silver); // silver also as the current row
        QCOMPARE(colours(2, 1).Background, base);
        QCOMPARE(colours(2, 0).Background, base);
        QCOMPARE(colours(2, 0).Text, QColor(Qt::black));

        grid.setCurrentCell(1, 0);
        grid.activateWindow();
        grid.setFocus();
        QTRY_VERIFY(grid.hasFocus());
        QCOMPARE(colours(1, 0).Background, QColor(49, 106, 197));
        QCOMPARE(colours(1, 0).Text, text);
        QCOMPARE(colours(1, 1).Background, base);
        QCOMPARE(colours(1, 1).Text, QColor(Qt::black));
        QCOMPARE(colours(0, 0).Background, base);
        const QImage shot = grid.grab().toImage();
        QCOMPARE(QColor(shot.pixel(88, 18 + 9)), QColor(49, 106, 197)); // right of the key text
    }

    void CollapseAndExpand() {
        TParamPanel panel(160, true);
        TValueListEditor* video = panel.Grid(TParamGrids::Video);
        QToolButton* button = panel.GroupButton(TParamGrids::Video);
        QCOMPARE(video->height(), 108);
        button->click();
        QCOMPARE(button->text(), QStringLiteral("+"));
        QCOMPARE(video->height(), 1);
        TParamGrids rows;
        rows.Groups[TParamGrids::Video] = SampleRows();
        panel.ShowRows(rows); // a load opens the grid without changing the button
        QCOMPARE(video->height(), 54);
        QCOMPARE(button->text(), QStringLiteral("+"));
        button->click();
        QCOMPARE(video->height(), 3 * 17 + 3 + 1);
        QCOMPARE(button->text(), QStringLiteral("-"));
        button->click();
        QCOMPARE(video->height(), 1);
        QCOMPARE(panel.Grid(TParamGrids::Audio)->height(), 18); // no Audio rows: one empty row

        TParamPanel mainPanel(95, false);
        mainPanel.GroupButton(TParamGrids::Video)->click();
        QCOMPARE(mainPanel.Grid(TParamGrids::Video)->height(), 108);
    }

    void SizeDialogChecksAndWrites() {
        // Only a size an encoder can take passes: positive, even, at most 4096 a side.
        struct Case {
            QString Width, Height, Message, Row, Why;
        };
        const Case cases[] = {
            {"", "480", "Incorrect Width", "Custom Size", ""},
            {"640", "4x0", "Incorrect Height", "Custom Size", ""},
            {"abc", "x", "Incorrect Width", "Custom Size", ""},
            {"640", "480", "", "640x480", ""},
            {"0", "0", "Incorrect Width", "Custom Size", "it must be more than 0 (it is 0)"},
            {"-640", "480", "Incorrect Width", "Custom Size", "it must be more than 0 (it is -640)"},
            {"640", "0", "Incorrect Height", "Custom Size", "it must be more than 0 (it is 0)"},
            {"641", "480", "Incorrect Width", "Custom Size", "it must be even (it is 641)"},
            {"640", "481", "Incorrect Height", "Custom Size", "it must be even"},
            {"4098", "480", "Incorrect Width", "Custom Size", "it must be at most 4096 (it is 4098)"},
            {"4096", "2", "", "4096x2", ""},
            {" 640", "480", "", "640x480", ""},
            {"$280", "0x1E0", "", "640x480", ""},
        };
        for (const Case& c : cases) {
            TValueListEditor grid(95);
            grid.SetRows(SampleRows());
            grid.SetRowText("Video Size", "Custom Size");
            TSizeForm form(&grid);
            TScriptedDialogs dialogs;
            form.show();
            form.edtWidth->setText(c.Width);
            form.edtHeight->setText(c.Height);
            form.btnOKClick();
            if (c.Message.isEmpty()) {
                QVERIFY(dialogs.Asked.isEmpty());
                QVERIFY(!form.isVisible());
            } else {
                QCOMPARE(dialogs.Asked.size(), 1);
                QCOMPARE(dialogs.Asked[0].Caption, c.Message);
                QVERIFY2(dialogs.Asked[0].Text.contains(c.Why), qPrintable(dialogs.Asked[0].Text));
                QCOMPARE(dialogs.Asked[0].Icon, Dialogs::TIcon::Information);
                QVERIFY(form.isVisible());
            }
            QCOMPARE(grid.RowText("Video Size"), c.Row);
        }
    }

    void CustomSizeHandOff() {
        TValueListEditor grid(95);
        grid.SetRows(SampleRows());
        TSizeForm form(&grid);
        ConnectCustomSizeHandOff(&grid, &form);
        grid.show();
        grid.setCurrentCell(1, 1);
        grid.SetRowText("Video Size", "Custom Size"); // not the current row: nothing opens
        QVERIFY(!form.isVisible());
        grid.SetRowText("Video Size", "Original Size");
        grid.setCurrentCell(0, 1);
        grid.SetRowText("Video Size", "Custom Size");
        QVERIFY(form.isVisible());
        form.edtWidth->setText("320");
        form.close(); // the close box: no size, the row goes back
        QVERIFY(!form.isVisible());
        QCOMPARE(grid.RowText("Video Size"), QStringLiteral("Original Size"));
        grid.SetRowText("Video Size", "Custom Size");
        QVERIFY(form.isVisible());
        QCOMPARE(form.edtWidth->text(), QStringLiteral("320")); // the texts stay from last time
        form.edtHeight->setText("240");
        form.btnOKClick();
        QCOMPARE(grid.RowText("Video Size"), QStringLiteral("320x240"));
        QVERIFY(!form.isVisible());
    }

    void SettingsFreshInstallAndPolicies() {
        QTemporaryDir dir;
        TAppContext context;
        context.SetProgramDir(dir.path() + "/");
        THost host;
        TScriptedDialogs dialogs;
        {
            TSettingForm form(context, host, {});
            QCOMPARE(form.edtOutputDir->text(), context.ProgramDir);
            QCOMPARE(form.edtWorkDir->text(), context.ProgramDir);
            QCOMPARE(form.cmbSyn->currentText(), QStringLiteral("Auto"));
            QVERIFY(form.chkOpenDir->isChecked());
            QVERIFY(!form.chkExit->isChecked());
            QVERIFY(!form.chkTurnoff->isChecked());
            QVERIFY(form.rdbAsk->isChecked());
            QCOMPARE(context.WorkDir, context.ProgramDir);
            QVERIFY(QFile::exists(dir.filePath("Preferences.ini")));
        }
        const QString ini = dir.filePath("Preferences.ini");
        struct Case {
            QByteArray File;
            TPreferences::TOverwritePolicy Policy;
        };
        for (const Case& c : {Case{"[Main]\r\nAsk=1\r\nOverwrite=1\r\n", TPreferences::Overwrite},
                              Case{"[Main]\r\nAsk=0\r\nOverwrite=0\r\n", TPreferences::Rename},
                              Case{"[Main]\r\nAsk=1\r\nOverwrite=0\r\nSyn Mode=7\r\n", TPreferences::Ask}}) {
            WriteAll(ini, c.File);
            TSettingForm form(context, host, {});
            QCOMPARE(form.Policy(), c.Policy);
        }
        TSettingForm form(context, host, {});
        QCOMPARE(form.cmbSyn->currentIndex(), -1); // out of range: no selection
        QVERIFY(dialogs.Asked.isEmpty());
    }

    void SettingsOkCancelAndDefaults() {
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        QDir().mkpath(programDir + "Profiles");
        const QByteArray profile =
            "[Main]\r\nType=mp4\r\nPara=2\r\n0=Bit Rate\r\n1=Aspect\r\n"
            "[Bit Rate]\r\nSort=1\r\ncmd=-b\r\nList=0\r\nCaption=800\r\nValue=800\r\n"
            "[Aspect]\r\nSort=1\r\ncmd=-aspect\r\nCaption=4:3,16:9,\r\nValue=4:3,16:9,\r\n"
            "Index=0\r\n";
        WriteAll(programDir + "Profiles/A.apf", profile);
        WriteAll(programDir + "Profiles/B.apf", profile);
        WriteAll(
            programDir + "Preferences.ini",
            "[Main]\r\nOutput Path=/saved/\r\n[Default]\r\nWork Dir=/def/work\r\nAsk=0\r\nOverwrite=1\r\n");
        TAppContext context;
        context.SetProgramDir(programDir);
        THost host;
        host.Profile = "A";
        TScriptedDialogs dialogs;
        TSettingForm form(context, host, {"A", "B"});

        // Cancel puts the General page back and leaves the main window's folder alone.
        form.ShowGeneralPage();
        QCOMPARE(form.edtOutputDir->text(), QStringLiteral("/main/out/"));
        form.edtOutputDir->setText("/changed/");
        form.chkExit->setChecked(true);
        form.btnCancelClick();
        QCOMPARE(host.OutputDir, QStringLiteral("/main/out/"));
        QCOMPARE(form.edtOutputDir->text(), QStringLiteral("/main/out/"));
        QVERIFY(!form.chkExit->isChecked());

        // The browse buttons put the chosen folder, with "/" added, into their box; Cancel changes nothing.
        form.ShowGeneralPage();
        dialogs.Paths = {"/chosen/out", ""};
        form.findChild<QToolButton*>("sbtnBrowse")->click();
        QCOMPARE(form.edtOutputDir->text(), QStringLiteral("/chosen/out/"));
        form.findChild<QToolButton*>("SpeedButton1")->click();
        QCOMPARE(form.edtWorkDir->text(), programDir);
        QCOMPARE(dialogs.Asked.last().Caption, QStringLiteral("Select the output directory."));
        form.btnCancelClick();
        dialogs.Asked.clear();

        // Load Default: No changes nothing, Yes loads section Default (nothing written until OK).
        dialogs.Answers = {Dialogs::TAnswer::No, Dialogs::TAnswer::Yes};
        form.btnDefaultClick();
        QVERIFY(form.rdbAsk->isChecked());
        form.btnDefaultClick();
        QCOMPARE(dialogs.Asked[1].Text, QStringLiteral("Are you sure to load the default preferences?"));
        QVERIFY(form.rdbOverWrite->isChecked());
        QCOMPARE(form.edtWorkDir->text(), QStringLiteral("/def/work"));
        QCOMPARE(context.WorkDir, QStringLiteral("/def/work/"));
        QVERIFY(!ReadAll(programDir + "Preferences.ini").contains("[Main]\r\nOverwrite"));

        // OK on the main window's profile: preferences and the edited free row are saved, the main window
        // takes the output folder and reloads its grids.
        form.ShowProfilesPage();
        QCOMPARE(form.cmbProfile->currentText(), QStringLiteral("A"));
        QCOMPARE(form.Params->Grid(TParamGrids::Video)->RowText("Bit Rate"), QStringLiteral("800"));
        form.Params->Grid(TParamGrids::Video)->SetRowText("Bit Rate", "1500");
        form.Params->Grid(TParamGrids::Video)->SetRowText("Aspect", "16:9");
        form.edtOutputDir->setText("/new/out/");
        QCOMPARE(form.cmbEngine->currentText(), QStringLiteral("Two stages"));
        QVERIFY(form.chkOverlap->isEnabled());
        form.chkOverlap->setChecked(true);
        form.cmbEngine->setCurrentText("Direct");
        QVERIFY(!form.chkOverlap->isEnabled()); // the direct engine has no stages to overlap
        QVERIFY(form.chkChapters->isChecked()); // chapter marks are on by default
        form.chkChapters->setChecked(false);
        form.btnOKClick();
        QCOMPARE(host.OutputDir, QStringLiteral("/new/out/"));
        QCOMPARE(host.Reloads, 1);
        QCOMPARE(context.WorkDir, QStringLiteral("/def/work/"));
        TIniFile saved(programDir + "Profiles/A.apf");
        QCOMPARE(saved.ReadString("Bit Rate", "Caption", ""), QStringLiteral("1500"));
        QCOMPARE(saved.ReadString("Bit Rate", "Value", ""), QStringLiteral("1500"));
        QCOMPARE(saved.ReadInteger("Aspect", "Index", 0), 1);
        TIniFile prefs(programDir + "Preferences.ini");
        QCOMPARE(prefs.ReadString("Main", "Output Path", ""), QStringLiteral("/new/out/"));
        QCOMPARE(prefs.ReadBool("Main", "Overwrite", false), true);
        QCOMPARE(prefs.ReadBool("Main", "Ask", true), false);
        QCOMPARE(prefs.ReadString("Main", "Work Dir", ""), QStringLiteral("/def/work"));
        QCOMPARE(prefs.ReadString("Main", "Engine", ""), QStringLiteral("Direct"));
        QCOMPARE(prefs.ReadBool("Main", "Overlap Stages", false), true);
        QCOMPARE(prefs.ReadBool("Main", "Chapter Marks", true), false);

        // Another profile than the main window's: saved, but the main window is not reloaded.
        form.ShowProfilesPage();
        form.cmbProfile->setCurrentIndex(1);
        form.Params->Grid(TParamGrids::Video)->SetRowText("Bit Rate", "999");
        form.btnOKClick();
        QCOMPARE(host.Reloads, 1);
        QCOMPARE(TIniFile(programDir + "Profiles/B.apf").ReadString("Bit Rate", "Value", ""),
                 QStringLiteral("999"));

        // Save as copies the shown profile with the rows, and leaves the source alone.
        const QByteArray before = ReadAll(programDir + "Profiles/B.apf");
        form.Params->Grid(TParamGrids::Video)->SetRowText("Bit Rate", "2500");
        dialogs.Paths = {dir.filePath("elsewhere/../Copy")};
        QDir().mkpath(dir.filePath("elsewhere"));
        form.btnSaveAsClick();
        QCOMPARE(TIniFile(dir.filePath("Copy.apf")).ReadString("Bit Rate", "Caption", ""),
                 QStringLiteral("2500"));
        QCOMPARE(ReadAll(programDir + "Profiles/B.apf"), before);
    }

    // OK on the General page, with the Profiles page never opened, writes the preferences and no profile.
    void OkOnTheGeneralPageLeavesEveryProfileAlone() {
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        QDir().mkpath(programDir + "Profiles");
        const QString shipped = QStringLiteral(VELLORIC_SOURCE_DIR) + "/share/Profiles/";
        QMap<QString, QByteArray> before;
        for (const QString& name : QDir(shipped).entryList({"*.apf"})) {
            QVERIFY(QFile::copy(shipped + name, programDir + "Profiles/" + name));
            before[name] = ReadAll(programDir + "Profiles/" + name);
        }
        QVERIFY(before.size() >= 6);
        TAppContext context;
        context.SetProgramDir(programDir);
        THost host;
        host.Profile = QFileInfo(before.firstKey()).completeBaseName();
        TScriptedDialogs dialogs;
        TSettingForm form(context, host, ProfileNames(programDir));
        QCOMPARE(form.cmbProfile->currentIndex(), -1);
        form.ShowGeneralPage();
        form.edtWorkDir->setText(""); // an empty work folder is the program folder, not "/"
        form.btnOKClick();
        QVERIFY(!form.isVisible());
        QCOMPARE(context.WorkDir, programDir);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(ReadAll(programDir + "Profiles/" + it.key()), it.value());
        QVERIFY(dialogs.Asked.isEmpty());
        QCOMPARE(TIniFile(programDir + "Preferences.ini").ReadString("Main", "Work Dir", "x"), QString());
    }

    // "Custom Size" picked on the Profiles page asks for the size, and the profile keeps it.
    void CustomSizeOnTheProfilesPageIsSavedWithItsSize() {
        QTemporaryDir dir;
        const QString programDir = dir.path() + "/";
        QDir().mkpath(programDir + "Profiles");
        const QString path = programDir + "Profiles/P.apf";
        WriteAll(path, "[Main]\r\nPara=1\r\n0=Video Size\r\n[Video Size]\r\nSort=1\r\ncmd=-s\r\n"
                       "Caption=Original Size,Custom Size,\r\nValue=,,\r\nIndex=0\r\n");
        TAppContext context;
        context.SetProgramDir(programDir);
        THost host;
        host.Profile = "P";
        TScriptedDialogs dialogs;
        TSettingForm form(context, host, {"P"});
        form.ShowProfilesPage();
        TValueListEditor* video = form.Params->Grid(TParamGrids::Video);
        video->setCurrentCell(0, 1);
        video->SetRowText("Video Size", "Custom Size");
        QVERIFY(form.SizeForm->isVisible());
        form.SizeForm->edtWidth->setText("640");
        form.SizeForm->edtHeight->setText("480");
        form.SizeForm->btnOKClick();
        QCOMPARE(video->RowText("Video Size"), QStringLiteral("640x480"));
        form.btnOKClick();
        QCOMPARE(TIniFile(path).ReadInteger("Video Size", "Index", -9), 1);
        TParamGrids grids;
        LoadProfileRows(path, grids);
        QCOMPARE(grids.RowText(TParamGrids::Video, "Video Size"), QStringLiteral("640x480"));
    }
};

QTEST_MAIN(ProfileWidgetsTest)
#include "ProfileWidgetsTest.moc"
