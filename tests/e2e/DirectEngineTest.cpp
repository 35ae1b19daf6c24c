// The direct engine (velloric-cli convert --engine direct) on the generated sample discs: the disc's cells
// streamed into one FFmpeg.
#include "support/ConvertDirect.h"
#include "support/MediaProbe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Each picture and sound stream's duration, video first (an MP4's chapter track is neither).
std::vector<std::pair<QString, double>> StreamDurations(const QString& file) {
    const QJsonObject probe =
        QJsonDocument::fromJson(RunForOutput("ffprobe", {"-v", "error", "-show_entries",
                                                         "stream=codec_type,duration", "-of", "json", file}))
            .object();
    std::vector<std::pair<QString, double>> streams;
    for (const QJsonValue& s : probe["streams"].toArray())
        if (s["codec_type"] == "video" || s["codec_type"] == "audio")
            streams.emplace_back(s["codec_type"].toString(), s["duration"].toString().toDouble());
    return streams;
}

class DirectEngine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Dir = new QTemporaryDir; }
    static void TearDownTestSuite() { delete Dir; }

    // Converts and returns the output path; the tool's error output on failure.
    QString Convert(const QString& disc, const QString& name, const QStringList& choice) {
        const QString output = Dir->filePath(disc + "-" + name + ".mp4");
        QString errors;
        EXPECT_EQ(ConvertDirect(SampleDiscDir(disc), output, choice, &errors), 0) << errors.toStdString();
        return output;
    }

    static QTemporaryDir* Dir;
};
QTemporaryDir* DirectEngine::Dir = nullptr;

TEST_F(DirectEngine, TitlesChaptersAndRangesLastAsLongAsTheirRange) {
    struct Case {
        QString Name;
        QStringList Choice;
        double Seconds;
    };
    const Case cases[] = {
        {"title1", {"--title", "1"}, 24},
        {"title3", {"--title", "3"}, 12},
        {"chapter1-2", {"--chapter", "1:2"}, 6},
        {"chapter2-2", {"--chapter", "2:2"}, 4}, // the chapter starts at 4.2 s, the row at 4
        {"chapter3-3", {"--chapter", "3:3"}, 4}, // the last chapter reaches the title's end
        {"trimmed", {"--title", "1", "--start", "00:00:05", "--end", "00:00:13"}, 8},
        // The subtitle's only picture comes before this chapter: the stream is still there to burn in.
        {"chapter1-4-subtitle", {"--chapter", "1:4", "--subtitle", "1"}, 6},
    };
    for (const QString disc : {"pal", "ntsc"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE((disc + " " + c.Name).toStdString());
            const auto streams = StreamDurations(Convert(disc, c.Name, c.Choice));
            ASSERT_EQ(streams.size(), 2u);
            EXPECT_EQ(streams[0].first, "video");
            EXPECT_EQ(streams[1].first, "audio");
            for (const auto& [type, seconds] : streams)
                EXPECT_NEAR(seconds, c.Seconds, 0.5) << type.toStdString();
        }
    }
}

TEST_F(DirectEngine, ARangeStartsAtItsOwnPicture) {
    // The stream begins at the cell holding the start (0 s for 5 s, 12 s for chapter 3), and a cell's first
    // audio can be stamped before its first picture; the output must still show the range's own pictures.
    const QString whole = Convert("pal", "whole", {"--title", "1"});
    const QString trimmed =
        Convert("pal", "from5", {"--title", "1", "--start", "00:00:05", "--end", "00:00:09"});
    const QString chapter = Convert("pal", "chapter3", {"--chapter", "1:3"});
    const QByteArray fromTrimmed = GreyFrame(trimmed, 1.0), fromChapter = GreyFrame(chapter, 1.0);
    EXPECT_LT(DifferentPixels(fromTrimmed, GreyFrame(whole, 6.0)), 200);
    EXPECT_LT(DifferentPixels(fromChapter, GreyFrame(whole, 13.0)), 200);
    // The picture moves: one frame off already differs in thousands of pixels.
    EXPECT_GT(DifferentPixels(fromTrimmed, GreyFrame(whole, 6.04)), 2000);
    EXPECT_GT(DifferentPixels(fromChapter, GreyFrame(whole, 12.96)), 2000);
}

TEST_F(DirectEngine, TheChosenAudioLanguage) {
    // Title01 carries an English track at 440 Hz and a German one at 660 Hz.
    for (const QString disc : {"pal", "ntsc"})
        for (const auto& [audio, hertz] : {std::pair{"0", 440.0}, std::pair{"1", 660.0}}) {
            const QString out = Convert(disc, QStringLiteral("audio%1").arg(audio),
                                        {"--title", "1", "--end", "00:00:03", "--audio", audio});
            EXPECT_NEAR(AudioFrequency(out, 1.0), hertz, 25) << disc.toStdString() << " audio " << audio;
        }
}

TEST_F(DirectEngine, ABurnedSubtitleInTheDiscsColoursWhereTheTwoStageEngineShowsIt) {
    // The subtitle is a white box with a grey border, x 200 to 520 and y 380 to 430, from 2 s to 20 s;
    // its palette on the disc is white (Y 235) and grey (Y 71), which the decoder must be given as RGB.
    const QString plain = Convert("pal", "nosub", {"--title", "1", "--end", "00:00:06"});
    const QString burned = Convert("pal", "sub", {"--title", "1", "--end", "00:00:06", "--subtitle", "1"});
    QTemporaryDir work;
    QProcess twoStage;
    twoStage.start(ProgramBinDir() + "/velloric-cli",
                   {"convert", SampleDiscDir("pal"), "--title", "1", "--end", "00:00:06", "--subtitle", "1",
                    "--output", work.path(), "--work-dir", work.path(), "--overwrite", "overwrite"});
    ASSERT_TRUE(twoStage.waitForFinished(120000));
    ASSERT_EQ(twoStage.exitCode(), 0) << twoStage.readAllStandardError().toStdString();

    const QByteArray a = GreyFrame(plain, 4.0), b = GreyFrame(burned, 4.0),
                     two = GreyFrame(work.filePath("Title01.mp4"), 4.0);
    ASSERT_EQ(b.size(), 720 * 576);
    EXPECT_GT(MeanGrey(b, 720, 210, 390, 510, 420), 235);      // the box's inside: white
    EXPECT_NEAR(MeanGrey(b, 720, 201, 381, 203, 429), 64, 20); // its border: the palette's grey
    EXPECT_NEAR(MeanGrey(b, 720, 0, 0, 720, 300), MeanGrey(a, 720, 0, 0, 720, 300), 3); // nothing else
    // The same place as the two-stage engine's: the box's edges are where its picture changes too.
    for (const auto& [x0, y0, x1, y1] : {std::array{180, 360, 196, 376}, std::array{524, 434, 540, 450}}) {
        EXPECT_NEAR(MeanGrey(b, 720, x0, y0, x1, y1), MeanGrey(a, 720, x0, y0, x1, y1), 4);
        EXPECT_NEAR(MeanGrey(two, 720, x0, y0, x1, y1), MeanGrey(a, 720, x0, y0, x1, y1), 12);
    }
    EXPECT_GT(MeanGrey(two, 720, 210, 390, 510, 420) - MeanGrey(a, 720, 210, 390, 510, 420), 30);
}

TEST_F(DirectEngine, TheChosenAngle) {
    // The title's two angles: a test picture with a 440 Hz tone, and colour bars with a 660 Hz tone.
    for (const auto& [angle, hertz] : {std::pair{"0", 440.0}, std::pair{"1", 660.0}}) {
        SCOPED_TRACE(angle);
        const QString out =
            Convert("angle-pal", QStringLiteral("angle%1").arg(angle), {"--title", "1", "--angle", angle});
        EXPECT_NEAR(AudioFrequency(out, 2.0), hertz, 25);
        for (const auto& [type, seconds] : StreamDurations(out))
            EXPECT_NEAR(seconds, 8, 0.5) << type.toStdString();
    }
}

TEST_F(DirectEngine, ADamagedDiscIsReportedWithWhereItFailed) {
    // A copy of the disc whose first title set's video is cut short inside its third cell, whose second cell
    // ends before it starts, and whose second title set's video is missing.
    QTemporaryDir copy;
    QDir().mkpath(copy.filePath("VIDEO_TS"));
    const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (name != "VTS_02_1.VOB")
            QFile::copy(from + name, copy.filePath("VIDEO_TS/" + name));
    QFile::resize(copy.filePath("VIDEO_TS/VTS_01_1.VOB"), 1200000);
    QFile ifo(copy.filePath("VIDEO_TS/VTS_01_0.IFO"));
    ASSERT_TRUE(ifo.open(QIODevice::ReadWrite));
    QByteArray bytes = ifo.readAll();
    const auto word = [&](qsizetype at) { return qFromBigEndian<quint32>(bytes.constData() + at); };
    const qsizetype pgcit = qsizetype(word(0xcc)) * 2048, pgc = pgcit + word(pgcit + 12);
    const qsizetype secondCell = pgc + qFromBigEndian<quint16>(bytes.constData() + pgc + 0xe8) + 24;
    qToBigEndian<quint32>(word(secondCell + 8) - 1, bytes.data() + secondCell + 20);
    ifo.seek(0);
    ifo.write(bytes);
    ifo.close();

    const std::pair<QStringList, QString> cases[] = {
        {{"--chapter", "1:3"}, "title 1: sector"},
        {{"--chapter", "1:2"}, "title 1: cell 2 in VTS_01_0.IFO ends at sector"},
        {{"--title", "3"}, "title 3: the video files of title set 2"},
    };
    for (const auto& [choice, problem] : cases) {
        QString errors;
        EXPECT_EQ(ConvertDirect(copy.path(), copy.filePath("out.mp4"), choice, &errors), 1);
        EXPECT_FALSE(QFile::exists(copy.filePath("out.mp4"))); // no partial file passes for the output
        EXPECT_TRUE(errors.contains(problem)) << errors.right(500).toStdString();
    }

    // Information files the listing passes over for their backups: a title set's that is a FIFO and the
    // menu's, cut short. The engine reads the backups as the listing did: it neither waits on the FIFO nor
    // falls over the cut file, and the chapter converts.
    QFile::remove(copy.filePath("VIDEO_TS/VTS_01_0.IFO"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(copy.filePath("VIDEO_TS/VTS_01_0.IFO")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::resize(copy.filePath("VIDEO_TS/VIDEO_TS.IFO"), 2048));
    QString errors;
    EXPECT_EQ(ConvertDirect(copy.path(), copy.filePath("out.mp4"), {"--chapter", "1:1"}, &errors), 0)
        << errors.right(500).toStdString();
    const auto streams = StreamDurations(copy.filePath("out.mp4"));
    ASSERT_FALSE(streams.empty());
    EXPECT_GT(streams[0].second, 1.0);
}

} // namespace
