#include "preview/ui/PreviewPanel.h"
#include "tasks/TaskNode.h"
#include "tasks/TimeText.h"
#include "preview/VlcPlayback.h"
#include "profiles/IniFile.h"
#include "support/FakePlayback.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

struct THost : TPreviewHost {
    const TTaskNode* Row = nullptr;
    QString Disc;
    int Subtitle = 0;
    QStringList Hints;
    const TTaskNode* PreviewRow() const override { return Row; }
    QString DiscPath() const override { return Disc; }
    int SubtitleEntry() const override { return Subtitle; }
    void ShowHintPanel(const QString& text) override { Hints << text; }
    void HideHintPanel() override { Hints << "(hidden)"; }
};

void SetRange(TTaskNode& n, double start, double end) {
    n.FullStart = n.CurStart = start;
    n.FullEnd = n.CurEnd = end;
    n.FullStartText = n.CurStartText = SecondsToTimeText(start);
    n.FullEndText = n.CurEndText = SecondsToTimeText(end);
}

// A title 3 with chapter 2 from 00:10:00 to 00:12:00, the preview's player and its host.
struct TPreviewRig {
    QTemporaryDir Dir;
    TTaskNode Title, Chapter;
    TFakePlayback Player;
    THost Host;
    TScriptedDialogs Dialogs;
    TPreviewPanel Panel{Player, Host, Dir.filePath("Preferences.ini")};

    TPreviewRig() {
        Title.Number = 3;
        SetRange(Title, 0, 1800);
        Chapter.Kind = TTaskNode::KindChapter;
        Chapter.Number = 2;
        Chapter.Parent = &Title;
        SetRange(Chapter, 600, 720);
        Host.Row = &Chapter;
        Host.Disc = SampleDiscDir("pal") + "/VIDEO_TS/";
        TIniFile(Dir.filePath("Preferences.ini")).WriteBool("Main", "FirstUse", false);
    }
    // Plays, and forgets the calls that made it play.
    void Play() {
        Panel.bbtnPlayClick();
        Player.Take();
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i)
            Panel.tmrPreviewTimer();
    }
    void DelayTick(int n = 1) {
        for (int i = 0; i < n; ++i)
            Panel.tmrPreviewDragDelayTimer();
    }
};

} // namespace

class PreviewPanelTest : public QObject {
    Q_OBJECT
private slots:
    void PlayStartsTheFocusedChapterWithItsFullRange() {
        TPreviewRig rig;
        rig.Chapter.CurStart = 630; // trimmed: the preview still plays the full range
        rig.Chapter.CurStartText = "00:10:30";
        rig.Host.Subtitle = 2;
        rig.Panel.bbtnPlayClick();
        const QString ifo = rig.Host.Disc + "VIDEO_TS.IFO";
        QCOMPARE(rig.Player.Take(), (QStringList{"Clear", "Deactivate", "Activate", "Render " + ifo, "Run",
                                                 "PlayChapter 3 2", "Subpictures on", "Subpicture 1"}));
        QCOMPARE(rig.Host.Hints, (QStringList{"Loading.   Please wait....", "(hidden)"}));
        QCOMPARE(rig.Panel.labStart->text(), "00:10:00");
        QCOMPARE(rig.Panel.labMiddle->text(), "00:11:00");
        QCOMPARE(rig.Panel.labEnd->text(), "00:12:00");
        QCOMPARE(rig.Panel.PreviewLength, 120);
        QCOMPARE(rig.Panel.PreviewStartOffset, 600);
        QVERIFY(rig.Panel.tmrPreview->isActive());

        // A title with the subtitle "None": subpictures off.
        rig.Host.Row = &rig.Title;
        rig.Host.Subtitle = 0;
        rig.Panel.bbtnPlayClick();
        QCOMPARE(rig.Player.Take().mid(5), (QStringList{"PlayTitle 3", "Subpictures off"}));
        QVERIFY(rig.Dialogs.Asked.isEmpty());

        // No focused row: nothing at all.
        rig.Host.Row = nullptr;
        rig.Panel.bbtnPlayClick();
        QVERIFY(rig.Player.Calls.isEmpty());
    }

    void TheFirstPlayShowsTheNoticeOnce() {
        TPreviewRig rig;
        QFile::remove(rig.Dir.filePath("Preferences.ini"));
        rig.Panel.bbtnPlayClick();
        rig.Panel.bbtnPlayClick();
        QCOMPARE(rig.Dialogs.Asked.size(), 1);
        QCOMPARE(rig.Dialogs.Asked[0].Icon, Dialogs::TIcon::Information);
        QVERIFY(rig.Dialogs.Asked[0].Text.contains("not designed for playing DVD movies"));
        QVERIFY(rig.Dialogs.Asked[0].Text.contains("illegal in some countries."));
        QCOMPARE(TIniFile(rig.Dir.filePath("Preferences.ini")).ReadBool("Main", "FirstUse", true), false);
    }

    void AMissingDiscSaysSoAndBuildsNoPlayer() {
        TPreviewRig rig;
        rig.Host.Disc = rig.Dir.path() + "/";
        rig.Panel.bbtnPlayClick();
        QCOMPARE(rig.Player.Take(), (QStringList{"Clear", "Deactivate"}));
        QCOMPARE(rig.Dialogs.Asked.size(), 1);
        QCOMPARE(rig.Dialogs.Asked[0].Caption, "VIDEO_TS.IFO not found");
        QCOMPARE(rig.Dialogs.Asked[0].Text,
                 rig.Dir.path() + "/VIDEO_TS.IFO can not be found. Please insert and open the DVD.");
        QCOMPARE(rig.Host.Hints.last(), "(hidden)");
        QVERIFY(!rig.Panel.tmrPreview->isActive());
    }

    void TheSliderSeeksOnlyOnceItRests() {
        TPreviewRig rig;
        rig.Play();
        rig.Panel.TrackBar->setValue(30);
        rig.DelayTick();
        rig.Panel.TrackBar->setValue(50); // still dragging
        QCOMPARE(rig.Panel.labPreviewPlayTime->text(), "00:11:00");
        rig.Tick(); // the clock waits while a seek is pending
        QCOMPARE(rig.Panel.PreviewElapsed, 0);
        rig.DelayTick();
        QVERIFY(rig.Player.Calls.isEmpty());
        rig.DelayTick();
        QCOMPARE(rig.Player.Take(), QStringList{"PlayAtTime 0:11:0.0"}); // 600 + 50% of 120 s
        QVERIFY(!rig.Panel.tmrPreviewDragDelay->isActive());
        QCOMPARE(rig.Panel.PreviewElapsed, 60);
        rig.Tick();
        QCOMPARE(rig.Panel.labPreviewPlayTime->text(), "00:11:01");
        QCOMPARE(rig.Panel.TrackBar->value(), 51);
        QVERIFY(rig.Player.Calls.isEmpty());

        // Hours, minutes and seconds of a long title.
        rig.Host.Row = &rig.Title;
        SetRange(rig.Title, 0, 7450);
        rig.Play();
        rig.Panel.TrackBar->setValue(50);
        rig.DelayTick(2);
        QCOMPARE(rig.Player.Take(), QStringList{"PlayAtTime 1:2:5.0"});
    }

    void TheClockStopsAtTheEndWithoutSeeking() {
        TPreviewRig rig;
        SetRange(rig.Chapter, 600, 604);
        rig.Play();
        rig.Tick(3);
        QCOMPARE(rig.Panel.TrackBar->value(), 75);
        QVERIFY(rig.Player.Calls.isEmpty());
        rig.Tick();
        QCOMPARE(rig.Player.Take(), (QStringList{"Stop", "Clear"}));
        QCOMPARE(rig.Panel.TrackBar->value(), 0);
        QVERIFY(!rig.Panel.tmrPreview->isActive());
        QVERIFY(!rig.Panel.tmrPreviewDragDelay->isActive());
        QCOMPARE(rig.Player.State(), TDvdPlayback::Stopped);
    }

    void PauseResumeAndStop() {
        TPreviewRig rig;
        rig.Panel.bbtnPauseClick(); // nothing plays: nothing happens
        rig.Panel.bbtnStopClick();
        QVERIFY(rig.Player.Calls.isEmpty());

        rig.Play();
        rig.Tick(2);
        rig.Panel.bbtnPauseClick();
        QCOMPARE(rig.Player.Take(), QStringList{"Pause"});
        QVERIFY(!rig.Panel.tmrPreview->isActive());
        rig.Panel.bbtnPauseClick();
        QCOMPARE(rig.Player.Take(), QStringList{"Run"});
        QVERIFY(rig.Panel.tmrPreview->isActive());

        // The user's Stop moves the slider home, which shows the start and seeks on the cleared player.
        rig.Panel.Stop();
        QCOMPARE(rig.Player.Take(), (QStringList{"Stop", "Clear"}));
        QCOMPARE(rig.Panel.labPreviewPlayTime->text(), "00:10:00");
        rig.DelayTick(2);
        QCOMPARE(rig.Player.Take(), QStringList{"PlayAtTime 0:10:0.0"});
        rig.Panel.Stop();
        QVERIFY(rig.Player.Calls.isEmpty());
    }

    void APlayerThatFailsGoesBackToIdle() {
        TPreviewRig rig;
        rig.Play();
        rig.Tick(2);
        emit rig.Player.Failed("/no/disc could not be played.");
        QCoreApplication::processEvents(); // the player's news arrives queued
        QVERIFY(!rig.Panel.tmrPreview->isActive());
        QCOMPARE(rig.Panel.TrackBar->value(), 0);
        QCOMPARE(rig.Player.Take(), QStringList{"Clear"});
        QCOMPARE(rig.Dialogs.Asked.size(), 1);
        QVERIFY(rig.Dialogs.Asked[0].Text.contains("/no/disc could not be played."));
        QVERIFY(!rig.Panel.tmrPreviewDragDelay->isActive()); // no seek from the slider's return
    }

    // The panel with the real player, headless: the slider at 50 of Title01 (24 s) seeks to 12 s.
    void TheSliderSeeksTheRealPlayer() {
        QTemporaryDir dir;
        TIniFile(dir.filePath("Preferences.ini")).WriteBool("Main", "FirstUse", false);
        TVlcPlayback player({"--vout=dummy", "--aout=dummy"});
        THost host;
        TTaskNode title;
        title.Number = 1;
        SetRange(title, 0, 24);
        host.Row = &title;
        host.Disc = SampleDiscDir("pal") + "/VIDEO_TS/";
        TPreviewPanel panel(player, host, dir.filePath("Preferences.ini"));
        panel.bbtnPlayClick();
        QCOMPARE(player.State(), TDvdPlayback::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(player.TitleTimeMs() > 0, 10000);
        QVERIFY(player.TitleTimeMs() < 6000);
        panel.TrackBar->setValue(50);
        QCOMPARE(panel.labPreviewPlayTime->text(), "00:00:12");
        QTRY_VERIFY_WITH_TIMEOUT(!panel.tmrPreviewDragDelay->isActive(), 2000);
        QTRY_VERIFY2_WITH_TIMEOUT(std::abs(player.TitleTimeMs() - 12000) < 1000,
                                  qPrintable(QString("at %1 ms").arg(player.TitleTimeMs())), 2000);
        panel.bbtnPauseClick();
        QCOMPARE(player.State(), TDvdPlayback::Paused);
        panel.bbtnPauseClick();
        QCOMPARE(player.State(), TDvdPlayback::Playing);
        panel.Stop();
        QCOMPARE(player.State(), TDvdPlayback::Stopped);
        QCOMPARE(panel.TrackBar->value(), 0);
    }
};

QTEST_MAIN(PreviewPanelTest)
#include "PreviewPanelTest.moc"
