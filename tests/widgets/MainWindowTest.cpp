#include "app/MainWindow.h"
#include "support/TestPaths.h"

#include <QComboBox>
#include <QTreeView>
#include <QtTest>

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void OpensTheSampleDiscAndFollowsTheFocus() {
        TMainForm window;
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
        QCOMPARE(audio->count(), 2);
        audio->setCurrentIndex(1);
        emit audio->activated(1);
        QCOMPARE(tasks.Title(0)->Children[2]->AudioIndex, 1);

        tree->setCurrentIndex(tasks.IndexOf(tasks.Title(0)->Children[2].get()));
        QCOMPARE(audio->currentText(), QStringLiteral("Deutsch AC3 2ch"));
        QCOMPARE(subs->count(), 2);

        tree->setCurrentIndex(tasks.IndexOf(tasks.Title(2)));
        QCOMPARE(audio->count(), 1);
        QCOMPARE(audio->currentText(), QStringLiteral("French AC3 2ch"));
    }

    void TmpListOpensEveryEntryAndShowsTheLast() {
        QTemporaryDir dir;
        const QString list = dir.filePath("folders.TMP");
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write((SampleDiscDir("pal") + "\n" + SampleDiscDir("ntsc") + "/VIDEO_TS\n").toLocal8Bit());
        f.close();
        TMainForm window;
        window.OpenCommandLine({list});
        QCOMPARE(window.Context().DVDInformation.Standard, QStringLiteral("NTSC"));
        QCOMPARE(window.Tasks().TitleCount(), 3);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
