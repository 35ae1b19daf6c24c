#include "app/ui/MainWindow.h"
#include "profiles/IniFile.h"
#include "profiles/ui/ParamPanel.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolTip>
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

// Notes what the progress panel shows while each message is up: its labels' texts by name.
struct TFiguresAtMessage : TScriptedDialogs {
    QWidget* Window = nullptr;
    QList<QMap<QString, QString>> Seen;
    Dialogs::TAnswer Message(const Dialogs::TRequest& request) override {
        QMap<QString, QString> figures;
        for (const char* name : {"labCurProgress", "labTotalProgress", "labFrame", "labElapsed", "labRemaining"})
            figures[name] = Window->findChild<QLabel*>(name)->text();
        Seen << figures;
        return TScriptedDialogs::Message(request);
    }
};

// The frames counted so far of a "done / all" text, and all of them.
std::pair<int, int> Frames(const QString& text) {
    const QStringList parts = text.split(" / ");
    return parts.size() == 2 ? std::pair{parts[0].toInt(), parts[1].toInt()} : std::pair{-1, -1};
}

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
        QCOMPARE(subs->count(), 4); // and "All as tracks", "All as text"

        tree->setCurrentIndex(tasks.IndexOf(tasks.Title(2)));
        QCOMPARE(audio->count(), 1);
        QCOMPARE(audio->currentText(), QStringLiteral("French AC3 2ch"));
    }

    // Title03 of this disc plays Title01 and Title02; Title04 plays Title01's cell again.
    void MarksRepeatedTitlesAndChecksTheLongestOfItsOwn() {
        TProgramFolder folder;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        window.OpenDiscFolder(SampleDiscDir("playall-pal"));
        TTaskListModel& tasks = window.Tasks();
        QCOMPARE(tasks.TitleCount(), 4);
        QCOMPARE(tasks.CheckedRows(), std::vector<TTaskNode*>{tasks.Title(0)});

        QTreeView* tree = window.TaskView();
        const auto text = [&](int i) { return tasks.IndexOf(tasks.Title(i)).data().toString(); };
        const auto tip = [&](int i) {
            return tasks.IndexOf(tasks.Title(i)).data(Qt::ToolTipRole).toString();
        };
        QCOMPARE(text(0), QStringLiteral("Title01 [MPEG2 720x576 PAL 4:3]"));
        QCOMPARE(text(2), QStringLiteral("Title03 (play all) [MPEG2 720x576 PAL 4:3]"));
        QCOMPARE(text(3), QStringLiteral("Title04 (same as Title01) [MPEG2 720x576 PAL 4:3]"));
        QVERIFY(tip(0).isEmpty());
        QCOMPARE(tip(2),
                 QStringLiteral("Title03 is a \"play all\" title: it plays Title01 and Title02 one after "
                                "the other."));
        QVERIFY(tip(3).contains("the same video as Title01"));
        QVERIFY(tasks.IndexOf(tasks.Title(2)->Children[0].get()).data(Qt::ToolTipRole).isNull());
        // The output name and the JSON keep the plain text; only the tree adds the tag.
        QCOMPARE(tasks.Title(2)->DisplayText, QStringLiteral("Title03 [MPEG2 720x576 PAL 4:3]"));

        // Hovering the tag shows its explanation.
        const QRect rect = tree->visualRect(tasks.IndexOf(tasks.Title(2)));
        QVERIFY(rect.isValid());
        QHelpEvent hover(QEvent::ToolTip, rect.center(), tree->viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(tree->viewport(), &hover);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().endsWith(tip(2)), qPrintable(QToolTip::text()));
        QToolTip::hideText();
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
            // Then the run's notes (what the automatic deinterlacing chose).
            QCOMPARE(dialogs.Asked[0].Text.section("\n\n", 0, 0), QStringLiteral("The conversion is completed successfully."));
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
            dialogs.Window = &window;
            window.show();
            window.OpenDiscFolder(SampleDiscDir("pal"));
            window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path());
            if (ending.StopAfterMs)
                QTimer::singleShot(ending.StopAfterMs, &window,
                                   [&] { window.findChild<QAction*>("tbtnStop")->trigger(); });
            window.tbtnStartClick();
            qunsetenv("FAKE_STAGE1");
            qunsetenv("FAKE_STAGE1_STEPS");
            QCOMPARE(dialogs.Asked.size(), 1);
            QCOMPARE(dialogs.Asked[0].Caption, QString(ending.Caption));
            // A second went by, so a remaining time was shown during the run.
            QVERIFY2(!dialogs.Seen[0]["labElapsed"].isEmpty(), ending.Caption);
            QCOMPARE(dialogs.Seen[0]["labRemaining"], QString());
            QCOMPARE(window.findChild<QLabel*>("labRemaining")->text(), QString());
        }
    }

    void ARunWhereEveryItemFailedIsWordedAsAFailure() {
        // The stand-in second stage fails for every row, or for the rows whose name holds FailOn.
        const struct {
            const char* Stage2;
            const char* FailOn;
            int Titles; // checked, from the first
            const char* Caption;
            const char* Opening;
        } cases[] = {
            {"fail", "", 1, "Conversion failed", "The conversion failed: the file could not be made:\n\nTitle01.mp4: "},
            {"fail", "", 2, "Conversion failed",
             "The conversion failed: none of the 2 files could be made:\n\nTitle01.mp4: "},
            {"ok", "Title02", 2, "Complete",
             "The conversion is completed, but 1 of 2 files could not be made:\n\nTitle02.mp4: "},
        };
        for (const auto& c : cases) {
            TProgramFolder folder;
            QTemporaryDir out;
            qputenv("FAKE_STAGE2", c.Stage2);
            qputenv("FAKE_STAGE2_FAIL_ON", c.FailOn);
            TScriptedDialogs dialogs;
            TMainForm window(nullptr, nullptr, folder.Path);
            window.show();
            window.OpenDiscFolder(SampleDiscDir("pal"));
            for (int title = 1; title < c.Titles; ++title)
                window.Tasks().SetChecked(window.Tasks().Title(title), true);
            window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path());
            window.tbtnStartClick();
            qunsetenv("FAKE_STAGE2");
            qunsetenv("FAKE_STAGE2_FAIL_ON");
            QCOMPARE(dialogs.Asked.size(), 1);
            QCOMPARE(dialogs.Asked[0].Caption, QString(c.Caption));
            QVERIFY2(dialogs.Asked[0].Text.startsWith(c.Opening), qPrintable(dialogs.Asked[0].Text));
        }
    }

    void AFailedItemsBarsAndFramesShowWhatWasDone() {
        // The stand-in first stage gets through the title, slowly so that its progress is read; the second
        // fails at once.
        TProgramFolder folder;
        QTemporaryDir out;
        qputenv("FAKE_STAGE1", "slow");
        qputenv("FAKE_STAGE2", "fail");
        TFiguresAtMessage dialogs;
        TMainForm window(nullptr, nullptr, folder.Path);
        dialogs.Window = &window;
        window.show();
        window.OpenDiscFolder(SampleDiscDir("pal"));
        window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path());
        window.tbtnStartClick();
        qunsetenv("FAKE_STAGE1");
        qunsetenv("FAKE_STAGE2");
        QCOMPARE(dialogs.Asked.size(), 1);
        const QMap<QString, QString>& seen = dialogs.Seen[0];
        const int bar = seen["labCurProgress"].chopped(1).toInt();
        QVERIFY2(bar > 0 && bar < 100, qPrintable(seen["labCurProgress"]));
        const auto [done, all] = Frames(seen["labFrame"]);
        QVERIFY2(done > 0 && done < all, qPrintable(seen["labFrame"]));
        QCOMPARE(seen["labTotalProgress"], seen["labCurProgress"]); // the only item
    }

    void TheClosingMessageListsSkippedFilesAndNotes() {
        // Title02's file exists and the user keeps it; Title01 asks for every audio track, which the
        // two-stage engine cannot keep. Both end the closing message, whether the run succeeded or failed.
        const struct {
            const char* Stage2;
            const char* Opening;
        } cases[] = {{"ok", "The conversion is completed successfully."},
                     {"fail", "The conversion failed: the file could not be made:"}};
        for (const auto& c : cases) {
            TProgramFolder folder;
            QTemporaryDir out;
            QFile existing(out.filePath("Title02.mp4"));
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.close();
            qputenv("FAKE_STAGE2", c.Stage2);
            TScriptedDialogs dialogs;
            dialogs.Answers = {Dialogs::TAnswer::No};
            TMainForm window(nullptr, nullptr, folder.Path);
            window.show();
            window.OpenDiscFolder(SampleDiscDir("pal"));
            TTaskListModel& tasks = window.Tasks();
            tasks.SetChecked(tasks.Title(1), true);
            window.TaskView()->setCurrentIndex(tasks.IndexOf(tasks.Title(0)));
            auto* audio = window.findChild<QComboBox*>("cmbAudio");
            audio->setCurrentIndex(2);
            emit audio->activated(2); // "All tracks"
            window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path());
            window.tbtnStartClick();
            qunsetenv("FAKE_STAGE2");
            const QString text = dialogs.Asked.last().Text;
            QVERIFY2(text.startsWith(c.Opening), qPrintable(text));
            QVERIFY2(text.contains("\n\nSkipped, as the files exist: Title02.mp4\n\nNote: Title01: the two-stage "
                                   "engine keeps one audio track, the title's first; the direct engine keeps them "
                                   "all."),
                     qPrintable(text));
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
