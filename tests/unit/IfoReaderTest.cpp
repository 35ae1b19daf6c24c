#include "dvd/IfoReader.h"
#include "support/IfoBuilder.h"
#include "support/TestPaths.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TIFO Parse(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadIfo(buffer, "VTS_01_0.IFO");
}

std::string ParseError(const QByteArray& bytes) {
    try {
        Parse(bytes);
    } catch (const EIfoError& e) {
        return e.what();
    }
    return "no error";
}

TChainSpec OneProgram(TBcd length) {
    TChainSpec c;
    c.PlaybackTime = length;
    c.ProgramMap = {1};
    c.Cells = {length};
    return c;
}

TEST(IfoReader, VideoAttributes) {
    struct Case {
        uint8_t High, Low;
        const char *Coding, *Standard, *Aspect, *Size;
    };
    for (const Case& c :
         {Case{0x51, 0x00, "MPEG2", "PAL", "4:3", "720x576"},
          Case{0x5D, 0x00, "MPEG2", "PAL", "16:9", "720x576"},
          Case{0x40, 0x0C, "MPEG2", "NTSC", "4:3", "352x240"},
          Case{0x10, 0x04, "MPEG1", "PAL", "4:3", "704x576"}, Case{0x64, 0x08, "MPEG2", "???", "???", "???"},
          Case{0xD0, 0x00, "???", "PAL", "4:3", "720x576"}}) {
        SCOPED_TRACE(c.Coding + std::string(" ") + c.Size);
        const TIFO ifo = Parse(TIfoBuilder().Video(c.High, c.Low).Build());
        EXPECT_EQ(ifo.Vobs.Video.CodingMode, c.Coding);
        EXPECT_EQ(ifo.Vobs.Video.Standard, c.Standard);
        EXPECT_EQ(ifo.Vobs.Video.AspectRatio, c.Aspect);
        EXPECT_EQ(ifo.Vobs.Video.FrameSize, c.Size);
    }
}

TEST(IfoReader, AudioStreamsAndLanguages) {
    const TIFO ifo = Parse(TIfoBuilder()
                               .Audio(0xC0, 0x05, "en", 3)
                               .Audio(0x60, 0x01, "  ", 1)
                               .Audio(0x04, 0x01, std::string("\0\0", 2), 9)
                               .Audio(0x80, 0x01, "EN")
                               .Audio(0xE0, 0x01, "xx")
                               .Subtitle("de")
                               .Subtitle("iw")
                               .Build());
    ASSERT_EQ(ifo.Vobs.AudioCount, 5);
    const auto& a = ifo.Vobs.Audio;
    EXPECT_EQ(a[0].CodingMode, "DTS");
    EXPECT_EQ(a[0].ChannelCount, 6);
    EXPECT_EQ(a[0].LanguageName, "English");
    EXPECT_EQ(a[0].CodeExtension, "director's comments");
    EXPECT_EQ(a[1].CodingMode, "MPEG2");
    EXPECT_EQ(a[1].ChannelCount, 2);
    EXPECT_EQ(a[1].LanguageName, "Not Specified");
    EXPECT_EQ(a[1].CodeExtension, "normal");
    EXPECT_EQ(a[2].CodingMode, "AC3");
    EXPECT_EQ(a[2].LanguageType, 1);
    EXPECT_EQ(a[2].LanguageCode, std::string("\0\0", 2));
    EXPECT_EQ(a[2].LanguageName, "???");
    EXPECT_EQ(a[2].CodeExtension, "???");
    EXPECT_EQ(a[3].CodingMode, "LPCM");
    EXPECT_EQ(a[3].LanguageName, "???");
    EXPECT_EQ(a[4].CodingMode, "???"); // coding value 7 is reserved
    EXPECT_EQ(a[4].LanguageName, "???");
    EXPECT_EQ(ifo.Vobs.SubtitleCount, 2);
    EXPECT_EQ(ifo.Vobs.SubtitleLanguages, (std::vector<std::string>{"Deutsch", "Hebrew"}));
}

TEST(IfoReader, LanguageTable) {
    EXPECT_EQ(LookupLanguage("zu"), "Zulu");
    EXPECT_EQ(LookupLanguage("bn"), "Bengali; Bangla");
    EXPECT_EQ(LookupLanguage("ji"), "Yiddish");
    EXPECT_EQ(LookupLanguage("Zu"), "???");
}

TEST(IfoReader, PlaybackTimes) {
    const uint8_t pal[4] = {0x01, 0x23, 0x45, 0x54};
    const uint8_t ntsc[4] = {0x01, 0x23, 0x45, 0xD4};
    const uint8_t fifteenAt30[4] = {0x00, 0x00, 0x00, 0xD5};
    EXPECT_EQ(BcdTimeToText(pal), "1:23:45.560");
    EXPECT_EQ(BcdTimeToText(ntsc), "1:23:45.467");
    EXPECT_EQ(BcdTimeToMs(fifteenAt30), 500);
    EXPECT_EQ(MsToTimeText(0), "0:00:00.000");
    EXPECT_EQ(MsToTimeText(3909040), "1:05:09.040");

    const uint8_t badDigit[4] = {0x00, 0x5A, 0x00, 0x40};
    const uint8_t dayLong[4] = {0x24, 0x00, 0x00, 0x40};
    EXPECT_THROW(BcdTimeToText(badDigit), std::invalid_argument);
    EXPECT_THROW(BcdTimeToText(dayLong), std::invalid_argument);
    EXPECT_EQ(BcdTimeToMs(dayLong), 24 * 3600000); // no range check here
    EXPECT_THROW(MsToTimeText(24LL * 3600000), std::invalid_argument);
}

TEST(IfoReader, ProgramsTakeTheirCellsInSequence) {
    TChainSpec c;
    c.PlaybackTime = PalTime(0, 1, 0);
    c.ProgramMap = {1, 2, 4};
    c.Cells = {PalTime(0, 0, 10), PalTime(0, 0, 5, 10), PalTime(0, 0, 4, 15), PalTime(0, 0, 20),
               PalTime(0, 0, 20)};
    c.Audio = {true, false, true};
    c.Subtitles = {false, true};
    const TIFO ifo = Parse(TIfoBuilder()
                               .Audio(0, 1, "en")
                               .Audio(0, 1, "de")
                               .Audio(0, 1, "fr")
                               .Subtitle("en")
                               .Subtitle("de")
                               .Chain(c)
                               .Chain(TChainSpec{})
                               .Build());
    ASSERT_EQ(ifo.Pgci.ChainCount, 2);
    const TProgramChain& chain = ifo.Pgci.Chains[0];
    EXPECT_EQ(chain.ProgramCount, 3);
    EXPECT_EQ(chain.CellCount, 5);
    EXPECT_EQ(chain.PlaybackTime, "0:01:00.000");
    EXPECT_EQ(chain.ProgramMap, (std::vector<uint8_t>{1, 2, 4}));
    EXPECT_EQ(chain.ChapterDurations,
              (std::vector<std::string>{"0:00:10.000", "0:00:10.000", "0:00:40.000"}));
    EXPECT_EQ(chain.ChapterStarts, (std::vector<std::string>{"0:00:00.000", "0:00:10.000", "0:00:20.000"}));
    EXPECT_EQ(chain.AudioEnabled, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(chain.SubtitleEnabled, (std::vector<bool>{false, true}));

    const TProgramChain& empty = ifo.Pgci.Chains[1];
    EXPECT_EQ(empty.ProgramCount, 0);
    EXPECT_TRUE(empty.ProgramMap.empty());
    EXPECT_TRUE(empty.ChapterDurations.empty());
    EXPECT_TRUE(empty.ChapterStarts.empty());
}

TEST(IfoReader, ReadsTablesAtLargeOffsets) {
    const TIFO ifo =
        Parse(TIfoBuilder().PgciSector(40).ChainGap(70000).Chain(OneProgram(PalTime(0, 2, 3))).Build());
    ASSERT_EQ(ifo.Pgci.Chains.size(), 1u);
    EXPECT_EQ(ifo.Pgci.Chains[0].PlaybackTime, "0:02:03.000");
    EXPECT_EQ(ifo.Pgci.Chains[0].ChapterDurations[0], "0:02:03.000");
}

TEST(IfoReader, MalformedFilesFailWithTheFileAndTheProblem) {
    const QByteArray good = TIfoBuilder().Audio(0, 1, "en").Chain(OneProgram(PalTime(0, 0, 30))).Build();

    TChainSpec badDigit = OneProgram(PalTime(0, 0, 30));
    badDigit.PlaybackTime[2] = 0x3B;
    TChainSpec dayLongProgram;
    dayLongProgram.ProgramMap = {1};
    dayLongProgram.Cells = {PalTime(23, 0, 0), PalTime(1, 0, 0)};
    TChainSpec wrappingMap; // a following entry of 0 wraps to 255 cells, far past the end of the file
    wrappingMap.ProgramMap = {1, 0};
    wrappingMap.Cells = {PalTime(0, 0, 1)};

    struct Case {
        const char* Name;
        QByteArray Bytes;
        const char* Message;
    };
    for (const Case& c : {
             Case{"empty file", QByteArray(), "Stream read error"},
             Case{"zero-filled", QByteArray(0x3000, '\0'), "not a DVD title-set information file"},
             Case{"another kind of file", TIfoBuilder().WithoutIdentifier().Build(),
                  "not a DVD title-set information file"},
             Case{"truncated in the chain table", good.left(good.size() - 30), "Stream read error"},
             Case{"cut before the chain table", good.left(0x800), "Stream read error"},
             Case{"bad BCD digit", TIfoBuilder().Chain(badDigit).Build(),
                  "'3B' is not a valid integer value"},
             Case{"program of 24 hours", TIfoBuilder().Chain(dayLongProgram).Build(),
                  "Invalid argument to time encode"},
             Case{"wrapping program map", TIfoBuilder().Chain(wrappingMap).Build(), "Stream read error"},
             Case{"audio count beyond the file", TIfoBuilder().AudioCountOverride(60000).Build(),
                  "Stream read error"},
         }) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ParseError(c.Bytes), std::string("VTS_01_0.IFO: ") + c.Message);
    }
}

TEST(IfoReader, MissingFileNamesThePath) {
    QTemporaryDir dir;
    const QString path = dir.filePath("VTS_07_0.IFO");
    try {
        ReadIfo(path);
        FAIL() << "no error";
    } catch (const EIfoError& e) {
        EXPECT_TRUE(QString(e.what()).startsWith(path + ": cannot open the file")) << e.what();
    }
}

// What a parse gave, in one text, to compare the parse of a damaged copy with the whole file's.
std::string Summary(const TIFO& ifo) {
    std::string text = ifo.Vobs.Video.Standard + " " + ifo.Vobs.Video.FrameSize + " " + ifo.Vobs.Video.AspectRatio +
                       " audio " + std::to_string(ifo.Vobs.Audio.size()) + " subtitles " +
                       std::to_string(ifo.Vobs.SubtitleLanguages.size());
    for (const TProgramChain& chain : ifo.Pgci.Chains) {
        text += " | " + chain.PlaybackTime + " " + std::to_string(chain.CellCount);
        for (const std::string& chapter : chain.ChapterDurations)
            text += " " + chapter;
    }
    return text;
}

// Every prefix of a real file is refused until it holds all the reader needs, and from there gives exactly
// what the whole file gives. A copy with bits flipped is refused or gives a result whose lists hold as many
// entries as their counts say, with each text one of those the reader makes.
TEST(IfoReader, DamagedCopiesOfARealFileAreRefusedOrReadConsistently) {
    const QString path = RealIfoDir() + "/shadok1/VIDEO_TS/VTS_08_0.IFO";
    REQUIRE_REAL_IFO(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray real = file.readAll();
    const std::string whole = Summary(Parse(real));
    bool parsedBefore = false;
    QList<qsizetype> cuts;
    for (qsizetype cut = 0; cut < real.size(); cut += 97)
        cuts << cut;
    cuts << real.size();
    for (const qsizetype cut : cuts) {
        SCOPED_TRACE(cut);
        try {
            EXPECT_EQ(Summary(Parse(real.left(cut))), whole);
            parsedBefore = true;
        } catch (const EIfoError& e) {
            EXPECT_FALSE(parsedBefore) << "a longer prefix is refused: " << e.what();
            EXPECT_NE(std::string(e.what()), "");
        }
    }
    EXPECT_TRUE(parsedBefore);

    uint32_t seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        QByteArray copy = real;
        for (int flips = 0; flips < 4; ++flips) {
            seed = seed * 1664525 + 1013904223;
            copy[qsizetype(seed % uint32_t(copy.size()))] ^= char(1 << (seed >> 29));
        }
        SCOPED_TRACE(round);
        try {
            const TIFO ifo = Parse(copy);
            EXPECT_EQ(ifo.Vobs.Audio.size(), ifo.Vobs.AudioCount);
            EXPECT_EQ(ifo.Vobs.SubtitleLanguages.size(), ifo.Vobs.SubtitleCount);
            EXPECT_EQ(ifo.Pgci.Chains.size(), ifo.Pgci.ChainCount);
            for (const TProgramChain& chain : ifo.Pgci.Chains)
                EXPECT_EQ(chain.ProgramMap.size(), chain.ProgramCount);
            EXPECT_TRUE(ifo.Vobs.Video.Standard == "PAL" || ifo.Vobs.Video.Standard == "NTSC" ||
                        ifo.Vobs.Video.Standard == "???");
            EXPECT_TRUE(ifo.Vobs.Video.AspectRatio == "4:3" || ifo.Vobs.Video.AspectRatio == "16:9" ||
                        ifo.Vobs.Video.AspectRatio == "???");
        } catch (const EIfoError& e) {
            EXPECT_NE(std::string(e.what()), "");
        }
        if (HasFailure())
            break;
    }
}

TEST(IfoReader, RealFileMatchesItsReference) {
    const QString path = RealIfoDir() + "/shadok1/VIDEO_TS/VTS_08_0.IFO";
    REQUIRE_REAL_IFO(path);
    const TIFO ifo = ReadIfo(path);
    EXPECT_EQ(ifo.Vobs.Video.Standard, "PAL");
    ASSERT_EQ(ifo.Vobs.Audio.size(), 1u);
    EXPECT_EQ(ifo.Vobs.Audio[0].CodingMode, "LPCM");
    EXPECT_EQ(ifo.Vobs.Audio[0].ChannelCount, 2);
    ASSERT_GE(ifo.Pgci.Chains.size(), 1u);
    const TProgramChain& chain = ifo.Pgci.Chains[0];
    EXPECT_EQ(chain.PlaybackTime, "2:03:55.960");
    ASSERT_EQ(chain.ProgramCount, 52);
    EXPECT_EQ(chain.ChapterDurations[0], "0:02:46.320");
    EXPECT_EQ(chain.ChapterDurations[1], "0:02:08.880");
    EXPECT_EQ(chain.ChapterStarts[2], "0:04:55.200");
}

} // namespace
