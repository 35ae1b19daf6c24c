// Subtitles read into text tracks by the command-line tool through the real FFmpeg and Tesseract, on a
// disc made from known lines: what a player finds in each container, read back with FFmpeg.
#include "support/MediaProbe.h"
#include "support/RunProgram.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Disc() {
    return SampleDiscDir("subtitles");
}

struct TLine {
    double Start = 0, End = 0;
    QString Text;
};

// The disc's lines of one language as the script that made it wrote them down; forcedOnly: its forced ones.
std::vector<TLine> Truth(const QString& language, bool forcedOnly = false) {
    QFile file(Disc() + "/truth/" + language + ".tsv");
    std::vector<TLine> lines;
    if (file.open(QIODevice::ReadOnly))
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split('\t');
            if (f.size() == 4 && (!forcedOnly || f[2] == "1"))
                lines.push_back({f[0].toDouble(), f[1].toDouble(), QString(f[3]).replace('|', ' ')});
        }
    return lines;
}

// Subtitle track k of file as FFmpeg reads it back, turned into SubRip.
std::vector<TLine> TrackLines(const QString& file, int k) {
    const QString srt = QString::fromUtf8(RunForOutput(
        "ffmpeg", {"-v", "error", "-i", file, "-map", "0:s:" + QString::number(k), "-f", "srt", "-"}));
    std::vector<TLine> lines;
    static const QRegularExpression cue(
        R"((\d+):(\d+):(\d+),(\d+) --> (\d+):(\d+):(\d+),(\d+)\r?\n((?:.+\r?\n?)+))");
    for (auto it = cue.globalMatch(srt); it.hasNext();) {
        const auto m = it.next();
        const auto at = [&](int i) {
            return m.captured(i).toInt() * 3600 + m.captured(i + 1).toInt() * 60 + m.captured(i + 2).toInt() +
                   m.captured(i + 3).toInt() / 1000.0;
        };
        lines.push_back({at(1), at(5), m.captured(9).simplified()});
    }
    return lines;
}

// "codec:language:forced:title" of each subtitle track.
QStringList SubtitleTracks(const QString& file) {
    const QJsonObject probe = QJsonDocument::fromJson(
                                  RunForOutput("ffprobe", {"-v", "error", "-select_streams", "s", "-show_entries",
                                                           "stream=codec_name:stream_tags=language,title,handler_name:stream_"
                                                           "disposition=forced",
                                                           "-of", "json", file}))
                                  .object();
    QStringList tracks;
    for (const QJsonValue& v : probe["streams"].toArray()) {
        const QJsonObject s = v.toObject();
        tracks << QStringLiteral("%1:%2:%3:%4")
                      .arg(s["codec_name"].toString(), s["tags"].toObject()["language"].toString())
                      .arg(s["disposition"].toObject()["forced"].toInt())
                      .arg(s["tags"].toObject().contains("title") ? s["tags"].toObject()["title"].toString()
                                                                   : s["tags"].toObject()["handler_name"].toString());
    }
    return tracks;
}

TRun Convert(const QString& out, const QStringList& options) {
    return RunProgram(ProgramBinDir() + "/velloric-cli",
                      QStringList{"convert", Disc(), "--title", "1", "--output", out, "--work-dir", out,
                                  "--engine", "direct", "--subtitles", "text"} +
                          options);
}

// The lines read against the lines meant: the same count, each start within a quarter second, and the text.
void ExpectLines(const std::vector<TLine>& read, const std::vector<TLine>& meant, double shift = 0) {
    ASSERT_EQ(read.size(), meant.size());
    for (size_t i = 0; i < meant.size(); ++i) {
        EXPECT_NEAR(read[i].Start, meant[i].Start - shift, 0.25) << meant[i].Text.toStdString();
        EXPECT_NEAR(read[i].End, meant[i].End - shift, 0.25) << meant[i].Text.toStdString();
        EXPECT_EQ(read[i].Text, meant[i].Text);
    }
}

} // namespace

// In one pass and in two pieces joined: the text goes in with the rest of the tracks either way.
TEST(TextSubtitles, AnMkvGetsATextTrackPerStreamWithItsLanguageAndTheForcedLinesApart) {
    for (const char* pieces : {"1", "2"}) {
        SCOPED_TRACE(std::string("pieces ") + pieces);
        QTemporaryDir out;
        const TRun run = Convert(out.path(), {"--profile", "H.264 AAC (MKV)", "--pieces", pieces});
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        const QString file = out.path() + "/Title01.mkv";
        EXPECT_EQ(SubtitleTracks(file),
                  (QStringList{"subrip:eng:0:", "subrip:eng:1:Forced", "subrip:fre:0:"}));
        ExpectLines(TrackLines(file, 0), Truth("en"));
        ExpectLines(TrackLines(file, 1), Truth("en", true));
        ExpectLines(TrackLines(file, 2), Truth("fr"));
        for (const char* note :
             {"Title01: English subtitles (stream 0x20): 8 lines of text; every picture was read.",
              "Title01: French subtitles (stream 0x21): 8 lines of text; every picture was read."})
            EXPECT_TRUE(run.Err.contains(note)) << run.Err.toStdString();
        // Nothing of the reading or of the pieces is left beside the output or in the work folder.
        EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{"Title01.mkv"});
    }
}

TEST(TextSubtitles, EachContainerTakesTheTextItsWayAndATrimmedRangeShiftsTheTimes) {
    const struct {
        const char* profile;
        const char* file;
        QStringList tracks;   // as ffprobe lists them
        QStringList beside;   // text files beside the output
    } cases[] = {
        {"H.264 AAC (MP4)", "Title01.mp4", {"mov_text:eng:0:SubtitleHandler", "mov_text:eng:1:Forced", "mov_text:fre:0:SubtitleHandler"}, {}},
        {"WebM - VP8 Vorbis", "Title01.webm", {"webvtt:eng:0:", "webvtt:eng:1:Forced", "webvtt:fre:0:"}, {}},
        {"AVI - MPEG-4 Xvid", "Title01.avi", {}, {"Title01.eng.forced.srt", "Title01.eng.srt", "Title01.fre.srt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.profile);
        QTemporaryDir out;
        const TRun run = Convert(out.path(), {"--profile", c.profile, "--start", "00:00:06", "--end", "00:00:12"});
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        const QString file = out.path() + "/" + c.file;
        EXPECT_EQ(SubtitleTracks(file), c.tracks);
        EXPECT_EQ(QDir(out.path()).entryList({"*.srt"}, QDir::Files), c.beside);
        // From 6 s: the line shown from 4 s to 6.5 s is cut to the range, then the forced line at 7 s and
        // the line at 10 s.
        std::vector<TLine> lines = c.tracks.isEmpty() ? TrackLines(out.path() + "/Title01.eng.srt", 0)
                                                       : TrackLines(file, 0);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_NEAR(lines[0].Start, 0, 0.25);
        EXPECT_NEAR(lines[0].End, 0.5, 0.25);
        EXPECT_NEAR(lines[1].Start, 1, 0.25);
        EXPECT_EQ(lines[1].Text, "Where is the train station?");
        EXPECT_NEAR(lines[2].Start, 4, 0.25);
    }
}

// An AVI's text files follow the video: under the name Rename gives it when its own was taken during the
// run, and gone when the row fails (Ask, with no one to answer, keeps the video aside and fails).
TEST(TextSubtitles, AnAvisTextFilesTakeTheVideosFinalNameAndGoWhenTheRowFails) {
    // In one pass (a part of the title) and in two pieces joined (the whole title).
    for (const auto& [policy, pieces] : {std::pair{"rename", "1"}, {"ask", "1"}, {"rename", "2"}, {"ask", "2"}}) {
        SCOPED_TRACE(std::string(policy) + ", pieces " + pieces);
        QTemporaryDir out;
        QProcess cli;
        QStringList range{"--start", "00:00:06", "--end", "00:00:12"};
        if (QByteArray(pieces) != "1")
            range.clear();
        cli.start(ProgramBinDir() + "/velloric-cli",
                  QStringList{"convert", Disc(), "--title", "1", "--output", out.path(), "--work-dir", out.path(),
                              "--engine", "direct", "--subtitles", "text", "--profile", "AVI - MPEG-4 Xvid",
                              "--overwrite", policy, "--pieces", pieces} +
                      range);
        ASSERT_TRUE(cli.waitForStarted());
        // Another program takes the output's name once the encoder writes its partial file.
        bool taken = false;
        while (!cli.waitForFinished(20))
            if (!taken && !QDir(out.path()).entryList({"Title01.partial-*.avi"}, QDir::Files).isEmpty()) {
                QFile other(out.path() + "/Title01.avi");
                taken = other.open(QIODevice::NewOnly) && other.write("old") == 3;
            }
        ASSERT_TRUE(taken);
        QFile other(out.path() + "/Title01.avi");
        ASSERT_TRUE(other.open(QIODevice::ReadOnly));
        EXPECT_EQ(other.readAll(), "old");
        const QStringList videos = QDir(out.path()).entryList({"Title01-*.avi"}, QDir::Files);
        ASSERT_EQ(videos.size(), 1);
        const QString stem = videos[0].chopped(4);
        const QStringList texts = QDir(out.path()).entryList({"*.srt"}, QDir::Files);
        if (QByteArray(policy) == "rename") {
            EXPECT_EQ(cli.exitCode(), 0);
            EXPECT_EQ(texts, (QStringList{stem + ".eng.forced.srt", stem + ".eng.srt", stem + ".fre.srt"}));
        } else {
            EXPECT_NE(cli.exitCode(), 0);
            EXPECT_EQ(texts, QStringList{});
        }
    }
}

TEST(TextSubtitles, TheTwoStageEngineRefusesAndBurnOnlyChoicesContradict) {
    QTemporaryDir out;
    const TRun twoStage =
        RunProgram(ProgramBinDir() + "/velloric-cli", {"convert", Disc(), "--title", "1", "--output", out.path(),
                                                       "--engine", "two-stage", "--subtitles", "text"});
    EXPECT_EQ(twoStage.ExitCode, 2);
    EXPECT_TRUE(twoStage.Err.contains("--subtitles text needs the direct engine")) << twoStage.Err.toStdString();
    const TRun both = Convert(out.path(), {"--subtitle", "1"});
    EXPECT_EQ(both.ExitCode, 2);
    EXPECT_TRUE(both.Err.contains("--subtitle K is for burn")) << both.Err.toStdString();
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files).isEmpty());
}
