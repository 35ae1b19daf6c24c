#include "dvd/DiscLoader.h"
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"
#include "support/IfoBuilder.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Answers as the DVD library would for a disc whose titles are listed in Titles.
class TFakeDvdAccess : public TDvdAccess {
public:
    struct TTitle {
        int TitleSet, Chain, Angles;
    };
    std::vector<TTitle> Titles;
    bool Opens = true;
    QString OpenedPath;

    bool OpenDVD(const QString& path) override {
        OpenedPath = path;
        return Opens;
    }
    int GetTitleNum() override { return int(Titles.size()); }
    void GetIndexInfo(int title, int& titleSet, int& chain) override {
        titleSet = Titles[size_t(title)].TitleSet;
        chain = Titles[size_t(title)].Chain;
    }
    int GetTitleAngle(int title) override { return Titles[size_t(title)].Angles; }
    QString ErrorText() const override { return "cannot open"; }
};

QStringList Texts(const TTaskListModel& tasks, const TTaskNode& n) {
    return {n.DisplayText, tasks.CellText(n, TTaskListModel::ColStart),
            tasks.CellText(n, TTaskListModel::ColEnd), tasks.CellText(n, TTaskListModel::ColOutput)};
}

class DiscLoader : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Root.isValid());
        Disc = Root.path() + "/DISC/";
        ASSERT_TRUE(QDir().mkpath(Disc + "VIDEO_TS"));
        QFile menu(Disc + "VIDEO_TS/VIDEO_TS.IFO"); // a sector the fake library is not asked about
        ASSERT_TRUE(menu.open(QIODevice::WriteOnly) && menu.write(QByteArray(2048, '\0')) == 2048);
    }
    void Write(const QString& name, const TIfoBuilder& builder) {
        ASSERT_TRUE(builder.WriteTo(Disc + "VIDEO_TS/" + name)) << name.toStdString();
    }
    TLoadResult Load(const QString& path) { return LoadDisc(path, Context, Tasks, Library); }

    QTemporaryDir Root;
    QString Disc;
    TAppContext Context;
    TTaskListModel Tasks{Context};
    TFakeDvdAccess Library;
};

TEST_F(DiscLoader, BuildsTitleAndChapterRows) {
    TChainSpec main;
    main.PlaybackTime = PalTime(0, 0, 16, 18); // 16.72 s
    main.ProgramMap = {1, 2, 3};
    main.Cells = {PalTime(0, 0, 10, 10), PalTime(0, 0, 5, 8), PalTime(0, 0, 1)}; // 10.4 s, 5.32 s, 1 s
    main.Audio = {true, false, true};
    main.Subtitles = {false};
    TChainSpec Empty;
    Empty.PlaybackTime = PalTime(0, 1, 0);
    Write("VTS_01_0.IFO", TIfoBuilder()
                              .Video(0x5D, 0x00)
                              .Audio(0x00, 0x05, "en")
                              .Audio(0x00, 0x01, "de")
                              .Audio(0x80, 0x01, std::string("\0\0", 2))
                              .Subtitle("en")
                              .Chain(main)
                              .Chain(Empty));
    Library.Titles = {{0, 0, 2}, {0, 1, 1}};
    Context.OutputExt = ".mp4";

    const TLoadResult result = Load(Disc);
    ASSERT_TRUE(result.LibraryOpened);
    EXPECT_FALSE(Library.OpenedPath.isEmpty()); // the copies of the information files the library read
    EXPECT_EQ(Context.DVDInformation.DiscPath, Disc + "VIDEO_TS/");
    EXPECT_EQ(Context.DVDInformation.Standard, "PAL");
    EXPECT_EQ(Context.DVDInformation.FrameRate, 25);
    ASSERT_EQ(Tasks.TitleCount(), 2);

    const TTaskNode& t1 = *Tasks.Title(0);
    EXPECT_EQ(Texts(Tasks, t1),
              (QStringList{"Title01 [MPEG2 720x576 PAL 16:9]", "00:00:00", "00:00:17", "Title01.mp4"}));
    EXPECT_EQ(t1.FrameSizeText, "720:576");
    EXPECT_EQ(t1.AspectText, "16:9");
    EXPECT_EQ(t1.FullLength, 17);
    EXPECT_EQ(t1.AudioTracks, (QStringList{"English AC3 6ch", "??? LPCM 2ch"}));
    EXPECT_EQ(t1.AudioLanguages, (QStringList{"en", ""}));
    EXPECT_EQ(t1.Subtitles, QStringList{"None"});
    EXPECT_EQ(t1.AngleCount, 2);
    EXPECT_EQ(t1.Checked, 0);
    ASSERT_EQ(t1.Children.size(), 3u);
    // Each start is rounded alone, each end is that start plus the exact duration.
    EXPECT_EQ(Texts(Tasks, *t1.Children[0]),
              (QStringList{"Chapter01", "00:00:00", "00:00:10", "Title01-Chapter01.mp4"}));
    EXPECT_EQ(Texts(Tasks, *t1.Children[1]),
              (QStringList{"Chapter02", "00:00:10", "00:00:15", "Title01-Chapter02.mp4"}));
    EXPECT_EQ(Texts(Tasks, *t1.Children[2]),
              (QStringList{"Chapter03", "00:00:16", "00:00:17", "Title01-Chapter03.mp4"}));
    EXPECT_EQ(t1.Children[2]->ChapterIndex, 2);
    EXPECT_EQ(t1.Children[2]->ImageIndex, 1);
    EXPECT_EQ(t1.Children[2]->FullLength, 0);
    EXPECT_TRUE(t1.Children[2]->AudioTracks.isEmpty());

    const TTaskNode& t2 = *Tasks.Title(1); // a chain without programs
    EXPECT_EQ(t2.FullEndText, "00:01:00");
    EXPECT_TRUE(t2.Children.empty());
}

TEST_F(DiscLoader, TitlesThatCannotBePlacedAreShownWithoutChapters) {
    TChainSpec chain;
    chain.PlaybackTime = PalTime(0, 0, 30);
    chain.ProgramMap = {1};
    chain.Cells = {PalTime(0, 0, 30)};
    Write("VTS_01_0.IFO", TIfoBuilder().Video(0x4C, 0x00).Chain(chain)); // NTSC 16:9
    Write("VTS_03_0.IFO", TIfoBuilder().Video(0x5D, 0x00).Chain(chain)); // title set 2 is missing
    Library.Titles = {{0, 0, 1}, {1, 0, 1}, {2, 0, 3}, {0, 7, 1}, {-1, -1, 1}, {0, -1, 1}};

    ASSERT_TRUE(Load(Disc).LibraryOpened);
    ASSERT_EQ(Tasks.TitleCount(), 6);
    EXPECT_EQ(Tasks.Title(0)->DisplayText, "Title01 [MPEG2 720x480 NTSC 16:9]");
    // Title set 3 is found by its number, not by its place in the folder listing.
    EXPECT_EQ(Tasks.Title(2)->DisplayText, "Title03 [MPEG2 720x576 PAL 16:9]");
    EXPECT_EQ(Tasks.Title(2)->Children.size(), 1u);
    EXPECT_EQ(Tasks.Title(2)->AngleCount, 3);
    for (int i : {1, 3, 4, 5}) {
        const TTaskNode& t = *Tasks.Title(i);
        EXPECT_EQ(t.DisplayText, QStringLiteral("Title%1 [???]").arg(i + 1, 2, 10, QChar('0')));
        EXPECT_EQ(t.FullEndText, "00:00:00");
        EXPECT_TRUE(t.Children.empty());
        EXPECT_TRUE(t.AudioTracks.isEmpty());
        EXPECT_EQ(t.Subtitles, QStringList{"None"});
    }
    // The last placeable title decides the standard.
    EXPECT_EQ(Context.DVDInformation.Standard, "PAL");
    EXPECT_EQ(Context.DVDInformation.FrameRate, 25);
}

TEST_F(DiscLoader, NtscDiscAndHundredTitles) {
    TChainSpec chain;
    chain.ProgramMap = {1};
    chain.Cells = {PalTime(0, 0, 1)};
    Write("VTS_01_0.IFO", TIfoBuilder().Video(0x40, 0x00).Chain(chain));
    Library.Titles.assign(100, {0, 0, 1});
    ASSERT_TRUE(Load(Disc + "VIDEO_TS").LibraryOpened);
    EXPECT_EQ(Context.DVDInformation.Standard, "NTSC");
    EXPECT_DOUBLE_EQ(Context.DVDInformation.FrameRate, 29.97);
    ASSERT_EQ(Tasks.TitleCount(), 100);
    EXPECT_EQ(Tasks.Title(99)->ShortName, "Title100");
    EXPECT_EQ(Tasks.Title(99)->Children[0]->OutputName, "Title100-Chapter01");
    EXPECT_EQ(Context.DVDInformation.DiscPath, Disc + "VIDEO_TS/");
}

// A disc mounted from some file systems shows its names in lower case; a title set numbered past a gap
// is read all the same.
TEST_F(DiscLoader, TitleSetsInLowerCaseAndPastAGapAreRead) {
    TChainSpec chain;
    chain.ProgramMap = {1, 2};
    chain.Cells = {PalTime(0, 0, 1), PalTime(0, 0, 2)};
    Write("vts_03_0.ifo", TIfoBuilder().Video(0x40, 0x00).Chain(chain));
    Library.Titles = {{2, 0, 1}};
    ASSERT_TRUE(Load(Disc).LibraryOpened);
    ASSERT_EQ(Context.TitleSets.size(), 1u);
    EXPECT_EQ(Context.TitleSets[0].Number, 3);
    EXPECT_EQ(Context.DVDInformation.Standard, "NTSC");
    ASSERT_EQ(Tasks.TitleCount(), 1);
    EXPECT_EQ(Tasks.Title(0)->Children.size(), 2u);
}

TEST_F(DiscLoader, AMalformedTitleSetEndsTheLoadBeforeAnyRow) {
    Write("VTS_01_0.IFO", TIfoBuilder().Chain(TChainSpec{}));
    QFile broken(Disc + "VIDEO_TS/VTS_02_0.IFO");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(TIfoBuilder().Build().left(0x300));
    broken.close();
    Library.Titles = {{0, 0, 1}};
    try {
        Load(Disc);
        FAIL() << "no error";
    } catch (const EIfoError& e) {
        EXPECT_EQ(std::string(e.what()), (Disc + "VIDEO_TS/VTS_02_0.IFO: empty, or shorter than one 2048-byte sector").toStdString());
    }
    EXPECT_TRUE(Tasks.IsEmpty());
}

TEST_F(DiscLoader, AFolderThatIsNoDiscListsNothing) {
    Library.Titles = {{0, 0, 1}};
    TLoadResult result = Load(Root.path()); // no VIDEO_TS.IFO here nor in a VIDEO_TS below
    EXPECT_FALSE(result.LibraryOpened);
    EXPECT_EQ(result.LibraryError, Root.path() +
                                       ": no DVD-Video here (neither it nor a VIDEO_TS folder in it "
                                       "holds VIDEO_TS.IFO)");
    EXPECT_TRUE(Library.OpenedPath.isEmpty());
    EXPECT_TRUE(Tasks.IsEmpty());
    EXPECT_TRUE(Context.TitleSets.empty());

    Library.Opens = false;
    result = Load(Disc);
    EXPECT_FALSE(result.LibraryOpened);
    EXPECT_EQ(result.LibraryError, "cannot open");
    EXPECT_TRUE(Tasks.IsEmpty());
}

// The real library on the generated sample discs and on real IFO sets.

struct TLoaded {
    TAppContext Context;
    TTaskListModel Tasks{Context};
    TLoadResult Result;
    std::unique_ptr<TDvdAccess> Library = CreateDvdReadAccess();
    explicit TLoaded(const QString& path) { Result = LoadDisc(path, Context, Tasks, *Library); }
};

TEST(DiscLoaderOnDiscs, SamplePalDisc) {
    const QString disc = SampleDiscDir("pal");
    ASSERT_TRUE(QFile::exists(disc + "/VIDEO_TS/VIDEO_TS.IFO"))
        << "sample disc missing at " << disc.toStdString();
    TLoaded d(disc);
    ASSERT_TRUE(d.Result.LibraryOpened) << d.Result.LibraryError.toStdString();
    ASSERT_EQ(d.Tasks.TitleCount(), 3);
    EXPECT_EQ(d.Context.DVDInformation.Standard, "PAL");
    EXPECT_EQ(d.Context.DVDInformation.FrameRate, 25);
    const TTaskNode& t1 = *d.Tasks.Title(0);
    EXPECT_EQ(t1.DisplayText, "Title01 [MPEG2 720x576 PAL 16:9]");
    EXPECT_EQ(t1.FullEndText, "00:00:24");
    EXPECT_EQ(t1.AudioTracks, (QStringList{"English AC3 2ch", "Deutsch AC3 2ch"}));
    EXPECT_EQ(t1.AudioLanguages, (QStringList{"en", "de"}));
    EXPECT_EQ(t1.Subtitles, (QStringList{"None", "English"}));
    EXPECT_EQ(t1.AngleCount, 1);
    ASSERT_EQ(t1.Children.size(), 4u);
    EXPECT_EQ(t1.Children[3]->FullStartText, "00:00:18");
    EXPECT_EQ(t1.Children[3]->FullEndText, "00:00:24");
    EXPECT_EQ(d.Tasks.Title(1)->Children.size(), 2u);
    const TTaskNode& t3 = *d.Tasks.Title(2);
    EXPECT_EQ(t3.DisplayText, "Title03 [MPEG2 720x576 PAL 4:3]");
    EXPECT_EQ(t3.AudioTracks, QStringList{"French AC3 2ch"});
    EXPECT_EQ(t3.Children.size(), 3u);
}

TEST(DiscLoaderOnDiscs, SampleNtscDisc) {
    TLoaded d(SampleDiscDir("ntsc") + "/VIDEO_TS/");
    ASSERT_TRUE(d.Result.LibraryOpened) << d.Result.LibraryError.toStdString();
    EXPECT_EQ(d.Context.DVDInformation.Standard, "NTSC");
    EXPECT_DOUBLE_EQ(d.Context.DVDInformation.FrameRate, 29.97);
    ASSERT_EQ(d.Tasks.TitleCount(), 3);
    EXPECT_EQ(d.Tasks.Title(0)->DisplayText, "Title01 [MPEG2 720x480 NTSC 16:9]");
    EXPECT_EQ(d.Tasks.Title(0)->FrameSizeText, "720:480");
}

TEST(DiscLoaderOnDiscs, MissingTitleSetFileOnARealLibrary) {
    QTemporaryDir copy;
    const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
    const QString to = copy.path() + "/VIDEO_TS/";
    ASSERT_TRUE(QDir().mkpath(to));
    for (const QString& name : QDir(from).entryList({"*.IFO", "*.BUP"}, QDir::Files)) {
        if (!name.startsWith("VTS_02")) {
            ASSERT_TRUE(QFile::copy(from + name, to + name));
        }
    }
    TLoaded d(copy.path());
    ASSERT_TRUE(d.Result.LibraryOpened) << d.Result.LibraryError.toStdString();
    ASSERT_EQ(d.Tasks.TitleCount(), 3);
    EXPECT_EQ(d.Tasks.Title(0)->Children.size(), 4u);
    EXPECT_EQ(d.Tasks.Title(2)->DisplayText, "Title03 [???]");
    EXPECT_TRUE(d.Tasks.Title(2)->Children.empty());
}

TEST(DiscLoaderOnDiscs, RealIfoSet) {
    const QString disc = RealIfoDir() + "/shadok1";
    REQUIRE_REAL_IFO(disc + "/VIDEO_TS/VIDEO_TS.IFO");
    TLoaded d(disc);
    ASSERT_TRUE(d.Result.LibraryOpened) << d.Result.LibraryError.toStdString();
    EXPECT_EQ(d.Context.TitleSets.size(), 9u);
    ASSERT_EQ(d.Tasks.TitleCount(), 9);
    const TTaskNode& t8 = *d.Tasks.Title(7);
    EXPECT_EQ(t8.DisplayText, "Title08 [MPEG2 720x576 PAL 4:3]");
    EXPECT_EQ(t8.FullEndText, "02:03:56");
    EXPECT_EQ(t8.AudioTracks, QStringList{"??? LPCM 2ch"});
    EXPECT_EQ(t8.AudioLanguages.size(), 1);
    EXPECT_EQ(t8.Children.size(), 52u);
    EXPECT_EQ(d.Tasks.CheckLongestTitle(), &t8);
    // Nine titles, each alone in its title set: none repeats another. The cell counts are lsdvd's.
    const std::vector<size_t> lsdvdCells = {1, 1, 1, 1, 1, 1, 1, 52, 1};
    for (int i = 0; i < 9; ++i) {
        EXPECT_FALSE(d.Tasks.Title(i)->RepeatsOthers()) << "title " << i + 1;
        EXPECT_EQ(d.Context.TitleSets[size_t(i)].Ifo.Pgci.Chains[0].CellSectors.size(), lsdvdCells[size_t(i)])
            << "title " << i + 1;
    }
}

// Every cell's first and last sector, title by title, as lsdvd (the reference reader) reports them and as
// the loaded title sets hold them.
QString LsdvdSectors(const QString& disc) {
    QProcess lsdvd;
    lsdvd.start("lsdvd", {"-d", "-Oy", disc});
    if (!lsdvd.waitForFinished(60000))
        return "lsdvd did not run";
    static const QRegularExpression cell(
        QStringLiteral("'first_sector' : (\\d+),\\s*'last_sector' : (\\d+)"));
    QStringList cells;
    for (const auto& m : cell.globalMatch(QString::fromUtf8(lsdvd.readAllStandardOutput())))
        cells << m.captured(1) + "-" + m.captured(2);
    return cells.join(' ');
}

QString LoadedSectors(const TLoaded& d) {
    QStringList cells;
    for (int i = 0; i < d.Tasks.TitleCount(); ++i) {
        int set = -1, chain = -1;
        d.Library->GetIndexInfo(i, set, chain);
        for (const TCellSectors& c :
             d.Context.TitleSets[size_t(set)].Ifo.Pgci.Chains[size_t(chain)].CellSectors)
            cells << QStringLiteral("%1-%2").arg(c.First).arg(c.Last);
    }
    return cells.join(' ');
}

TEST(DiscLoaderOnDiscs, CellSectorsAgreeWithLsdvd) {
    for (const QString& disc : {RealIfoDir() + "/shadok1", SampleDiscDir("playall-pal")}) {
        if (!QFile::exists(disc + "/VIDEO_TS/VIDEO_TS.IFO"))
            continue;
        SCOPED_TRACE(disc.toStdString());
        TLoaded d(disc);
        ASSERT_TRUE(d.Result.LibraryOpened) << d.Result.LibraryError.toStdString();
        const QString expected = LsdvdSectors(disc);
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(LoadedSectors(d), expected);
    }
}

// The real set with its title table changed so that title 9 plays title 8's chain, as discs list a film
// twice: title 9 is marked as the same as 8, and 8 stays the checked one.
TEST(DiscLoaderOnDiscs, RealIfoSetListingATitleTwice) {
    const QString from = RealIfoDir() + "/shadok1/VIDEO_TS/";
    if (!QFile::exists(from + "VIDEO_TS.IFO"))
        GTEST_SKIP() << "real IFO fixtures not present";
    QTemporaryDir copy;
    const QString to = copy.path() + "/VIDEO_TS/";
    ASSERT_TRUE(QDir().mkpath(to));
    for (const QString& name : QDir(from).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from + name, to + name));
    QFile menu(to + "VIDEO_TS.IFO");
    ASSERT_TRUE(menu.setPermissions(menu.permissions() | QFileDevice::WriteOwner));
    ASSERT_TRUE(menu.open(QIODevice::ReadWrite));
    QByteArray bytes = menu.readAll();
    const auto u32 = [&bytes](int at) {
        return int(uint8_t(bytes[at])) << 24 | int(uint8_t(bytes[at + 1])) << 16 |
               int(uint8_t(bytes[at + 2])) << 8 | int(uint8_t(bytes[at + 3]));
    };
    const int title9 = u32(0xC4) * 2048 + 8 + 12 * 8;
    bytes[title9 + 6] = 8; // title set 8
    bytes[title9 + 7] = 1; // its first title
    menu.seek(0);
    ASSERT_EQ(menu.write(bytes), bytes.size());
    menu.close();

    TLoaded d(copy.path());
    ASSERT_TRUE(d.Result.LibraryOpened) << d.Result.LibraryError.toStdString();
    ASSERT_EQ(d.Tasks.TitleCount(), 9);
    EXPECT_EQ(d.Tasks.Title(8)->SameAs, 8);
    EXPECT_TRUE(d.Tasks.Title(7)->PlaysTitles.empty());
    EXPECT_EQ(d.Tasks.Title(7)->SameAs, 0);
    EXPECT_EQ(d.Tasks.CheckLongestTitle(), d.Tasks.Title(7));
}

} // namespace
