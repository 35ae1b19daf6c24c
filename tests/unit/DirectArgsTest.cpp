// The output's display aspect and the one FFmpeg command line of the direct engine.
#include "convert/DirectArgs.h"
#include "convert/DisplayAspect.h"

#include <gtest/gtest.h>

namespace {

TMencOutputSettings Sized(const QString& size, const QString& aspect = {}) {
    TMencOutputSettings s;
    s.Size = size;
    s.Width = size.section(':', 0, 0);
    s.Height = size.section(':', 1);
    s.Aspect = aspect;
    return s;
}

TEST(DisplayAspect, TitleProfileOrFrame) {
    const struct {
        TMencOutputSettings Settings;
        QString Title, Expected;
    } cases[] = {
        {Sized(""), "16:9", "16:9"},
        {Sized(""), "4:3", "4:3"},
        {Sized(""), "???", "4:3"},
        {Sized("", "4:3"), "16:9", "4:3"}, // the profile names it
        {Sized("640:480"), "16:9", "640:480"},
        {Sized("854:480", "16:9"), "4:3", "854:480"},
        {Sized("640:abc"), "16:9", ""},
        {Sized("0:480"), "16:9", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutputDisplayAspect(c.Settings, c.Title), c.Expected)
            << c.Settings.Size.toStdString() << " " << c.Title.toStdString();
}

TEST(DirectArgs, PaletteFromTheDiscsYCrCbToRgb) {
    std::array<uint32_t, 16> palette{};
    palette.fill(0x108080);                     // black
    palette[0] = 0xeb8080;                      // white
    palette[1] = 0x478080;                      // grey
    palette[2] = 0x51f05a;                      // red
    palette[3] = 0x29 << 16 | 0x6e << 8 | 0xf0; // blue
    const QStringList colours = PaletteArgument(palette).split(',');
    ASSERT_EQ(colours.size(), 16);
    EXPECT_EQ(colours.mid(0, 5), (QStringList{"ffffff", "404040", "fe0000", "0000ff", "000000"}));
}

TEST(DirectArgs, OneCommandForStreamRangeAndProfile) {
    TDirectArgsInput in;
    in.StageTwoText = " -vcodec mpeg4 -b 800000 -acodec aac";
    in.TitleAspect = "16:9";
    in.LengthSeconds = 8;
    in.AudioStreamId = 0x81;
    in.OutputPath = "/out/a b.mp4";
    EXPECT_EQ(BuildDirectArguments(in).join(' '),
              "-n -f mpeg -i pipe:0 -map 0:v:0 -map 0:i:0x81 -vcodec mpeg4 -b 800000 -acodec aac -t 8.000 "
              "-aspect 16:9 /out/a b.mp4");

    // The profile's deinterlacing, the subtitle and the custom size make one filter graph, in that order.
    in.StageTwoText = " -vcodec mpeg4 -vf yadif -s 640x480";
    in.Settings = Sized("640:480");
    in.SubtitleStreamId = 0x21;
    in.OffsetSeconds = 2.5;
    in.AudioStreamId = -1;
    in.Palette.fill(0x108080);
    const QStringList args = BuildDirectArguments(in);
    EXPECT_EQ(args.mid(0, 3), (QStringList{"-n", "-palette", PaletteArgument(in.Palette)}));
    EXPECT_EQ(args.mid(3).join(' '),
              "-f mpeg -i pipe:0 -filter_complex [0:v:0]yadif[in];[in][0:i:0x21]overlay[over];"
              "[over]scale=640:360,pad=640:480:(ow-iw)/2:(oh-ih)/2,setsar=1[video] -map [video] -map 0:a:0? "
              "-vcodec mpeg4 -s 640x480 -ss 2.500 -t 8.000 -aspect 640:480 /out/a b.mp4");

    // Without a subtitle the chain is a plain video filter.
    in.SubtitleStreamId = -1;
    EXPECT_TRUE(BuildDirectArguments(in).join(' ').contains(
        "-map 0:v:0 -vf yadif,scale=640:360,pad=640:480:(ow-iw)/2:(oh-ih)/2,setsar=1 -map 0:a:0?"));

    // A profile without video or without audio maps nothing of it.
    in.SubtitleStreamId = 0x20;
    in.StageTwoText = " -vn -acodec libmp3lame";
    EXPECT_EQ(BuildDirectArguments(in).join(' '),
              "-n -f mpeg -i pipe:0 -map 0:a:0? -vn -acodec libmp3lame -ss 2.500 -t 8.000 /out/a b.mp4");
    in.StageTwoText = " -an";
    EXPECT_FALSE(BuildDirectArguments(in).join(' ').contains("0:a:0"));
}

} // namespace
