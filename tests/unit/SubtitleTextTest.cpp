// Subtitles read into text: the pieces (sub-picture units out of packs, the letters' colour, the cues'
// times) and the whole reading of a disc made from known lines.
#include "subtitles/SubPictureSplitter.h"
#include "subtitles/SubtitleTextJob.h"
#include "subtitles/TextCues.h"
#include "subtitles/TextPicture.h"
#include "subtitles/TextRecognizer.h"
#include "convert/ProgramStreamPacks.h"
#include "support/TestPaths.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// A 2048-byte MPEG-2 pack holding one private-stream-1 packet of sub-stream subStream (with a PTS when
// pts >= 0) and padding. overrun makes the packet claim more bytes than the pack holds.
QByteArray Pack(int subStream, int64_t pts, const QByteArray& payload, bool overrun = false) {
    QByteArray pack(kPackBytes, '\0');
    const unsigned char header[14] = {0, 0, 1, 0xba, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xc3, 0xf8};
    std::copy(header, header + 14, pack.begin());
    QByteArray pes("\x00\x00\x01\xbd", 4);
    const int headerLength = pts >= 0 ? 5 : 0;
    const int length = 3 + headerLength + 1 + int(payload.size()) + (overrun ? 4000 : 0);
    pes += char(length >> 8);
    pes += char(length & 0xff);
    pes += char(0x81);
    pes += char(pts >= 0 ? 0x80 : 0);
    pes += char(headerLength);
    if (pts >= 0) {
        pes += char(0x21 | ((pts >> 29) & 0x0e));
        pes += char(pts >> 22);
        pes += char(0x01 | ((pts >> 14) & 0xfe));
        pes += char(pts >> 7);
        pes += char(0x01 | ((pts << 1) & 0xfe));
    }
    pes += char(subStream);
    pes += payload;
    pack.replace(14, pes.size(), pes);
    const int padding = 14 + int(pes.size());
    if (!overrun && padding + 6 <= kPackBytes) {
        const int left = kPackBytes - padding - 6;
        pack[padding + 2] = 1;
        pack[padding + 3] = char(0xbe);
        pack[padding + 4] = char(left >> 8);
        pack[padding + 5] = char(left & 0xff);
    }
    return pack;
}

// A unit of size bytes: its size first, then filler.
QByteArray Unit(int size, char fill) {
    QByteArray unit(size, fill);
    unit[0] = char(size >> 8);
    unit[1] = char(size & 0xff);
    return unit;
}

std::vector<TSubPictureUnit> Split(const QByteArray& packs, std::set<int> ids, int* dropped = nullptr) {
    TSubPictureSplitter splitter(std::move(ids));
    splitter.Feed(reinterpret_cast<const unsigned char*>(packs.constData()), int(packs.size() / kPackBytes));
    if (dropped)
        *dropped = splitter.Dropped();
    return splitter.Take();
}

} // namespace

TEST(SubtitleText, UnitsAreJoinedAcrossPacketsAndDamageIsDropped) {
    const QByteArray big = Unit(3000, 'a'); // over two packets
    const QByteArray whole = Pack(0x20, 90000, big.left(1900)) + Pack(0x20, -1, big.mid(1900)) +
                             Pack(0x21, 180000, Unit(40, 'b')) + Pack(0x22, 200000, Unit(40, 'c'));
    const std::vector<TSubPictureUnit> units = Split(whole, {0x20, 0x21});
    ASSERT_EQ(units.size(), 2u); // stream 0x22 was not asked for
    EXPECT_EQ(units[0].StreamId, 0x20);
    EXPECT_EQ(units[0].Pts, 90000);
    EXPECT_EQ(units[0].Data, big);
    EXPECT_EQ(units[1].StreamId, 0x21);
    EXPECT_EQ(units[1].Pts, 180000);
    EXPECT_EQ(units[1].Data, Unit(40, 'b'));

    struct Case {
        const char* what;
        QByteArray packs;
        size_t units;
        int dropped;
    };
    const Case cases[] = {
        {"a unit cut short by the next one", Pack(0x20, 1000, Unit(3000, 'a').left(1000)) + Pack(0x20, 9000, Unit(50, 'b')),
         1, 1},
        {"a size under the unit's header", Pack(0x20, 1000, Unit(3, 'a')), 0, 1},
        {"a packet longer than its pack", Pack(0x20, 1000, Unit(50, 'a'), true), 0, 0},
        {"not a pack at all", QByteArray(kPackBytes, '\x55'), 0, 0},
    };
    for (const Case& c : cases) {
        int dropped = -1;
        EXPECT_EQ(Split(c.packs, {0x20}, &dropped).size(), c.units) << c.what;
        EXPECT_EQ(dropped, c.dropped) << c.what;
    }
}

TEST(SubtitleText, TheLettersColourIsTheFillNotTheOutlineTheBoxOrASpeck) {
    // Pictures drawn in text: '.' colour 0, 'o' 1, '#' 2, 'x' 3, a row per string.
    const auto bitmap = [](std::vector<std::string> rows, std::array<uint32_t, 4> colours) {
        TSubtitleBitmap b;
        b.Height = int(rows.size());
        b.Width = int(rows[0].size());
        for (const std::string& row : rows)
            for (char c : row)
                b.Indices.push_back(c == '.' ? 0 : c == 'o' ? 1 : c == '#' ? 2 : 3);
        b.Colours = colours;
        return b;
    };
    const uint32_t clear = 0x00000000, white = 0xffffffff, grey = 0xff404040, box = 0xff101010;
    const std::vector<std::string> outlined = {"..........", ".oooooooo.", ".o######o.", ".o######o.",
                                               ".o######o.", ".oooooooo.", ".........."};
    const std::vector<std::string> boxed = {"oooooooooo", "oo######oo", "oo######oo", "oooooooooo"};
    struct Case {
        const char* what;
        TSubtitleBitmap bitmap;
        int text;
    };
    const Case cases[] = {
        {"white fill in a grey outline", bitmap(outlined, {clear, grey, white, clear}), 2},
        {"dark fill in a light outline", bitmap(outlined, {clear, white, grey, clear}), 2},
        {"white letters on an opaque box", bitmap(boxed, {clear, box, white, clear}), 2},
        {"nothing but transparent", bitmap({"....", "...."}, {clear, white, white, white}), -1},
        {"letters without an outline", bitmap({"....", ".##.", "...."}, {clear, clear, white, clear}), 2},
        {"a speck beside the letters", bitmap({"..........", ".######.x.", ".######...", ".........."},
                                              {clear, clear, white, grey}),
         2},
        {"no pixels at all", TSubtitleBitmap{}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextColourOf(c.bitmap), c.text) << c.what;

    const TGreyImage image = TextOnWhite(bitmap(outlined, {clear, grey, white, clear}), 2, 1);
    ASSERT_EQ(image.Width, 22);
    ASSERT_EQ(image.Height, 16);
    const auto at = [&](int x, int y) { return image.Pixels[size_t(y * image.Width + x)]; };
    EXPECT_EQ(at(0, 0), 255);           // margin
    EXPECT_EQ(at(1 + 2 * 1, 1 + 2 * 1), 255); // outline: white
    EXPECT_EQ(at(1 + 2 * 2, 1 + 2 * 2), 0);   // fill: black
    EXPECT_EQ(at(1 + 2 * 2 + 1, 1 + 2 * 2 + 1), 0);
}

TEST(SubtitleText, CuesSettleOnTheOutputsTimeLine) {
    const auto cue = [](double start, double end, const char* text) { return TTextCue{start, end, text, false}; };
    const std::vector<TTextCue> settled = SettledCues(
        {cue(9, 8, "open, next at 12"), cue(-3, -1, "before"), cue(-1, 2, "across the start"),
         cue(12, 11, "open, last"), cue(19, 25, "across the end"), cue(30, 31, "after"), cue(4, 6, "")},
        20);
    ASSERT_EQ(settled.size(), 4u);
    EXPECT_EQ(settled[0].Text, "across the start");
    EXPECT_DOUBLE_EQ(settled[0].Start, 0);
    EXPECT_DOUBLE_EQ(settled[1].End, 12); // until the next cue
    EXPECT_DOUBLE_EQ(settled[2].End, 17); // five seconds at most
    EXPECT_DOUBLE_EQ(settled[3].End, 20); // cut at the range's end
    EXPECT_EQ(SubRipText({cue(61.5, 3723.004, "a\nb")}),
              QByteArray("1\n00:01:01,500 --> 01:02:03,004\na\nb\n\n"));
}

// What is not text gives no line: the reader's confidence is too low, never a guess in the track.
TEST(SubtitleText, NoiseAndEmptyPicturesGiveNoText) {
    TTextRecognizer reader;
    ASSERT_TRUE(reader.Open("eng")) << reader.ErrorText().toStdString();
    TGreyImage noise;
    noise.Width = 400;
    noise.Height = 60;
    uint32_t seed = 12345;
    for (int i = 0; i < noise.Width * noise.Height; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise.Pixels.push_back((seed >> 16) & 1 ? 0 : 255);
    }
    EXPECT_EQ(reader.Read(noise), QString());
    EXPECT_EQ(reader.Read(TGreyImage{}), QString());
    TGreyImage white{300, 40, std::vector<uint8_t>(300 * 40, 255)};
    EXPECT_EQ(reader.Read(white), QString());
    // A language without data is refused by name, never loaded from a path it names.
    TTextRecognizer missing;
    EXPECT_FALSE(missing.Open("xyz"));
    EXPECT_TRUE(missing.ErrorText().contains("'xyz'")) << missing.ErrorText().toStdString();
    EXPECT_FALSE(missing.Open("../eng"));
    EXPECT_EQ(ReaderLanguageOf("fre"), "fra");
    EXPECT_EQ(ReaderLanguageOf("ger"), "deu");
    EXPECT_EQ(ReaderLanguageOf("spa"), "spa");
}

namespace {

struct TTruthLine {
    double Start = 0, End = 0;
    bool Forced = false;
    QString Text;
};

std::vector<TTruthLine> Truth(const QString& disc, const QString& language) {
    QFile file(disc + "/truth/" + language + ".tsv");
    std::vector<TTruthLine> lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        if (fields.size() == 4)
            lines.push_back({fields[0].toDouble(), fields[1].toDouble(), fields[2] == "1",
                             QString(fields[3]).replace('|', ' ')});
    }
    return lines;
}

int EditDistance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int up = row[size_t(j)];
            row[size_t(j)] = std::min({up + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[size_t(b.size())];
}

} // namespace

TEST(SubtitleText, ADiscsLinesAreReadWithTheirTimesLanguagesAndForcedMarks) {
    const QString disc = SampleDiscDir("subtitles");
    TSubtitleTextJob job;
    job.Start({disc + "/VIDEO_TS", 1, 0, 0, 0, 32});
    job.Wait();
    ASSERT_TRUE(job.Succeeded()) << job.ErrorText().toStdString();
    ASSERT_EQ(job.Streams().size(), 2u);
    const struct {
        QString language, reader;
        double accuracy;
    } expected[] = {{"eng", "eng", 0.97}, {"fre", "fra", 0.95}};
    for (size_t s = 0; s < 2; ++s) {
        const TTextStream& stream = job.Streams()[s];
        const std::vector<TTruthLine> truth = Truth(disc, s == 0 ? "en" : "fr");
        ASSERT_FALSE(truth.empty());
        EXPECT_EQ(stream.Stream.Language, expected[s].language);
        EXPECT_EQ(stream.ReaderLanguage, expected[s].reader);
        EXPECT_EQ(stream.Unread, 0);
        ASSERT_EQ(stream.Cues.size(), truth.size()) << stream.Stream.Language.toStdString();
        QString read, meant;
        for (size_t i = 0; i < truth.size(); ++i) {
            const TTextCue& cue = stream.Cues[i];
            EXPECT_NEAR(cue.Start, truth[i].Start, 0.25) << truth[i].Text.toStdString();
            EXPECT_NEAR(cue.End, truth[i].End, 0.25) << truth[i].Text.toStdString();
            EXPECT_EQ(cue.Forced, truth[i].Forced) << truth[i].Text.toStdString();
            read += QString(cue.Text).replace('\n', ' ') + "\n";
            meant += truth[i].Text + "\n";
        }
        const double accuracy = 1.0 - double(EditDistance(read, meant)) / double(meant.size());
        RecordProperty(expected[s].reader.toStdString() + "_accuracy", QString::number(accuracy, 'f', 4).toStdString());
        EXPECT_GE(accuracy, expected[s].accuracy) << "read:\n" << read.toStdString() << "meant:\n"
                                                   << meant.toStdString();
    }
}
