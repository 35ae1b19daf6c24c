// What the outputs hold besides one picture and one sound, on the generated sample discs through the real
// FFmpeg: chapter marks, every audio track with its language, subtitles as tracks in the disc's colours, the
// disc's streams copied, and what happens when the disc lists what it does not hold.
#include "convert/DirectArgs.h"
#include "convert/DvdStreamReader.h"
#include "support/MediaProbe.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int Exit = -1;
    QString Errors;
    QString Output; // the one file written, or empty
};

TRun Convert(const QString& disc, const QStringList& options) {
    // Each run's folder lies in one temporary folder, removed when the tests end.
    static QTemporaryDir runs(QDir::temp().filePath("velloric-tracks-XXXXXX"));
    static int count = 0;
    const QString out = runs.filePath(QString::number(++count));
    QDir().mkpath(out);
    QProcess p;
    p.start(ProgramBinDir() + "/velloric-cli",
            QStringList{"convert", disc, "--output", out, "--work-dir", out, "--overwrite", "overwrite"} +
                options);
    p.waitForFinished(300000);
    TRun run;
    run.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Errors = QString::fromLocal8Bit(p.readAllStandardError());
    const QStringList made = QDir(out).entryList(QDir::Files);
    if (made.size() == 1)
        run.Output = out + "/" + made[0];
    return run;
}

// type:codec:language:default of each stream ("video:mpeg2video:und:1"), and the chapters' starts and names.
struct TTracks {
    QStringList Streams;
    QStringList Chapters; // "6.00 Chapter 02"
    QString Aspect;       // the video's display aspect
    double VideoSeconds = -1;
};

TTracks Tracks(const QString& file) {
    const QJsonObject probe =
        QJsonDocument::fromJson(
            RunForOutput("ffprobe", {"-v", "error", "-show_entries",
                                     "stream=codec_type,codec_name,display_aspect_ratio,"
                                     "duration:stream_tags=language,DURATION:stream_"
                                     "disposition=default:chapter=start_time:chapter_tags",
                                     "-show_chapters", "-of", "json", file}))
            .object();
    TTracks t;
    for (const QJsonValue& v : probe["streams"].toArray()) {
        const QJsonObject s = v.toObject();
        if (s["codec_type"] == "data") // an MP4's chapter text track
            continue;
        QString language = s["tags"].toObject()["language"].toString();
        t.Streams << QStringLiteral("%1:%2:%3:%4")
                         .arg(s["codec_type"].toString(), s["codec_name"].toString(),
                              language.isEmpty() ? "und" : language)
                         .arg(s["disposition"].toObject()["default"].toInt());
        if (s["codec_type"] == "video") {
            t.Aspect = s["display_aspect_ratio"].toString();
            t.VideoSeconds = s["duration"].toString().toDouble();
            if (t.VideoSeconds <= 0) // Matroska keeps it in a tag
                t.VideoSeconds = QTime(0, 0).msecsTo(QTime::fromString(
                                     s["tags"].toObject()["DURATION"].toString().left(12), "hh:mm:ss.zzz")) /
                                 1000.0;
        }
    }
    for (const QJsonValue& v : probe["chapters"].toArray()) {
        const QJsonObject c = v.toObject();
        t.Chapters << QString::number(c["start_time"].toString().toDouble(), 'f', 1) + " " +
                          c["tags"].toObject()["title"].toString();
    }
    return t;
}

TEST(OutputTracks, KeepOriginalCopiesEveryStreamWithItsLanguageAndTheChapters) {
    for (const QString standard : {"pal", "ntsc"}) {
        SCOPED_TRACE(standard.toStdString());
        const TRun one = Convert(SampleDiscDir(standard),
                                 {"--title", "1", "--engine", "direct", "--profile", "Keep Original (MKV)"});
        ASSERT_EQ(one.Exit, 0) << one.Errors.toStdString();
        const TTracks t = Tracks(one.Output);
        EXPECT_EQ(t.Streams, (QStringList{"video:mpeg2video:und:1", "audio:ac3:eng:1", "audio:ac3:ger:0",
                                          "subtitle:dvd_subtitle:eng:0"}));
        EXPECT_EQ(t.Chapters,
                  (QStringList{"0.0 Chapter 01", "6.0 Chapter 02", "12.0 Chapter 03", "18.0 Chapter 04"}));
        EXPECT_EQ(t.Aspect, "16:9");
        EXPECT_NEAR(t.VideoSeconds, 24, 0.1); // every picture: a copy loses none at the start

        const TRun three = Convert(SampleDiscDir(standard), {"--title", "3", "--engine", "direct",
                                                             "--profile", "Keep Original (MKV)"});
        ASSERT_EQ(three.Exit, 0) << three.Errors.toStdString();
        const TTracks t3 = Tracks(three.Output);
        EXPECT_EQ(t3.Streams, (QStringList{"video:mpeg2video:und:1", "audio:ac3:fre:1"}));
        EXPECT_EQ(t3.Chapters.size(), 3);
        EXPECT_EQ(t3.Aspect, "4:3");
    }
    // A chapter in which the subtitle shows no picture keeps its track all the same.
    const TRun chapter = Convert(SampleDiscDir("pal"), {"--chapter", "1:2", "--engine", "direct", "--profile",
                                                        "Keep Original (MKV)"});
    ASSERT_EQ(chapter.Exit, 0) << chapter.Errors.toStdString();
    EXPECT_EQ(Tracks(chapter.Output).Streams, (QStringList{"video:mpeg2video:und:1", "audio:ac3:eng:1",
                                                           "audio:ac3:ger:0", "subtitle:dvd_subtitle:eng:0"}));
}

// Each kept video and audio stream's start and end in seconds, from ffprobe (Matroska's DURATION tag is
// where a stream ends).
std::vector<std::pair<double, double>> StreamSpans(const QString& file) {
    const QJsonObject probe = QJsonDocument::fromJson(
                                  RunForOutput("ffprobe", {"-v", "error", "-show_entries",
                                                           "stream=codec_type,start_time:stream_tags=DURATION",
                                                           "-of", "json", file}))
                                  .object();
    std::vector<std::pair<double, double>> spans;
    for (const QJsonValue& v : probe["streams"].toArray()) {
        const QJsonObject s = v.toObject();
        if (s["codec_type"] != "video" && s["codec_type"] != "audio")
            continue;
        const double end = QTime(0, 0).msecsTo(QTime::fromString(
                               s["tags"].toObject()["DURATION"].toString().left(12), "hh:mm:ss.zzz")) /
                           1000.0;
        spans.push_back({s["start_time"].toString().toDouble(), end});
    }
    return spans;
}

TEST(OutputTracks, ACopiedRowStartsEveryStreamTogetherAtItsFirstPicture) {
    // A chapter starts at a group of pictures: every stream starts with its first picture and ends with its
    // last, each within a picture (video) or a sound frame (audio, 32 ms) of the chapter. A trimmed row
    // starts at the group that holds its start (at most half a second ahead) and ends with the range.
    struct TCase {
        const char* Standard;
        QStringList Row;
        double Length, Ahead;
    };
    for (const TCase& c : {TCase{"pal", {"--chapter", "1:2"}, 6, 0}, TCase{"ntsc", {"--chapter", "1:3"}, 6, 0},
                           TCase{"pal", {"--title", "1", "--start", "00:00:08", "--end", "00:00:11"}, 3, 0.5}}) {
        SCOPED_TRACE((c.Standard + (" " + c.Row.join(' '))).toStdString());
        const double frame = QString(c.Standard) == "pal" ? 0.04 : 1001.0 / 30000, sound = 0.032;
        const TRun run = Convert(SampleDiscDir(c.Standard),
                                 c.Row + QStringList{"--engine", "direct", "--profile", "Keep Original (MKV)"});
        ASSERT_EQ(run.Exit, 0) << run.Errors.toStdString();
        const std::vector<std::pair<double, double>> spans = StreamSpans(run.Output);
        ASSERT_EQ(spans.size(), 3u); // the picture and both sounds
        // The first picture is where the row starts; a sound frame may reach across either end.
        const double first = spans[0].first, last = spans[0].second;
        EXPECT_LE(first, frame + 0.002);
        EXPECT_GE(last - first, c.Length);
        // A frame more at most, and an NTSC chapter of 6 s holds 180 pictures, 6.006 s.
        EXPECT_LE(last - first, c.Length + c.Ahead + 2 * frame);
        for (size_t k = 1; k < spans.size(); ++k) {
            EXPECT_NEAR(spans[k].first, first, sound) << k;
            EXPECT_NEAR(spans[k].second, last - frame, sound) << k; // the picture's end: its last one's start
        }
    }
}

TEST(OutputTracks, EncodedOutputsKeepTheMarksInsideTheirRangeAndEveryTrack) {
    // A trimmed row: the chapter it starts in at 0, then chapters 2 and 3 at 6 s and 12 s of the title.
    const TRun trimmed =
        Convert(SampleDiscDir("ntsc"), {"--title", "1", "--start", "00:00:05", "--end", "00:00:15",
                                        "--engine", "direct", "--profile", "H.264 AAC (MKV)"});
    ASSERT_EQ(trimmed.Exit, 0) << trimmed.Errors.toStdString();
    const TTracks t = Tracks(trimmed.Output);
    EXPECT_EQ(t.Chapters, (QStringList{"0.0 Chapter 01", "1.0 Chapter 02", "7.0 Chapter 03"}));
    EXPECT_EQ(t.Streams,
              (QStringList{"video:h264:und:1", "audio:aac:eng:1"})); // the language of one track too

    // MP4 takes every audio track and the subtitles as tracks; a range within one chapter has that one mark.
    const TRun mp4 =
        Convert(SampleDiscDir("pal"), {"--title", "1", "--end", "00:00:06", "--audio", "all", "--subtitles",
                                       "keep", "--engine", "direct", "--profile", "H.264 AAC (MP4)"});
    ASSERT_EQ(mp4.Exit, 0) << mp4.Errors.toStdString();
    const TTracks m = Tracks(mp4.Output);
    // MP4 enables the first track of each kind whatever its flag says.
    EXPECT_EQ(m.Streams, (QStringList{"video:h264:und:1", "audio:aac:eng:1", "audio:aac:ger:0",
                                      "subtitle:dvd_subtitle:eng:1"}));
    EXPECT_EQ(m.Chapters, (QStringList{"0.0 Chapter 01"}));
    EXPECT_TRUE(mp4.Errors.contains("Title01: the range lies within chapter 01")) << mp4.Errors.toStdString();
}

TEST(OutputTracks, AKeptSubtitleShowsTheDiscsColours) {
    const TRun run = Convert(SampleDiscDir("pal"), {"--title", "1", "--end", "00:00:12", "--engine", "direct",
                                                    "--profile", "Keep Original (MKV)"});
    ASSERT_EQ(run.Exit, 0) << run.Errors.toStdString();
    // The track carries the disc's palette, as the program reads it from the information file.
    TDvdStreamReader reader;
    ASSERT_TRUE(reader.Open(SampleDiscDir("pal") + "/VIDEO_TS", 1, 0, 0, 0))
        << reader.ErrorText().toStdString();
    QFile file(run.Output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf("palette: ");
    ASSERT_GE(at, 0);
    EXPECT_EQ(QString::fromLatin1(bytes.mid(at + 9, bytes.indexOf('\n', at) - at - 9)).remove(' '),
              PaletteArgument(reader.Palette()));
    // Laid on the picture by a player (here FFmpeg's overlay): the box is white with a grey border, as the
    // disc's colours say, at x 200 to 520 and y 380 to 430.
    const QByteArray rgb =
        RunForOutput("ffmpeg", {"-v", "error", "-i", run.Output, "-filter_complex", "[0:v][0:s:0]overlay",
                                "-ss", "8", "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_EQ(rgb.size(), 720 * 576 * 3);
    const auto pixel = [&](int x, int y) {
        const qsizetype i = (qsizetype(y) * 720 + x) * 3;
        return QStringLiteral("%1%2%3")
            .arg(quint8(rgb[i]), 2, 16, QChar('0'))
            .arg(quint8(rgb[i + 1]), 2, 16, QChar('0'))
            .arg(quint8(rgb[i + 2]), 2, 16, QChar('0'));
    };
    EXPECT_EQ(pixel(360, 405), "ffffff");
    EXPECT_EQ(pixel(201, 381), "404040");
    EXPECT_EQ(pixel(518, 428), "404040");
}

TEST(OutputTracks, TheTwoStageEngineAddsChaptersAndRefusesWhatItCannotDo) {
    const TRun run = Convert(SampleDiscDir("pal"), {"--title", "3", "--engine", "two-stage"});
    ASSERT_EQ(run.Exit, 0) << run.Errors.toStdString();
    const TTracks t = Tracks(run.Output);
    // The disc's own chapter times (its cells begin at whole groups of pictures), not the rows' whole
    // seconds.
    TDvdStreamReader reader;
    ASSERT_TRUE(reader.Open(SampleDiscDir("pal") + "/VIDEO_TS", 3, 0, 0, 0))
        << reader.ErrorText().toStdString();
    const std::vector<double>& programs = reader.Outline().ProgramStarts;
    ASSERT_EQ(programs.size(), 3u);
    EXPECT_GT(programs[1], 3.5);
    EXPECT_EQ(t.Chapters, (QStringList{"0.0 Chapter 01", QString::number(programs[1], 'f', 1) + " Chapter 02",
                                       QString::number(programs[2], 'f', 1) + " Chapter 03"}));
    EXPECT_EQ(t.Streams.value(1), "audio:aac:fre:1");
    const TRun none =
        Convert(SampleDiscDir("pal"), {"--title", "3", "--engine", "two-stage", "--no-chapters"});
    ASSERT_EQ(none.Exit, 0) << none.Errors.toStdString();
    EXPECT_TRUE(Tracks(none.Output).Chapters.isEmpty());

    for (const QStringList& choice : {QStringList{"--audio", "all"}, QStringList{"--subtitles", "keep"},
                                      QStringList{"--profile", "Keep Original (MKV)"}}) {
        const TRun refused =
            Convert(SampleDiscDir("pal"), QStringList{"--title", "1", "--engine", "two-stage"} + choice);
        EXPECT_EQ(refused.Exit, 2) << choice.join(' ').toStdString();
        EXPECT_TRUE(refused.Errors.contains("needs the direct engine")) << refused.Errors.toStdString();
        EXPECT_TRUE(refused.Output.isEmpty());
    }
}

// A copy of the PAL disc whose first title lists a third (Italian AC-3) audio stream that its video does not
// hold, and whose sub-picture colours are all zero; and whose second title's chain lists no programs.
QString DamagedCopy(QTemporaryDir& copy) {
    QDir().mkpath(copy.filePath("VIDEO_TS"));
    const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + name, copy.filePath("VIDEO_TS/" + name));
    for (const QString& name : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) {
        QFile ifo(copy.filePath("VIDEO_TS/" + name));
        ifo.setPermissions(ifo.permissions() | QFile::WriteOwner);
        if (!ifo.open(QIODevice::ReadWrite))
            return {};
        QByteArray b = ifo.readAll();
        const auto word = [&](qsizetype at) { return qFromBigEndian<quint32>(b.constData() + at); };
        qToBigEndian<quint16>(3, b.data() + 0x202);    // three audio streams
        b.replace(0x204 + 16, 8, b.mid(0x204 + 8, 8)); // the third like the second
        qToBigEndian<quint16>(quint16('i' << 8 | 't'), b.data() + 0x204 + 16 + 2);
        const qsizetype pgcit = qsizetype(word(0xcc)) * 2048, pgc = pgcit + word(pgcit + 12);
        qToBigEndian<quint16>(0x8000 | 2 << 8, b.data() + pgc + 0x0c + 4); // enabled, AC-3 stream 2
        b.replace(pgc + 0xa4, 64, QByteArray(64, 0));                      // no colours
        ifo.seek(0);
        ifo.write(b);
    }
    return copy.path();
}

TEST(OutputTracks, WhatTheDiscListsButDoesNotHoldIsLeftOutWithANote) {
    QTemporaryDir copy;
    const QString disc = DamagedCopy(copy);
    ASSERT_FALSE(disc.isEmpty());
    const TRun run = Convert(disc, {"--title", "1", "--end", "00:00:08", "--engine", "direct", "--profile",
                                    "Keep Original (MKV)"});
    ASSERT_EQ(run.Exit, 0) << run.Errors.toStdString();
    EXPECT_TRUE(run.Errors.contains("audio track 3 (ita, stream 0x82) is listed by the disc but missing"))
        << run.Errors.toStdString();
    EXPECT_TRUE(run.Errors.contains("colours are all zero")) << run.Errors.toStdString();
    EXPECT_EQ(Tracks(run.Output).Streams, (QStringList{"video:mpeg2video:und:1", "audio:ac3:eng:1",
                                                       "audio:ac3:ger:0", "subtitle:dvd_subtitle:eng:0"}));
}

} // namespace
