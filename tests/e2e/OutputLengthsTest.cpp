// How long each stream of an output comes out, through both engines and the real encoders on the generated
// sample discs: as long as the row's range to a picture and an audio frame, and a short one fails the row.
#include "support/MediaProbe.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int Exit = -1;
    QString Errors;
    QString Output; // the one file written, or empty
};

TRun Convert(const QString& disc, const QString& engine, const QStringList& choice) {
    QTemporaryDir out; // kept with the one file written, which the caller removes with it
    QProcess p;
    p.start(ProgramBinDir() + "/velloric-cli",
            QStringList{"convert", disc, "--engine", engine, "--output", out.path(), "--work-dir", out.path(),
                        "--overwrite", "overwrite"} +
                (engine == "direct" ? QStringList{"--audio", "all"} : QStringList()) + choice);
    p.waitForFinished(300000);
    TRun run;
    run.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Errors = QString::fromLocal8Bit(p.readAllStandardError());
    const QStringList made = QDir(out.path()).entryList(QDir::Files);
    if (made.size() == 1) {
        run.Output = out.filePath(made[0]);
        out.setAutoRemove(false);
    }
    return run;
}

// Each picture and sound stream's duration with the length of one of its frames: a picture, or an audio
// frame of the stream's codec at its sample rate.
struct TStream {
    QString Type;
    double Seconds = -1, Frame = 0;
};

std::vector<TStream> Streams(const QString& file) {
    const QJsonObject probe = QJsonDocument::fromJson(
                                  RunForOutput("ffprobe", {"-v", "error", "-show_entries",
                                                           "stream=codec_type,codec_name,duration,sample_rate,"
                                                           "avg_frame_rate",
                                                           "-of", "json", file}))
                                  .object();
    std::vector<TStream> streams;
    for (const QJsonValue& v : probe["streams"].toArray()) {
        const QJsonObject s = v.toObject();
        TStream stream{s["codec_type"].toString(), s["duration"].toString().toDouble()};
        if (stream.Type == "video") {
            const QStringList rate = s["avg_frame_rate"].toString().split('/');
            stream.Frame = rate.size() == 2 && rate[0].toDouble() > 0 ? rate[1].toDouble() / rate[0].toDouble() : 0;
        } else if (stream.Type == "audio") {
            const double samples = s["codec_name"] == "aac" ? 1024 : 1152; // AAC, else MPEG audio
            stream.Frame = samples / s["sample_rate"].toString().toDouble();
        } else {
            continue;
        }
        streams.push_back(stream);
    }
    return streams;
}

} // namespace

TEST(OutputLengths, EveryStreamLastsItsRangeToAFrame) {
    struct Case {
        QString Disc, Engine;
        QStringList Choice;
        double Seconds;
        int AudioTracks;
    };
    std::vector<Case> cases;
    for (const QString disc : {"pal", "ntsc"}) {
        // The direct engine keeps both audio tracks of Title01, the two-stage engine its first.
        for (const auto& [engine, tracks] : {std::pair{QString("direct"), 2}, std::pair{QString("two-stage"), 1}}) {
            // A chapter that ends where the next begins (its last sound is stored in the next cell), one that
            // ends the title, one that starts after the title's start, a trimmed range in the middle.
            cases.push_back({disc, engine, {"--chapter", "1:2"}, 6, tracks});
            cases.push_back({disc, engine, {"--chapter", "1:4"}, 6, tracks});
            cases.push_back({disc, engine, {"--title", "1", "--start", "00:00:05", "--end", "00:00:10"}, 5, tracks});
        }
        cases.push_back({disc, "two-stage", {"--chapter", "3:2"}, 4, 1});
        cases.push_back({disc, "direct", {"--chapter", "3:2"}, 4, 1});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE((c.Disc + " " + c.Engine + " " + c.Choice.join(' ')).toStdString());
        const TRun run = Convert(SampleDiscDir(c.Disc), c.Engine, c.Choice);
        ASSERT_EQ(run.Exit, 0) << run.Errors.toStdString();
        const std::vector<TStream> streams = Streams(run.Output);
        ASSERT_EQ(streams.size(), size_t(1 + c.AudioTracks));
        EXPECT_EQ(streams[0].Type, "video");
        for (const TStream& s : streams) {
            ASSERT_GT(s.Frame, 0) << s.Type.toStdString();
            EXPECT_NEAR(s.Seconds, c.Seconds, s.Frame + 0.001) << s.Type.toStdString();
        }
        QDir(QFileInfo(run.Output).absolutePath()).removeRecursively();
    }
}

TEST(OutputLengths, TheTwoStageEngineStartsAtTheRangesOwnPicture) {
    // Stage one reads from the group of pictures before the start; stage two cuts the lead away.
    const TRun whole = Convert(SampleDiscDir("pal"), "direct", {"--title", "1"});
    ASSERT_EQ(whole.Exit, 0) << whole.Errors.toStdString();
    for (const auto& [choice, at] : {std::pair{QStringList{"--title", "1", "--start", "00:00:05", "--end",
                                                           "00:00:10"},
                                               5.0},
                                     std::pair{QStringList{"--chapter", "1:4"}, 18.0}}) {
        SCOPED_TRACE(choice.join(' ').toStdString());
        const TRun run = Convert(SampleDiscDir("pal"), "two-stage", choice);
        ASSERT_EQ(run.Exit, 0) << run.Errors.toStdString();
        const QByteArray first = GreyFrame(run.Output, 0);
        // The picture moves: the frame before or after differs in thousands of pixels.
        const auto differing = [&](double seconds) {
            const QByteArray other = GreyFrame(whole.Output, seconds);
            qsizetype count = 0;
            for (qsizetype i = 0; i < std::min(first.size(), other.size()); ++i)
                count += std::abs(int(quint8(first[i])) - int(quint8(other[i]))) > 40;
            return first.size() == other.size() ? count : -1;
        };
        EXPECT_LT(differing(at), 200);
        EXPECT_GT(differing(at - 0.04), 2000);
        EXPECT_GT(differing(at + 0.04), 2000);
        QDir(QFileInfo(run.Output).absolutePath()).removeRecursively();
    }
    QDir(QFileInfo(whole.Output).absolutePath()).removeRecursively();
}

TEST(OutputLengths, AnOutputCutShortByATruncatedVideoFileFailsTheRow) {
    // Title03's video ends at 10.8 s of its 12: chapter 3 (8 s to the end) comes out 2.8 s long, which the
    // encoders of the two-stage engine report as a success.
    QTemporaryDir copy;
    QDir().mkpath(copy.filePath("VIDEO_TS"));
    const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + name, copy.filePath("VIDEO_TS/" + name));
    ASSERT_TRUE(QFile::resize(copy.filePath("VIDEO_TS/VTS_02_1.VOB"), 501 * 2048));
    const std::pair<QString, QRegularExpression> cases[] = {
        {"two-stage", QRegularExpression("Title03-Chapter03.mp4: The output is incomplete: its video is 2\\.[6-8]\\d "
                                         "s long and its audio is 2\\.[6-8]\\d s long, but the range is 4\\.00 s\\.")},
        {"direct", QRegularExpression("Title03-Chapter03.mp4: The disc cannot be read: .*/VIDEO_TS, title 3: "
                                      "sector 501 cannot be read")},
    };
    for (const auto& [engine, problem] : cases) {
        SCOPED_TRACE(engine.toStdString());
        const TRun run = Convert(copy.path(), engine, {"--chapter", "3:3"});
        EXPECT_NE(run.Exit, 0);
        EXPECT_TRUE(run.Errors.contains(problem)) << run.Errors.toStdString();
        EXPECT_FALSE(run.Errors.contains("completed successfully"));
        if (!run.Output.isEmpty())
            QDir(QFileInfo(run.Output).absolutePath()).removeRecursively();
    }
}
