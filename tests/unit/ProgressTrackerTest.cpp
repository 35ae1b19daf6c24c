#include "convert/ProgressTracker.h"
#include "support/TestPaths.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Stage-one chunks 0 to 19 and stage-two chunks 0 and 1 are not examined; these indexes are.
constexpr int kOne = 20, kTwo = 2;

TEST(ProgressTracker, StageHalvesAndTotals) {
    TProgressTracker p;
    p.StartRun({100});
    p.StartItem(100, 25);
    EXPECT_EQ(p.Figures().FrameText, "0 / 2500");
    p.StageOneChunk("Pos:  50.0s   1250f (50%)  3.1fps Trem:   1min", kOne);
    EXPECT_EQ(p.Figures().CurrentBar, 25);
    EXPECT_EQ(p.Figures().CurrentLabel, "25%");
    EXPECT_EQ(p.Figures().FrameText, "625 / 2500");
    EXPECT_EQ(p.Figures().TotalBar, 25);
    p.StartStageTwo();
    p.StageTwoChunk("frame=  100 fps=0.0 q=2.0 size=  236kB time=50.00 bitrate= 322.1kbits/s", kTwo);
    EXPECT_EQ(p.Figures().CurrentBar, 75);
    EXPECT_EQ(p.Figures().FrameText, "1875 / 2500");
    // FFmpeg 5 writes hours:minutes:seconds; a smaller time than before is ignored.
    p.StageTwoChunk("size=  236kB time=00:01:00.00 bitrate=", kTwo + 1);
    EXPECT_EQ(p.Figures().CurrentBar, 80);
    p.StageTwoChunk("time=00:00:10.00 bitrate=", kTwo + 2);
    EXPECT_EQ(p.Figures().CurrentBar, 80);
    EXPECT_EQ(p.StageTwoTime(), 60);
    p.ItemConverted();
    EXPECT_EQ(p.Figures().CurrentBar, 100);
    EXPECT_EQ(p.Figures().FrameText, "2500 / 2500");
    p.ItemFinished();
    EXPECT_EQ(p.DoneSeconds(), 100);
    p.RunCompleted();
    EXPECT_EQ(p.Figures().TotalLabel, "100%");
}

TEST(ProgressTracker, TotalOverTwoItems) {
    TProgressTracker p;
    p.StartRun({60, 40});
    EXPECT_EQ(p.TotalSeconds(), 200);
    p.StartItem(60, 25);
    p.StageOneChunk("Pos:  30.0s", kOne);
    EXPECT_EQ(p.Figures().TotalBar, 15);
    p.StageOneChunk("Pos:  60.0s", kOne + 1);
    p.ItemConverted();
    p.ItemFinished();
    p.StartItem(40, 25);
    EXPECT_EQ(p.Figures().CurrentBar, 0);
    p.StartStageTwo();
    p.StageTwoChunk("time=20.0 ", kTwo);
    EXPECT_EQ(p.Figures().TotalBar, 90); // (120 + 40 + 20) / 200
}

// Overlapped stages interleave their chunks and the one encoder counts for both: the bars never go back
// and stay below 100 until the item and the run are done.
TEST(ProgressTracker, OverlappedAndOneEncoderBarsOnlyAdvance) {
    TProgressTracker p;
    p.StartRun({100, 100});
    p.StartItem(100, 25, TProgressTracker::Overlapped);
    p.StageOneChunk("Pos:  40.0s", kOne);
    EXPECT_EQ(p.Figures().CurrentBar, 20);
    p.StartStageTwo();
    p.StageTwoChunk("time=00:00:30.00 ", kTwo);
    EXPECT_EQ(p.Figures().CurrentBar, 35);
    EXPECT_EQ(p.Figures().TotalBar, 17);
    p.StageOneChunk("Pos:  20.0s", kOne + 1); // an earlier position than before: the bar stays
    EXPECT_EQ(p.Figures().CurrentBar, 35);
    p.StageOneChunk("Pos: 100.0s", kOne + 2);
    p.StageTwoChunk("time=00:01:40.00 ", kTwo + 1);
    EXPECT_EQ(p.Figures().CurrentBar, 99);
    p.ItemConverted();
    EXPECT_EQ(p.Figures().CurrentBar, 100);
    p.ItemFinished();
    EXPECT_EQ(p.DoneSeconds(), 200);

    p.StartItem(100, 25, TProgressTracker::OneEncoder);
    EXPECT_EQ(p.Figures().CurrentBar, 0);
    p.StartStageTwo();
    p.StageTwoChunk("time=00:00:50.00 ", kTwo);
    EXPECT_EQ(p.Figures().CurrentBar, 50);
    EXPECT_EQ(p.Figures().TotalBar, 75);
    p.StageTwoChunk("time=00:01:50.00 ", kTwo + 1); // past the range (the last frames)
    EXPECT_EQ(p.Figures().CurrentBar, 99);
    EXPECT_EQ(p.Figures().TotalBar, 99);
    p.ItemConverted();
    p.ItemFinished();
    EXPECT_EQ(p.DoneSeconds(), 400);
    p.RunCompleted();
    EXPECT_EQ(p.Figures().TotalBar, 100);
}

// Rows side by side: the current bar is the rows in flight as one, the total counts every row once, and a
// row that leaves the flight moves its seconds into the total without a jump.
TEST(ProgressTracker, RowsInFlight) {
    TProgressTracker p;
    p.StartRun({5, 10, 15});
    p.ShowRows({{"a", 2.5, 5}, {"b", 5, 10}}, 25);
    EXPECT_EQ(p.Figures().CurrentBar, 50);
    EXPECT_EQ(p.Figures().TotalBar, 25); // 7.5 of 30 s
    EXPECT_EQ(p.Figures().FrameText, "188 / 375");
    ASSERT_EQ(p.Figures().Rows.size(), 2u);
    EXPECT_EQ(p.Figures().Rows[1].Name, "b");
    EXPECT_EQ(p.Figures().Rows[1].Bar, 50);
    EXPECT_EQ(p.Figures().Rows[1].FrameText, "125 / 250");
    p.RowEnded(5);
    p.ShowRows({{"b", 5, 10}, {"c", 0, 15}}, 25);
    EXPECT_EQ(p.Figures().CurrentBar, 20);
    EXPECT_EQ(p.Figures().TotalBar, 33); // 10 of 30 s
    p.ShowRows({{"b", 12, 10}, {"c", 15, 15}}, 25); // a position past the row's end counts as its end
    EXPECT_EQ(p.Figures().CurrentBar, 99);
    EXPECT_EQ(p.Figures().TotalBar, 99);
}

TEST(ProgressTracker, ChunksThatChangeNothing) {
    TProgressTracker p;
    p.StartRun({100});
    p.StartItem(100, 25);
    for (int read = 0; read < 20; ++read)
        p.StageOneChunk("Pos:  80.0s", read);
    EXPECT_EQ(p.Figures().CurrentBar, 0);
    EXPECT_EQ(p.StageOnePosition(), 0);
    p.StageOneChunk("Pos:  10.0s", kOne);
    p.StageOneChunk("Pos: 40.0 and no letter after it", kOne + 1); // an empty position text
    EXPECT_EQ(p.StageOnePosition(), 10);
    p.StageOneChunk("no position here", kOne + 2); // keeps the last position text
    EXPECT_EQ(p.StageOnePosition(), 10);
    p.StageOneChunk("Pos: -5.0s", kOne + 3); // a negative bar: the chunk changes nothing shown
    EXPECT_EQ(p.Figures().CurrentBar, 5);
    p.StartStageTwo();
    p.StageTwoChunk("time=90.0 ", 0);
    p.StageTwoChunk("time=90.0 ", 1);
    EXPECT_EQ(p.StageTwoTime(), 0);
    p.StageTwoChunk("creation_time   : 2026-01-01", kTwo); // "time" followed by a blank
    p.StageTwoChunk("time=N/A bitrate", kTwo + 1);
    EXPECT_EQ(p.StageTwoTime(), 0);
}

TEST(ProgressTracker, BarsStayWithinTheirRange) {
    TProgressTracker p;
    p.StartRun({10});
    p.StartItem(10, 25);
    p.StageOneChunk("Pos:  14.0s", kOne);
    EXPECT_EQ(p.Figures().CurrentBar, 70); // past the item's length: more than half
    p.StageOneChunk("Pos:  40.0s", kOne + 1);
    EXPECT_EQ(p.Figures().CurrentBar, 100);
    EXPECT_EQ(p.Figures().TotalBar, 100);

    TProgressTracker zero; // an item of zero length leaves the item's figures at their reset values
    zero.StartRun({0});
    zero.StartItem(0, 25);
    zero.StageOneChunk("Pos:  3.0s", kOne);
    zero.StartStageTwo();
    zero.StageTwoChunk("time=3.0 ", kTwo);
    EXPECT_EQ(zero.Figures().CurrentBar, 0);
    EXPECT_EQ(zero.Figures().FrameText, "0 / 0");
}

TEST(ProgressTracker, ElapsedAndRemaining) {
    TProgressTracker p;
    p.StartRun({100});
    p.StartItem(100, 25);
    p.Tick();
    EXPECT_EQ(p.Figures().ElapsedText, "00:00:01");
    EXPECT_EQ(p.Figures().RemainingText, "00:00:00"); // the total bar still at 0
    p.StageOneChunk("Pos:  50.0s", kOne);
    for (int i = 1; i < 30; ++i)
        p.Tick();
    EXPECT_EQ(p.Figures().TotalBar, 25);
    EXPECT_EQ(p.Figures().ElapsedText, "00:00:30");
    EXPECT_EQ(p.Figures().RemainingText, "00:01:30");
}

TEST(ProgressTracker, NumberForms) {
    double v = 0;
    for (const char* good : {"12", " 12.5 ", "-3", "+4.", ".5", "1e3", "2.5E-1"})
        EXPECT_TRUE(ReadNumber(good, v)) << good;
    for (const char* bad : {"", " ", "1.2.3", "12a", "e3", "0x10", "nan", "inf"})
        EXPECT_FALSE(ReadNumber(bad, v)) << bad;
    EXPECT_TRUE(ReadStageTwoTime("00:01:02.50", v));
    EXPECT_DOUBLE_EQ(v, 62.5);
    EXPECT_TRUE(LastStageOnePosition("Pos: 1.0s\rPos: 2.5s 10f", v));
    EXPECT_DOUBLE_EQ(v, 2.5);
}

QByteArray Recording(const QString& name) {
    QFile f(QStringLiteral(VELLORIC_SOURCE_DIR) + "/tests/data/encoder-output/" + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

// Real encoder output, read in small chunks as a pipe may hand it over.
TEST(ProgressTracker, RecordedEncoderOutput) {
    TProgressTracker p;
    p.StartRun({6});
    p.StartItem(6, 25);
    const QByteArray one = Recording("mencoder-6s.txt");
    int read = 0;
    for (qsizetype at = 0; at < one.size(); at += 97)
        p.StageOneChunk(QString::fromLatin1(one.mid(at, 97)), read++);
    EXPECT_GT(read, 20);
    EXPECT_NEAR(p.StageOnePosition(), 6.0, 0.3);
    EXPECT_EQ(p.Figures().CurrentBar, 50);
    p.StartStageTwo();
    const QByteArray two = Recording("ffmpeg-6s.txt");
    read = 0;
    for (qsizetype at = 0; at < two.size(); at += 300)
        p.StageTwoChunk(QString::fromLatin1(two.mid(at, 300)), read++);
    EXPECT_GT(p.StageTwoTime(), 4.0);
    EXPECT_GE(p.Figures().CurrentBar, 85);
}

} // namespace
