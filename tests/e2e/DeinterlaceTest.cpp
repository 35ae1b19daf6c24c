// Automatic deinterlacing on discs coded as real ones are (scripts/make-field-dvd.sh): true interlaced
// video, soft and hard telecined film, and progressive frames that FFmpeg's idet takes for interlaced ones.
#include "support/ConvertDirect.h"
#include "support/MediaProbe.h"
#include "support/RunProgram.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TIdet {
    int Interlaced = 0, Progressive = 0;
};

// idet's multi-frame figures over the whole file.
// A file, or "lavfi:" and a source of FFmpeg's lavfi.
TIdet Idet(const QString& file) {
    const QStringList input = file.startsWith("lavfi:") ? QStringList{"-f", "lavfi", "-i", file.mid(6)}
                                                        : QStringList{"-i", file};
    const TRun run = RunProgram("ffmpeg", QStringList{"-hide_banner", "-nostats"} + input +
                                              QStringList{"-map", "0:v:0", "-vf", "idet", "-f", "null", "-"});
    const QRegularExpressionMatch m =
        QRegularExpression(R"(Multi frame detection: TFF:\s*(\d+) BFF:\s*(\d+) Progressive:\s*(\d+))")
            .match(QString::fromLocal8Bit(run.Err));
    if (!m.hasMatch())
        return {};
    return {m.captured(1).toInt() + m.captured(2).toInt(), m.captured(3).toInt()};
}

QString VideoEntry(const QString& file, const QString& entry) {
    return QString::fromLocal8Bit(
               RunForOutput("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                        "stream=" + entry, "-of", "csv=p=0", file}))
        .trimmed();
}

// The dry run's command lines and notes for a title of a field disc.
QString DryRun(const QString& disc, int title, const QString& engine) {
    QTemporaryDir out;
    const TRun run =
        RunProgram(ProgramBinDir() + "/velloric-cli",
                   {"convert", SampleDiscDir(disc), "--title", QString::number(title), "--engine", engine,
                    "--output", out.path(), "--work-dir", out.path(), "--dry-run"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    return QString::fromLocal8Bit(run.Out);
}

class Deinterlace : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Dir = new QTemporaryDir; }
    static void TearDownTestSuite() { delete Dir; }

    QString Convert(const QString& disc, int title) {
        const QString output = Dir->filePath(QStringLiteral("%1-%2.mp4").arg(disc).arg(title));
        const QStringList range{"--title", QString::number(title)};
        EXPECT_EQ(ConvertDirect(SampleDiscDir(disc), output, range, &Said),
                  0)
            << Said.toStdString();
        return output;
    }

    QString Said; // the last run's standard error, with its notes

    static QTemporaryDir* Dir;
};
QTemporaryDir* Deinterlace::Dir = nullptr;

TEST_F(Deinterlace, TheDryRunShowsWhatThePictureHeadersCallForOnBothEngines) {
    const struct {
        QString Disc;
        int Title;
        QString Engine, Filter, Said;
    } cases[] = {
        {"fields-pal", 1, "direct", "-vf bwdif=mode=send_frame:parity=tff:deint=interlaced", "interlaced"},
        {"fields-pal", 1, "two-stage", "-vf bwdif=mode=send_frame:parity=tff:deint=all", "interlaced"},
        {"film-ntsc", 1, "direct",
         "-vf 'setpts=PTS-STARTPTS+round(STARTPTS*TB*24000/1001)*1001/24000/TB,fps=24000/1001'",
         "film with pulldown flags"},
        {"film-ntsc", 1, "two-stage", "-vf fps=30000/1001,decimate", "film with pulldown flags"},
        {"film-ntsc", 2, "direct",
         "-vf fieldmatch=order=tff:combmatch=full,bwdif=mode=send_frame:parity=tff:deint=interlaced,decimate",
         "film telecined into interlaced pictures"},
        {"film-ntsc", 2, "two-stage", "-vf bwdif=mode=send_frame:parity=tff:deint=all",
         "the two-stage engine cannot rebuild its film frames"},
        {"fields-pal", 2, "direct", "", "progressive, so it is not deinterlaced"},
        {"fields-pal", 2, "two-stage", "", "progressive, so it is not deinterlaced"},
        // The sample discs' pictures are whole frames too.
        {"pal", 1, "direct", "", "progressive, so it is not deinterlaced"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.Disc + " " + QString::number(c.Title) + " " + c.Engine).toStdString());
        const QString plan = DryRun(c.Disc, c.Title, c.Engine);
        EXPECT_TRUE(plan.contains("# Note: ")) << plan.toStdString();
        EXPECT_TRUE(plan.contains(c.Said)) << plan.toStdString();
        EXPECT_FALSE(plan.contains(" auto ")) << plan.toStdString();
        if (c.Filter.isEmpty()) {
            EXPECT_FALSE(plan.contains("-vf ")) << plan.toStdString();
            EXPECT_FALSE(plan.contains("bwdif")) << plan.toStdString();
        } else {
            EXPECT_TRUE(plan.contains(c.Filter + " ")) << plan.toStdString();
        }
    }
}

TEST_F(Deinterlace, TrueInterlacedVideoComesOutProgressive) {
    const QString output = Convert("fields-pal", 1);
    const TIdet after = Idet(output);
    ASSERT_GT(after.Interlaced + after.Progressive, 150);
    EXPECT_GE(after.Progressive * 100, 80 * (after.Interlaced + after.Progressive))
        << after.Progressive << " progressive, " << after.Interlaced << " interlaced";
    EXPECT_EQ(VideoEntry(output, "avg_frame_rate"), "25/1");
    EXPECT_TRUE(Said.contains("Note: Title01: the picture is interlaced")) << Said.toStdString();
}

TEST_F(Deinterlace, SoftTelecinedFilmComesOutAtItsOwnRate) {
    const QString output = Convert("film-ntsc", 1);
    EXPECT_EQ(VideoEntry(output, "avg_frame_rate"), "24000/1001");
    EXPECT_TRUE(Said.contains("Note: Title01: the picture is film")) << Said.toStdString();
    // Each film frame once, none repeated as a player repeats them to make 29.97 frames a second.
    const int frames = VideoEntry(output, "nb_frames").toInt();
    const double seconds = VideoEntry(output, "duration").toDouble();
    EXPECT_NEAR(seconds, 8, 0.1);
    EXPECT_NEAR(frames, seconds * 24000 / 1001, 2);
    const TRun kept = RunProgram("ffmpeg", {"-hide_banner", "-nostats", "-i", output, "-map", "0:v:0", "-vf",
                                            "mpdecimate=max=0,showinfo", "-f", "null", "-"});
    EXPECT_GE(QString::fromLocal8Bit(kept.Err).count("] n:"), frames - 2);
}

TEST_F(Deinterlace, HardTelecinedFilmComesOutAsItsFilmFrames) {
    const QString output = Convert("film-ntsc", 2);
    EXPECT_TRUE(Said.contains("Note: Title02: the picture is film telecined")) << Said.toStdString();
    EXPECT_EQ(VideoEntry(output, "avg_frame_rate"), "24000/1001");
    const int frames = VideoEntry(output, "nb_frames").toInt();
    const double seconds = VideoEntry(output, "duration").toDouble();
    EXPECT_NEAR(seconds, 8, 0.1);
    EXPECT_NEAR(frames, seconds * 24000 / 1001, 3);
    // No picture left mixing two film frames: idet finds at least as many whole frames as in the film
    // itself (it takes the fast test picture's own frames for interlaced ones), and none of them twice.
    const TIdet after = Idet(output), film = Idet("lavfi:testsrc2=size=720x480:rate=24000/1001:duration=8");
    ASSERT_GT(after.Interlaced + after.Progressive, 100);
    ASSERT_GT(film.Interlaced + film.Progressive, 100);
    EXPECT_GE(after.Progressive * (film.Interlaced + film.Progressive),
              film.Progressive * (after.Interlaced + after.Progressive))
        << after.Progressive << " progressive, " << after.Interlaced << " interlaced; the film "
        << film.Progressive << " progressive, " << film.Interlaced << " interlaced";
    const TRun kept = RunProgram("ffmpeg", {"-hide_banner", "-nostats", "-i", output, "-map", "0:v:0", "-vf",
                                            "mpdecimate=max=0,showinfo", "-f", "null", "-"});
    EXPECT_GE(QString::fromLocal8Bit(kept.Err).count("] n:"), frames - 2);
}

TEST_F(Deinterlace, AProgressiveTitleThatFoolsIdetGetsNoFilter) {
    const QString output = Convert("fields-pal", 2);
    // idet takes the fast test picture for interlaced video: a detector of that kind would filter it.
    const TIdet seen = Idet(output);
    EXPECT_GT(seen.Interlaced * 4, seen.Progressive)
        << seen.Progressive << " progressive, " << seen.Interlaced << " interlaced";
    EXPECT_EQ(VideoEntry(output, "avg_frame_rate"), "25/1");
    // The run says so, and its command line held no filter (the dry run shows the same command).
    EXPECT_TRUE(Said.contains("Title02: the picture is progressive, so it is not deinterlaced."))
        << Said.toStdString();
}

} // namespace
