// What an output keeps besides its picture: chapter marks, languages, every audio and subtitle track, copied
// streams, and the check that every kept stream came out.
#include "convert/ChapterMarks.h"
#include "convert/DirectArgs.h"
#include "convert/KeptStreams.h"
#include "convert/StreamCheck.h"
#include "dvd/LanguageCodes.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace {

// The metadata text a chapter input's data: URL carries.
QString ChapterText(const QStringList& args) {
    const qsizetype at = args.indexOf("ffmetadata");
    if (at < 0 || at + 2 >= args.size() || !args[at + 2].startsWith("data:text/plain;base64,"))
        return {};
    return QString::fromUtf8(QByteArray::fromBase64(args[at + 2].section(',', 1).toLatin1()));
}

QString Marks(const std::vector<TChapterMark>& marks) {
    QStringList text;
    for (const TChapterMark& m : marks)
        text << QStringLiteral("%1@%2").arg(m.Number).arg(m.Start);
    return text.join(' ');
}

TEST(ChapterMarks, TheChaptersInsideARangeFromItsStart) {
    const std::vector<double> programs{0, 6, 12, 18.04};
    const struct {
        double Start, End;
        const char* Expected;
    } cases[] = {
        {0, 24, "1@0 2@6 3@12 4@18.04"},
        {5, 15, "1@0 2@1 3@7"}, // a trimmed row: the chapter it starts in, then those inside
        {6, 12, "2@0"},         // a chapter row: its own chapter only
        {18, 24, "4@0"},        // starts 0.04 s before the chapter: named after it, not after 3
        {12, 18.3, "3@0"},      // a chapter 0.26 s before the end gets no mark
        {13, 14, "3@0"},        // inside one chapter
        {0, 0, ""},             // an empty range
    };
    for (const auto& c : cases)
        EXPECT_EQ(Marks(ChapterMarksInRange(programs, c.Start, c.End)), c.Expected)
            << c.Start << ".." << c.End;
    EXPECT_TRUE(ChapterMarksInRange({}, 0, 24).empty());

    EXPECT_TRUE(ChapterMarksNote(programs, ChapterMarksInRange(programs, 0, 24)).isEmpty());
    EXPECT_TRUE(
        ChapterMarksNote(programs, ChapterMarksInRange(programs, 13, 14)).contains("within chapter 03"));
    EXPECT_TRUE(ChapterMarksNote({}, {}).contains("no chapter"));
    EXPECT_TRUE(ChapterMarksNote({0}, ChapterMarksInRange({0}, 0, 24)).isEmpty()); // one chapter in all
}

TEST(ChapterMarks, FfmpegMetadataShiftedToTheInputsTime) {
    EXPECT_EQ(ChapterMetadata({{0, 1}, {6.5, 2}}, 10, 0.25),
              ";FFMETADATA1\n"
              "[CHAPTER]\nTIMEBASE=1/1000\nSTART=250\nEND=6750\ntitle=Chapter 01\n"
              "[CHAPTER]\nTIMEBASE=1/1000\nSTART=6750\nEND=10250\ntitle=Chapter 02\n");
    const QStringList input = ChapterInputArguments({{0, 12}}, 4, 0);
    ASSERT_EQ(input.size(), 4);
    EXPECT_EQ(input.mid(0, 3), (QStringList{"-f", "ffmetadata", "-i"}));
    EXPECT_TRUE(ChapterText(input).startsWith(";FFMETADATA1\n"));
    EXPECT_TRUE(ChapterText(input).contains("title=Chapter 12\n"));
    EXPECT_FALSE(input[3].contains('\n'));
    EXPECT_TRUE(ChapterInputArguments({}, 4, 0).isEmpty());
    EXPECT_TRUE(ChapterMapArguments({}, 1).isEmpty());
}

TEST(Languages, TheDiscsTwoLetterCodesAsIso6392) {
    const std::pair<const char*, const char*> cases[] = {
        {"en", "eng"}, {"de", "ger"}, {"fr", "fre"}, {"it", "ita"}, {"ja", "jpn"},
        {"zh", "chi"}, {"aa", "aar"}, {"zu", "zul"}, {"iw", "heb"}, {"EN", "eng"},
        {"", "und"},   {"xx", "und"}, {"e", "und"},
    };
    for (const auto& [two, three] : cases)
        EXPECT_EQ(ThreeLetterLanguage(two), three) << two;
}

TEST(KeptStreams, EveryTrackWithItsLanguageTheFirstAsDefault) {
    TKeptStreams kept;
    kept.Audio = {{0x80, "eng"}, {0xa1, "ger", true}};
    kept.Subtitles = {{0x20, "eng"}, {0x21, "und"}};
    kept.Palette = "ffffff,000000";
    kept.Container = TContainer::Matroska;
    kept.CopyAudio = true;
    EXPECT_EQ(KeptStreamArguments(kept).join(' '),
              "-map 0:i:0x80 -metadata:s:a:0 language=eng -disposition:a:0 default "
              "-map 0:i:0xa1 -c:a:1 flac -metadata:s:a:1 language=ger -disposition:a:1 0 "
              "-map 0:i:0x20 -metadata:s:s:0 language=eng -disposition:s:0 0 "
              "-map 0:i:0x21 -metadata:s:s:1 language=und -disposition:s:1 0 "
              "-c:s dvdsub -palette:s ffffff,000000 -default_mode infer_no_subs");
    kept.Container = TContainer::Mp4;
    kept.CopyAudio = false;
    kept.Palette.clear();
    const QString mp4 = KeptStreamArguments(kept).join(' ');
    EXPECT_FALSE(mp4.contains("flac") || mp4.contains("-palette") || mp4.contains("default_mode"));

    EXPECT_EQ(ContainerOf("/a/Title01.partial-x1Y2.MKV"), TContainer::Matroska);
    EXPECT_EQ(ContainerOf("/a/b.webm"), TContainer::WebM);
    EXPECT_FALSE(TakesSubtitleTracks(ContainerOf("/a/b.webm")) ||
                 TakesSubtitleTracks(ContainerOf("/a/b.avi")));
    EXPECT_TRUE(TakesSubtitleTracks(ContainerOf("/a/b.mp4")));

    // A copied stream takes no encoder options: FFmpeg refuses a filter on it.
    EXPECT_EQ(WithoutEncoderOptions({"-vcodec", "copy", "-b", "800", "-vf", "yadif", "-acodec", "copy", "-ab",
                                     "128000", "-af", "volume=2", "-aspect", "16:9"}),
              (QStringList{"-vcodec", "copy", "-acodec", "copy", "-aspect", "16:9"}));
    EXPECT_EQ(WithoutEncoderOptions({"-vcodec", "libx264", "-b", "800", "-acodec", "copy", "-ar", "48000"}),
              (QStringList{"-vcodec", "libx264", "-b", "800", "-acodec", "copy"}));
}

TEST(DirectArgs, ALosslessCopyKeepsEveryTrackAndTheChapters) {
    TDirectArgsInput in;
    in.StageTwoText = " -vcodec copy -aspect 16:9 -acodec copy";
    in.Settings.Size = "640:480"; // left from an earlier profile: a copied picture keeps its own
    in.Settings.Width = "640";
    in.Settings.Height = "480";
    in.TitleAspect = "16:9";
    in.OffsetSeconds = 0.005;
    in.LengthSeconds = 24;
    in.AudioStreams = {{0x80, "eng"}, {0x81, "ger"}};
    in.SubtitleTracks = {{0x20, "eng"}};
    in.CanvasSize = "720x576";
    in.Palette.fill(0x108080);
    in.Chapters = {{0, 1}, {6, 2}};
    in.OutputPath = "/o/T.mkv";
    const QStringList list = BuildDirectArguments(in);
    const QString args = list.join(' ');
    EXPECT_TRUE(args.startsWith("-n -palette 000000,") &&
                args.contains(" -canvas_size 720x576 -fflags +genpts "
                              "-thread_queue_size 512 -f mpeg -i pipe:0 "
                              "-f ffmetadata -i "))
        << args.toStdString();
    // The copy starts with the stream: the range lies a little way into it, and the marks with it.
    EXPECT_TRUE(ChapterText(list).contains("START=6005\nEND=24005\ntitle=Chapter 02\n"));
    EXPECT_TRUE(args.contains(" -map 0:v:0 -vcodec copy -aspect 16:9 -acodec copy -disposition:v:0 default "
                              "-map 0:i:0x80 "));
    EXPECT_TRUE(args.contains(" -map 0:i:0x81 ") && args.contains(" -map 0:i:0x20 "));
    EXPECT_TRUE(args.endsWith(" -map_chapters 1 -t 24.005 -aspect 16:9 /o/T.mkv")) << args.toStdString();
    EXPECT_FALSE(args.contains("scale=") || args.contains("-ss ") || args.contains("overlay"));

    // A copy starts at the group of pictures that holds the range's start, a picture ahead of it (FFmpeg
    // keeps a copied picture by its decoding time), rounded down, and runs on to the range's end.
    for (const auto& [offset, group, frame, ss, t, mark] :
         std::vector<std::tuple<double, double, double, QString, QString, QString>>{
             {0.4373, 0, 0.04, "-ss 0.397 ", "-t 24.040 ", "START=397\n"},       // a chapter: the cell's lead
             {8.4373, 0.24, 0.04, "-ss 8.157 ", "-t 24.280 ", "START=8157\n"},    // inside a cell
             {0.4373, 0, 1001.0 / 30000, "-ss 0.403 ", "-t 24.034 ", "START=403\n"}}) {
        in.OffsetSeconds = offset;
        in.GroupLeadSeconds = group;
        in.FrameSeconds = frame;
        const QStringList cut = BuildDirectArguments(in);
        const QString text = cut.join(' ');
        EXPECT_TRUE(text.contains(" " + ss + t)) << text.toStdString();
        // The first mark starts the output; the next stays where it lies in the stream, 6 s into the range.
        const QString second = QStringLiteral("START=%1\n").arg(std::llround((offset + 6) * 1000));
        EXPECT_TRUE(ChapterText(cut).contains(mark) && ChapterText(cut).contains(second))
            << ChapterText(cut).toStdString();
    }
    in.GroupLeadSeconds = 0;
    in.FrameSeconds = 0.04;

    // Encoded, the range is cut where it starts and the chapters move with it; an empty palette is left out.
    in.StageTwoText = " -vcodec libx264";
    in.OffsetSeconds = 2.5;
    in.Palette.fill(0);
    const QString encoded = BuildDirectArguments(in).join(' ');
    EXPECT_TRUE(ChapterText(BuildDirectArguments(in)).contains("START=2500\nEND=8500\ntitle=Chapter 01\n"));
    EXPECT_TRUE(encoded.contains(" -ss 2.500 -t 24.000 "));
    EXPECT_FALSE(encoded.contains("-palette") || encoded.contains("genpts"));
    EXPECT_TRUE(PaletteArgument(in.Palette).isEmpty());
}

TEST(StreamCheck, EveryKeptStreamIsThereAndLongEnough) {
    EXPECT_EQ(KeptCounts({"-map", "0:v:0", "-map", "0:i:0x80", "-map", "0:i:0x81", "-map", "0:i:0x20", "-map",
                          "0:i:0x1c0", "-map_chapters", "1"},
                         true)
                  .Audio,
              3);
    const TKeptCounts all =
        KeptCounts({"-map", "0:v:0", "-map", "0:i:0x80", "-map", "0:i:0x81", "-map", "0:i:0x20"}, true);
    EXPECT_TRUE(all.Video);
    EXPECT_EQ(all.Subtitles, 1);
    EXPECT_EQ(KeptCounts({"-i", "work.avi", "-vcodec", "mpeg4"}, true).Audio, 1); // stage two maps nothing
    EXPECT_EQ(KeptCounts({"-map", "0:i:0x80", "-an"}, true).Audio, 0);
    EXPECT_EQ(KeptCounts({"-map", "0:a:0?"}, false).Audio, 0); // a title without audio

    // As measured: video, the audio tracks in the file's order, the subtitle tracks (data streams, such as
    // an MP4's chapter text, are not counted).
    const TStreamLengths whole{24.0, 24.0, {24.0, 23.9}, 1};
    EXPECT_EQ(whole.SubtitleTracks, 1);
    EXPECT_TRUE(ShortStreamProblem(whole, 24, all).isEmpty());
    EXPECT_TRUE(MissingSubtitleNote(whole, all).isEmpty());

    const TStreamLengths secondShort{24.0, 24.0, {24.0, 11.5}, 0};
    EXPECT_TRUE(ShortStreamProblem(secondShort, 24, all).contains("audio track 2 is 11.50 s long"));
    EXPECT_TRUE(MissingSubtitleNote(secondShort, all).contains("1 of its 1 subtitle tracks"));
    const TStreamLengths oneMissing{24.0, 24.0, {24.0}, 0};
    EXPECT_TRUE(ShortStreamProblem(oneMissing, 24, all).contains("1 of its 2 audio tracks"));
}

} // namespace
