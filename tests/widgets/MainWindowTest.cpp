#include "app/ui/MainWindow.h"
#include "profiles/IniFile.h"
#include "profiles/ui/ParamPanel.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

class TFakePower : public TPowerControl {
public:
    int* Calls;
    explicit TFakePower(int* calls) : Calls(calls) {}
    void PowerOffComputer() override { ++*Calls; }
};

// A program folder with the shipped profiles and the stand-in encoders.
struct TProgramFolder {
    QTemporaryDir Dir;
    QString Path = Dir.path() + "/";
    TProgramFolder() {
        QDir().mkpath(Path + "Profiles");
        const QString shipped = ProgramBinDir() + "/Profiles/";
        for (const QString& name : QDir(shipped).entryList({"*.apf"}))
            QFile::copy(shipped + name, Path + "Profiles/" + name);
        const QString fakes = QStringLiteral(VELLORIC_SOURCE_DIR) + "/tests/data/fake-encoders/";
        QFile::link(fakes + "asapi.dll", Path + "asapi.dll");
        QFile::link(fakes + "wmaspi.dll", Path + "wmaspi.dll");
        qputenv("FAKE_LOG", (Path + "encoders.log").toLocal8Bit());
    }
};

// Notes what the progress panel shows while each message is up.
struct TFiguresAtMessage : TScriptedDialogs {
    QLabel* Elapsed = nullptr;
    QLabel* Remaining = nullptr;
    QStringList ElapsedSeen, RemainingSeen;
    Dialogs::TAnswer Message(const Dialogs::TRequest& request) override {
        ElapsedSeen << Elapsed->text();
        RemainingSeen << Remaining->text();
        return TScriptedDialogs::Message(request);
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void OpensTheSampleDiscAndFollowsTheFocus() {
        TProgramFolder folder;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        window.OpenCommandLine({SampleDiscDir("pal") + "/VIDEO_TS/VIDEO_TS.IFO"}); // a file opens its folder
        TTaskListModel& tasks = window.Tasks();
        QCOMPARE(tasks.TitleCount(), 3);
        QCOMPARE(window.Context().DVDInformation.DiscPath, SampleDiscDir("pal") + "/VIDEO_TS/");
        QCOMPARE(tasks.CheckedRows(), std::vector<TTaskNode*>{tasks.Title(0)});

        auto* audio = window.findChild<QComboBox*>("cmbAudio");
        auto* subs = window.findChild<QComboBox*>("cmbSub");
        QVERIFY(audio && subs);
        QTreeView* tree = window.TaskView();
        tree->setCurrentIndex(tasks.IndexOf(tasks.Title(0)));
        QCOMPARE(audio->count(), 3); // and "All tracks"
        // The saved engine (two stages) cannot keep them all, and the window says so beside the lists.
        auto* hint = window.findChild<QLabel*>("labTrackHint");
        QVERIFY(hint && hint->isHidden());
        audio->setCurrentIndex(2);
        emit audio->activated(2);
        QCOMPARE(tasks.Title(0)->Children[2]->AudioIndex, int(TTaskNode::AllAudioTracks));
        QVERIFY(!hint->isHidden());
        QVERIFY(hint->text().contains("only the first audio track"));
        audio->setCurrentIndex(1);
        emit audio->activated(1);
        QCOMPARE(tasks.Title(0)->Children[2]->AudioIndex, 1);

        tree->setCurrentIndex(tasks.IndexOf(tasks.Title(0)->Children[2].get()));
        QCOMPARE(audio->currentText(), QStringLiteral("Deutsch AC3 2ch"));
        QCOMPARE(subs->count(), 3); // and "All as tracks"

        tree->setCurrentIndex(tasks.IndexOf(tasks.Title(2)));
        QCOMPARE(audio->count(), 1);
        QCOMPARE(audio->currentText(), QStringLiteral("French AC3 2ch"));
    }

    void TmpListOpensEveryEntryAndShowsTheLast() {
        TProgramFolder folder;
        QTemporaryDir dir;
        const QString list = dir.filePath("folders.TMP");
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write((SampleDiscDir("pal") + "\n" + SampleDiscDir("ntsc") + "/VIDEO_TS\n").toLocal8Bit());
        f.close();
        TMainForm window(nullptr, nullptr, folder.Path);
        window.OpenCommandLine({list});
        QCOMPARE(window.Context().DVDInformation.Standard, QStringLiteral("NTSC"));
        QCOMPARE(window.Tasks().TitleCount(), 3);
    }

    void ProfilesPreferencesAndAConversionFromTheWindow() {
        TProgramFolder folder;
        QTemporaryDir out;
        TIniFile(folder.Path + "Preferences.ini").WriteInteger("Main", "Profile", 4); // "H.264 AAC (MP4)"
        TScriptedDialogs dialogs;
        int powerCalls = 0;
        {
            TMainForm window(nullptr, std::make_unique<TFakePower>(&powerCalls), folder.Path);
            window.show();
            auto* profile = window.findChild<QComboBox*>("cmbProfile");
            auto* output = window.findChild<QLineEdit*>("edtOutputDir");
            QCOMPARE(profile->currentText(), QStringLiteral("H.264 AAC (MP4)"));
            QCOMPARE(output->text(), folder.Path);
            QCOMPARE(window.Params()->Grid(TParamGrids::Video)->RowText("Video Codec"),
                     QStringLiteral("H.264"));
            profile->setCurrentIndex(3); // "H.264 AAC (MKV)"
            QCOMPARE(window.Context().OutputExt, QStringLiteral(".mkv"));

            window.OpenDiscFolder(SampleDiscDir("pal"));
            QCOMPARE(window.Tasks().CellText(*window.Tasks().Title(0), TTaskListModel::ColOutput),
                     QStringLiteral("Title01.mkv"));
            output->setText(out.path());
            window.tbtnStartClick();
            QCOMPARE(dialogs.Asked.size(), 1);
            QCOMPARE(dialogs.Asked[0].Caption, QStringLiteral("Complete"));
            QCOMPARE(dialogs.Asked[0].Text, QStringLiteral("The conversion is completed successfully."));
            QVERIFY(QFile::exists(out.filePath("Title01.mkv")));
            QVERIFY(window.findChild<QAction*>("tbtnStart")->isEnabled());
            QVERIFY(!window.findChild<QAction*>("tbtnStop")->isEnabled());
            QVERIFY(window.TaskView()->isEnabled());
            auto* bottom = window.findChild<QStackedWidget*>("panBottom");
            QCOMPARE(bottom->currentWidget()->objectName(), QStringLiteral("panBottomCenter"));
            QCOMPARE(window.findChild<QLabel*>("labTotalProgress")->text(), QStringLiteral("100%"));
            window.close();
        }
        // Closing saved the profile and the output folder.
        const TIniFile prefs(folder.Path + "Preferences.ini");
        QCOMPARE(prefs.ReadInteger("Main", "Profile", -9), 3);
        QCOMPARE(prefs.ReadString("Main", "Output Path", ""), out.path());
        QCOMPARE(powerCalls, 0);
    }

    void NoTimeRemainsOnceARunIsOver() {
        // However the run ends, its remaining time is cleared before the closing message; the elapsed time
        // stays.
        const struct {
            const char* Caption;
            const char* Steps; // of the stand-in first stage, 0.05 s each
            int StopAfterMs;
        } endings[] = {{"Complete", "40", 0}, {"Cancel", "400", 1500}};
        for (const auto& ending : endings) {
            TProgramFolder folder;
            QTemporaryDir out;
            qputenv("FAKE_STAGE1", "slow");
            qputenv("FAKE_STAGE1_STEPS", ending.Steps);
            TFiguresAtMessage dialogs;
            TMainForm window(nullptr, nullptr, folder.Path);
            window.show();
            window.OpenDiscFolder(SampleDiscDir("pal"));
            window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path());
            dialogs.Elapsed = window.findChild<QLabel*>("labElapsed");
            dialogs.Remaining = window.findChild<QLabel*>("labRemaining");
            if (ending.StopAfterMs)
                QTimer::singleShot(ending.StopAfterMs, &window,
                                   [&] { window.findChild<QAction*>("tbtnStop")->trigger(); });
            window.tbtnStartClick();
            qunsetenv("FAKE_STAGE1");
            qunsetenv("FAKE_STAGE1_STEPS");
            QCOMPARE(dialogs.Asked.size(), 1);
            QCOMPARE(dialogs.Asked[0].Caption, QString(ending.Caption));
            // A second went by, so a remaining time was shown during the run.
            QVERIFY2(!dialogs.ElapsedSeen[0].isEmpty(), ending.Caption);
            QCOMPARE(dialogs.RemainingSeen[0], QString());
            QCOMPARE(dialogs.Remaining->text(), QString());
        }
    }

    void ClosingDuringARunStopsItQuietly() {
        TProgramFolder folder;
        QTemporaryDir out;
        qputenv("FAKE_STAGE1", "slow");
        qputenv("FAKE_STAGE1_STEPS", "400");
        TScriptedDialogs dialogs;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        window.OpenDiscFolder(SampleDiscDir("pal"));
        window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path());
        QTimer::singleShot(300, &window, [&] { window.close(); });
        window.tbtnStartClick();
        qunsetenv("FAKE_STAGE1");
        qunsetenv("FAKE_STAGE1_STEPS");
        QVERIFY(dialogs.Asked.isEmpty());
        QVERIFY(!QFile::exists(window.Driver().WorkFilePath()));
        QVERIFY(!window.Driver().Running());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
