// The libVLC player on the generated sample disc, headless.
#include "preview/VlcPlayback.h"
#include "support/TestPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Handles events until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return true;
}

void Idle(int ms) {
    WaitFor([] { return false; }, ms);
}

class VlcPlayback : public ::testing::Test {
protected:
    TVlcPlayback Player{{"--vout=dummy", "--aout=dummy"}};
    QString Ifo = SampleDiscDir("pal") + "/VIDEO_TS/VIDEO_TS.IFO";

    void Start(const QString& ifo, int title, int chapter) {
        Player.Activate(0);
        Player.RenderDvd(ifo);
        Player.Run();
        if (chapter)
            Player.PlayChapterInTitle(title, chapter);
        else
            Player.PlayTitle(title);
    }
};

TEST_F(VlcPlayback, PlaysAChapterSeeksPausesAndStops) {
    EXPECT_EQ(Player.State(), TDvdPlayback::Unavailable);
    Start(Ifo, 1, 2); // Title01 chapter 2 runs from 6 to 12 seconds of the title
    EXPECT_EQ(Player.State(), TDvdPlayback::Playing);
    ASSERT_TRUE(WaitFor([&] { return Player.TitleTimeMs() > 0; })) << "nothing played";
    // libVLC reports where it reads, which runs ahead of the picture while it fills its buffers.
    const qint64 first = Player.TitleTimeMs();
    EXPECT_GE(first, 6000) << "not in chapter 2";
    EXPECT_LT(first, 9000) << "not in chapter 2";
    ASSERT_TRUE(WaitFor([&] { return Player.TitleTimeMs() >= first + 500; })) << "the position stands still";

    // The slider at 50 of this 6-second chapter: 3 s in, 9 s into the title; from beyond 10.5 s, so
    // that only the seek brings it back there.
    ASSERT_TRUE(WaitFor([&] { return Player.TitleTimeMs() > 10500; }));
    Player.PlayAtTime(TimeCodeOf(9));
    ASSERT_TRUE(WaitFor([&] { return Player.TitleTimeMs() < 10000; })) << "no seek";
    Idle(300);
    EXPECT_NEAR(Player.TitleTimeMs(), 9000 + 300, 1000);

    Player.Pause();
    EXPECT_EQ(Player.State(), TDvdPlayback::Paused);
    Idle(400);
    const qint64 paused = Player.TitleTimeMs();
    Idle(500);
    EXPECT_EQ(Player.TitleTimeMs(), paused);
    Player.Run();
    EXPECT_EQ(Player.State(), TDvdPlayback::Playing);
    EXPECT_TRUE(WaitFor([&] { return Player.TitleTimeMs() > paused + 300; }));

    Player.Stop();
    EXPECT_EQ(Player.State(), TDvdPlayback::Stopped);
    Player.Clear();
    EXPECT_EQ(Player.State(), TDvdPlayback::Stopped);
    Player.Deactivate();
    EXPECT_EQ(Player.State(), TDvdPlayback::Unavailable);
}

TEST_F(VlcPlayback, ShowsTheChosenSubtitleOrNone) {
    Start(Ifo, 1, 0);
    Player.SetSubpictureState(true);
    Player.SelectSubpictureStream(0);
    EXPECT_TRUE(WaitFor([&] { return Player.ShownSubpictureStream() == 0; }));
    Player.SetSubpictureState(false);
    EXPECT_EQ(Player.ShownSubpictureStream(), -1);
}

TEST_F(VlcPlayback, FolderNamesWithUrlCharactersPlay) {
    QTemporaryDir root;
    const QString disc = root.filePath("disc #1 'x' %20 [a]") + "/VIDEO_TS/";
    QDir().mkpath(disc);
    const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::link(from + name, disc + name);
    Start(disc + "VIDEO_TS.IFO", 3, 2); // Title03 chapter 2 starts at 4 s
    ASSERT_TRUE(WaitFor([&] { return Player.TitleTimeMs() > 0; }))
        << qPrintable(TVlcPlayback::Location(disc, 3, 2));
    EXPECT_GE(Player.TitleTimeMs(), 4000) << "not in chapter 2";
    EXPECT_LT(Player.TitleTimeMs(), 7000) << "not in chapter 2";
}

TEST_F(VlcPlayback, ADiscItCannotOpenLeavesThePlayerStopped) {
    QTemporaryDir root;
    QDir().mkpath(root.filePath("VIDEO_TS"));
    QFile ifo(root.filePath("VIDEO_TS/VIDEO_TS.IFO"));
    ASSERT_TRUE(ifo.open(QIODevice::WriteOnly));
    ifo.write(QByteArray(4096, 'x'));
    ifo.close();
    QSignalSpy failed(&Player, &TDvdPlayback::Failed);
    Start(ifo.fileName(), 1, 0);
    ASSERT_TRUE(WaitFor([&] { return failed.count() > 0; }));
    EXPECT_EQ(Player.State(), TDvdPlayback::Stopped);
    EXPECT_TRUE(failed.first().first().toString().contains(root.path()));
}

TEST(DvdTimeCode, FromSeconds) {
    EXPECT_EQ(TimeCodeOf(3725), (TDvdTimeCode{1, 2, 5, 0}));
    EXPECT_EQ(TimeCodeOf(660), (TDvdTimeCode{0, 11, 0, 0}));
    EXPECT_EQ(TimeCodeOf(59), (TDvdTimeCode{0, 0, 59, 0}));
}

} // namespace
