// The direct engine making a row in pieces side by side with the real encoder, against the same row made
// in one pass: the same pictures, each once and in order, the same sound, the same length.
#include "support/ConvertDirect.h"
#include "support/MediaProbe.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every picture of the file's video, shrunk to 64x64 grey: enough to tell neighbouring pictures of a
// moving test picture apart, small enough to compare all of them. Each picture once, as the file holds it:
// a constant rate made from Matroska's millisecond times would repeat one.
std::vector<QByteArray> Thumbnails(const QString& file) {
    const QByteArray raw =
        RunForOutput("ffmpeg", {"-v", "error", "-i", file, "-map", "0:v:0", "-vf", "scale=64:64,format=gray",
                                "-fps_mode", "passthrough", "-f", "rawvideo", "-"});
    std::vector<QByteArray> frames;
    for (qsizetype at = 0; at + 4096 <= raw.size(); at += 4096)
        frames.push_back(raw.mid(at, 4096));
    return frames;
}

double MeanDifference(const QByteArray& a, const QByteArray& b) {
    double sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        sum += std::abs(int(quint8(a[i])) - int(quint8(b[i])));
    return sum / double(a.size());
}

// The pictures b of a row in pieces are those of its single pass a, each once and in order.
void ExpectSamePictures(const std::vector<QByteArray>& b, const std::vector<QByteArray>& a) {
    ASSERT_FALSE(a.empty());
    ASSERT_EQ(b.size(), a.size()); // no picture lost or repeated at the join
    if (a.size() < 2)
        return;
    // Each second of pictures is the single pass's own (coding noise only) and not its neighbours': a
    // picture lost at the join and one repeated elsewhere would keep the count but shift the pictures.
    // The first picture too: one lost there, and the next shown twice, kept the count.
    EXPECT_LT(MeanDifference(b[0], a[0]) * 1.5, MeanDifference(b[0], a[1]));
    for (size_t from = 1; from + 26 < a.size(); from += 25) {
        double same = 0, before = 0, after = 0;
        for (size_t i = from; i < from + 25; ++i) {
            same += MeanDifference(b[i], a[i]);
            before += MeanDifference(b[i], a[i - 1]);
            after += MeanDifference(b[i], a[i + 1]);
        }
        EXPECT_LT(same * 1.5, std::min(before, after)) << "pictures " << from << " to " << from + 24;
    }
}

// Each line of the file's subtitle tracks: its start and how long it shows.
QString SubtitleTimes(const QString& file) {
    return RunForOutput("ffprobe", {"-v", "error", "-select_streams", "s", "-show_entries",
                                    "packet=pts_time,duration_time", "-of", "csv=p=0", file});
}

double StreamSeconds(const QString& file, const QString& type) {
    return Stream(ProbeStreams(file), type)["duration"].toString().toDouble();
}

// The file's streams by kind in their order, and its chapters' starts: what the join must keep of the pass.
QString Layout(const QString& file) {
    QString layout;
    for (const QJsonValue stream : ProbeStreams(file)["streams"].toArray())
        layout += stream.toObject()["codec_type"].toString() + " ";
    return layout + RunForOutput("ffprobe",
                                 {"-v", "error", "-show_entries", "chapter=start_time", "-of", "csv", file});
}

TEST(DirectPieces, ARowInPiecesShowsEachPictureOfTheSinglePassOnce) {
    QTemporaryDir dir;
    // navjump-pal: its navigation packs say 12 s where the pictures are at 8 s, and on; a cut placed by
    // those times would show seconds twice and lose as many at the end, with the count of pictures kept.
    for (const QString disc : {"pal", "ntsc", "navjump-pal"}) {
        SCOPED_TRACE(disc.toStdString());
        const QString whole = dir.filePath(disc + "-whole.mkv"), pieces = dir.filePath(disc + "-pieces.mkv");
        QString errors;
        // Every audio track, the kept subtitle tracks and the chapters are made with the rest and go in at
        // the join.
        const QStringList row{"--title", "1",           "--profile", "H.264 AAC (MKV)", "--audio",
                              "all",     "--subtitles", "keep",      "--pieces"};
        ASSERT_EQ(ConvertDirect(SampleDiscDir(disc), whole, row + QStringList{"1"}, &errors), 0)
            << errors.toStdString();
        ASSERT_EQ(ConvertDirect(SampleDiscDir(disc), pieces, row + QStringList{"2"}, &errors), 0)
            << errors.toStdString();
        EXPECT_EQ(Layout(pieces), Layout(whole));
        const QString tracks =
            disc.startsWith("navjump") ? "video audio audio " : "video audio audio subtitle ";
        EXPECT_TRUE(Layout(whole).startsWith(tracks)) << Layout(whole).toStdString();

        const std::vector<QByteArray> a = Thumbnails(whole);
        ASSERT_GT(a.size(), 500u);
        ExpectSamePictures(Thumbnails(pieces), a);

        // The sound is the single pass's, as long, and ends with the picture.
        const double frame = disc.endsWith("pal") ? 0.04 : 1001.0 / 30000;
        EXPECT_NEAR(StreamSeconds(pieces, "audio"), StreamSeconds(whole, "audio"), 0.001);
        EXPECT_NEAR(StreamSeconds(pieces, "video"), StreamSeconds(pieces, "audio"), frame);
        EXPECT_NEAR(AudioFrequency(pieces, 20.0), 440, 25);
        if (!disc.startsWith("navjump"))
            EXPECT_EQ(SubtitleTimes(pieces), SubtitleTimes(whole));
    }
}

// FFmpeg reads an MP4's bitmap subtitle track back shorter by its first line's start: a join that copied
// it would end its lines early. Such a row keeps the single pass's lines.
TEST(DirectPieces, AnMp4KeepingSubtitleTracksKeepsTheirLengths) {
    QTemporaryDir dir;
    const QString whole = dir.filePath("whole.mp4"), pieces = dir.filePath("pieces.mp4");
    const QStringList row{"--title", "1", "--subtitles", "keep", "--pieces"};
    QString errors;
    ASSERT_EQ(ConvertDirect(SampleDiscDir("pal"), whole, row + QStringList{"1"}, &errors), 0)
        << errors.toStdString();
    ASSERT_EQ(ConvertDirect(SampleDiscDir("pal"), pieces, row + QStringList{"2"}, &errors), 0)
        << errors.toStdString();
    ASSERT_FALSE(SubtitleTimes(whole).isEmpty());
    EXPECT_EQ(SubtitleTimes(pieces), SubtitleTimes(whole));
}

// Trimmed ranges with more pieces asked than they hold: one shorter than a VOBU, a few pictures at the
// title's start and across a cell's start make their pictures as the single pass does; one long enough to
// cut, with both ends inside a VOBU, shows the single pass's pictures too.
TEST(DirectPieces, ATrimmedRangeInPiecesMakesTheSinglePassPictures) {
    QTemporaryDir dir;
    struct Case {
        const char *Start, *End;
        size_t Pictures;
    };
    for (const Case& c : {Case{"00:00:05.00", "00:00:05.20", 5}, Case{"00:00:00", "00:00:00.12", 3},
                          Case{"00:00:05.92", "00:00:06.08", 4}, Case{"00:00:01.30", "00:00:22.50", 530}}) {
        SCOPED_TRACE(std::string(c.Start) + " to " + c.End);
        const QString whole = dir.filePath("whole.mp4"), pieces = dir.filePath("pieces.mp4");
        const QStringList range{"--title", "1", "--start", c.Start, "--end", c.End, "--pieces"};
        QString errors;
        ASSERT_EQ(ConvertDirect(SampleDiscDir("pal"), whole, range + QStringList{"1"}, &errors), 0)
            << errors.toStdString();
        ASSERT_EQ(ConvertDirect(SampleDiscDir("pal"), pieces, range + QStringList{"4"}, &errors), 0)
            << errors.toStdString();
        const std::vector<QByteArray> a = Thumbnails(whole);
        EXPECT_EQ(a.size(), c.Pictures);
        ExpectSamePictures(Thumbnails(pieces), a);
        EXPECT_NEAR(StreamSeconds(pieces, "audio"), StreamSeconds(whole, "audio"), 0.001);
    }
}

} // namespace
