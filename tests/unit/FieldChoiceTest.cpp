// What the picture headers of a title say, what is chosen from them, and how the choice reaches the
// encoder's arguments.
#include "convert/FieldChoice.h"
#include "convert/DirectArgs.h"
#include "convert/PictureScan.h"
#include "convert/ProgramStreamPacks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using TBytes = std::vector<unsigned char>;

TBytes operator+(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TBytes Times(int n, const TBytes& b) {
    TBytes all;
    for (int i = 0; i < n; ++i)
        all = all + b;
    return all;
}

// A sequence header (720x576, 4:3) with its frame rate code, and the sequence extension.
TBytes Sequence(int frameRateCode, bool progressiveSequence) {
    return {0x00, 0x00,
            0x01, 0xb3,
            0x2d, 0x02,
            0x40, static_cast<unsigned char>(0x20 | frameRateCode),
            0xff, 0xff,
            0xe0, 0x18,
            0x00, 0x00,
            0x01, 0xb5,
            0x14, static_cast<unsigned char>(0x82 | (progressiveSequence ? 0x08 : 0)),
            0x00, 0x01,
            0x00, 0x00};
}

// A picture header and its coding extension; structure 3 is a frame, 1 a top and 2 a bottom field. Some
// slice bytes follow, as in a stream.
TBytes Picture(int structure, bool topFirst, bool repeat, bool progressive) {
    const unsigned char flags = static_cast<unsigned char>(
        (topFirst ? 0x80 : 0) | (structure == 3 ? 0x40 : 0) | (repeat ? 0x02 : 0) | (progressive ? 0x01 : 0));
    return {0x00,
            0x00,
            0x01,
            0x00,
            0x00,
            0x0f,
            0xff,
            0xf8,
            0x00,
            0x00,
            0x01,
            0xb5,
            0x8f,
            0xff,
            static_cast<unsigned char>(0xf0 | structure),
            flags,
            static_cast<unsigned char>(progressive ? 0x80 : 0),
            0x00,
            0x00,
            0x01,
            0x01,
            0x12,
            0x34,
            0x00,
            0x01,
            0x00};
}

TBytes Frame(bool topFirst, bool repeat, bool progressive) {
    return Picture(3, topFirst, repeat, progressive);
}

// 3:2 pulldown: four film frames fill ten fields.
TBytes Pulldown() {
    return Frame(true, true, true) + Frame(false, false, true) + Frame(false, true, true) +
           Frame(true, false, true);
}

TEST(FieldChoice, PictureHeadersDecide) {
    const struct {
        const char* Name;
        TBytes Stream;
        TFieldTreatment Treatment;
        QString Filter;
    } cases[] = {
        {"interlaced, top field first", Sequence(3, false) + Times(20, Frame(true, false, false)),
         TFieldTreatment::Interlaced, "bwdif=mode=send_frame:parity=tff:deint=interlaced"},
        {"interlaced, bottom field first", Sequence(4, false) + Times(20, Frame(false, false, false)),
         TFieldTreatment::Interlaced, "bwdif=mode=send_frame:parity=bff:deint=interlaced"},
        {"field pictures, top first",
         Sequence(3, false) + Times(20, Picture(1, false, false, false) + Picture(2, false, false, false)),
         TFieldTreatment::Interlaced, "bwdif=mode=send_frame:parity=tff:deint=interlaced"},
        {"field pictures, bottom first",
         Sequence(3, false) + Times(20, Picture(2, false, false, false) + Picture(1, false, false, false)),
         TFieldTreatment::Interlaced, "bwdif=mode=send_frame:parity=bff:deint=interlaced"},
        // The first frame is put on the 23.976 grid: the film's frames, timed 3 and 2 fields apart, then
        // each fall in a slot of their own.
        {"soft telecined film", Sequence(4, false) + Times(10, Pulldown()), TFieldTreatment::Film,
         "setpts=PTS-STARTPTS+round(STARTPTS*TB*24000/1001)*1001/24000/TB,fps=24000/1001"},
        {"film on a PAL disc", Sequence(3, false) + Times(20, Frame(true, false, true)),
         TFieldTreatment::Progressive, ""},
        // A field repeated now and then stretches film to 25 frames a second; the frames stay whole.
        {"PAL film stretched by a repeated field",
         Sequence(3, false) + Times(3, Times(11, Frame(true, false, true)) + Frame(true, true, true)),
         TFieldTreatment::Progressive, ""},
        {"progressive sequence doubling frames", Sequence(4, true) + Times(20, Frame(false, true, true)),
         TFieldTreatment::Progressive, ""},
        {"a single interlaced picture in twenty",
         Sequence(3, false) + Times(19, Frame(true, false, true)) + Frame(true, false, false),
         TFieldTreatment::Progressive, ""},
        {"two interlaced pictures in twenty",
         Sequence(3, false) + Times(18, Frame(true, false, true)) + Times(2, Frame(true, false, false)),
         TFieldTreatment::Interlaced, "bwdif=mode=send_frame:parity=tff:deint=interlaced"},
        {"film cut with interlaced video",
         Sequence(4, false) + Times(5, Pulldown()) + Times(10, Frame(true, false, false)),
         TFieldTreatment::Interlaced, "bwdif=mode=send_frame:parity=tff:deint=interlaced"},
        {"no picture header", TBytes(300, 0x47), TFieldTreatment::Unknown, ""},
        // A coding extension cut short by the end of the stretch is not read beyond it.
        {"cut coding extension", Sequence(3, false) + TBytes{0x00, 0x00, 0x01, 0xb5, 0x8f, 0xff, 0xf3},
         TFieldTreatment::Unknown, ""},
    };
    for (const auto& c : cases) {
        TPictureScan scan;
        scan.Feed(c.Stream.data(), c.Stream.size());
        const TFieldChoice choice = ChooseFieldTreatment(scan);
        EXPECT_EQ(choice.Treatment, c.Treatment) << c.Name;
        EXPECT_EQ(choice.Filter, c.Filter) << c.Name;
        EXPECT_FALSE(choice.Description.isEmpty()) << c.Name;
    }
}

TEST(FieldChoice, CountsAcrossStretches) {
    TPictureScan scan;
    const TBytes first = Sequence(4, false) + Times(3, Pulldown()),
                 second = Times(2, Frame(false, false, false));
    scan.Feed(first.data(), first.size());
    scan.Feed(second.data(), second.size());
    EXPECT_EQ(scan.Pictures(), 14);
    EXPECT_EQ(scan.Repeated(), 6);
    EXPECT_EQ(scan.Interlaced(), 2);
    EXPECT_EQ(scan.TopFirst(), 0);
    EXPECT_EQ(scan.FrameRateCode(), 4);
    EXPECT_FALSE(scan.ProgressiveSequence());
}

// Two packs: a video packet whose payload is split over both, with an audio packet between.
TEST(FieldChoice, VideoPayloadOfPacks) {
    std::vector<unsigned char> packs(2 * kPackBytes, 0xff);
    const auto pack = [&packs](int p, const TBytes& packets) {
        const TBytes header{0x00, 0x00, 0x01, 0xba, 0x44, 0x00, 0x04,
                            0x00, 0x04, 0x01, 0x01, 0x89, 0xc3, 0xf8};
        const TBytes all = header + packets;
        std::copy(all.begin(), all.end(), packs.begin() + p * kPackBytes);
    };
    const TBytes video1{0x00, 0x00, 0x01, 0xb5, 0x8f};
    const TBytes video2{0xff, 0xf3, 0xc1, 0x80};
    // Each packet carries a PTS in its header, which is not part of the stream.
    const auto pes = [](int id, const TBytes& payload) {
        return TBytes{0x00, 0x00,
                      0x01, static_cast<unsigned char>(id),
                      0x00, static_cast<unsigned char>(3 + 5 + payload.size()),
                      0x81, 0x80,
                      0x05, 0x21,
                      0x00, 0x01,
                      0x00, 0x01} +
               payload;
    };
    pack(0, pes(0xe0, video1) + pes(0xc0, {0x11, 0x22, 0x33}));
    pack(1, pes(0xbd, {0x80, 0x01}) + pes(0xe0, video2));
    const QByteArray payload = VideoPayload(packs.data(), 2);
    EXPECT_EQ(payload, QByteArray::fromHex("000001b58ffff3c180"));
}

TEST(FieldChoice, AutoInTheProfileBecomesTheChosenFilter) {
    const QStringList profile{"-vcodec", "libx264", "-vf", "auto", "-acodec", "aac"};
    EXPECT_TRUE(AsksForAutoFields(profile));
    EXPECT_FALSE(AsksForAutoFields({"-vf", "yadif"}));
    EXPECT_FALSE(AsksForAutoFields({"-vcodec", "auto"}));
    EXPECT_EQ(WithFieldFilter(profile, "fps=24000/1001"),
              (QStringList{"-vcodec", "libx264", "-vf", "fps=24000/1001", "-acodec", "aac"}));
    EXPECT_EQ(WithFieldFilter(profile, {}), (QStringList{"-vcodec", "libx264", "-acodec", "aac"}));
    EXPECT_EQ(WithFieldFilter({"-vf", "yadif"}, "bwdif"), (QStringList{"-vf", "yadif"}));

    // The direct engine's one filter chain takes the choice where the profile's own filter would stand.
    TDirectArgsInput in;
    in.StageTwoText = " -vcodec libx264 -vf auto";
    in.OutputPath = "/out/a.mkv";
    in.FieldFilter = "bwdif=mode=send_frame:parity=tff:deint=interlaced";
    EXPECT_TRUE(BuildDirectArguments(in).join(' ').contains("-map 0:v:0 -vf " + in.FieldFilter + " "));
    in.SubtitleStreamId = 0x20;
    EXPECT_TRUE(BuildDirectArguments(in).join(' ').contains("[0:v:0]" + in.FieldFilter + "[in]"));
    in.FieldFilter.clear();
    EXPECT_FALSE(BuildDirectArguments(in).contains("auto"));
    EXPECT_TRUE(BuildDirectArguments(in).join(' ').contains("[0:v:0]null[in]"));
}

} // namespace
