// velloric-cli list against lsdvd, the reference reader, on the sample discs and real IFO sets.
#include "support/TestPaths.h"
#include "support/RunProgram.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {


TRun Cli(const QStringList& args) {
    return RunProgram(ProgramBinDir() + "/velloric-cli", args, 60000);
}

double Seconds(const QString& hms) {
    const QStringList p = hms.split(':');
    return p.size() == 3 ? p[0].toDouble() * 3600 + p[1].toDouble() * 60 + p[2].toDouble() : -1;
}

struct TRefChapter {
    double Length;
};
struct TRefTitle {
    double Length = 0;
    int Angles = 0, Audio = 0, Subtitles = 0;
    std::vector<double> Chapters;
};

// What lsdvd -a -c -s -n prints, title by title.
std::vector<TRefTitle> ParseLsdvd(const QString& text) {
    static const QRegularExpression title(
        QStringLiteral("^Title: \\d+, Length: ([\\d:.]+) Chapters: \\d+, Cells: \\d+, Audio streams: (\\d+), "
                       "Subpictures: (\\d+)"));
    static const QRegularExpression angles(QStringLiteral("Number of Angles: (\\d+)"));
    static const QRegularExpression chapter(QStringLiteral("^\\s*Chapter: \\d+, Length: ([\\d:.]+)"));
    std::vector<TRefTitle> titles;
    for (const QString& line : text.split('\n')) {
        if (auto m = title.match(line); m.hasMatch()) {
            titles.push_back({Seconds(m.captured(1)), 1, m.captured(2).toInt(), m.captured(3).toInt(), {}});
        } else if (auto a = angles.match(line); a.hasMatch() && !titles.empty()) {
            titles.back().Angles = a.captured(1).toInt();
        } else if (auto c = chapter.match(line); c.hasMatch() && !titles.empty()) {
            titles.back().Chapters.push_back(Seconds(c.captured(1)));
        }
    }
    return titles;
}

void ExpectAgreesWithLsdvd(const QString& disc, const std::vector<TRefTitle>& reference) {
    const TRun run = Cli({"list", disc});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
    QJsonParseError error;
    const QJsonObject list = QJsonDocument::fromJson(run.Out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.Out.toStdString();
    const QJsonArray titles = list["titles"].toArray();
    ASSERT_EQ(size_t(titles.size()), reference.size());
    for (size_t i = 0; i < reference.size(); ++i) {
        SCOPED_TRACE("title " + std::to_string(i + 1));
        const QJsonObject t = titles[qsizetype(i)].toObject();
        const TRefTitle& ref = reference[i];
        EXPECT_EQ(t["number"].toInt(), int(i + 1));
        EXPECT_NEAR(Seconds(t["end"].toString()), ref.Length, 1.0);
        EXPECT_EQ(t["angles"].toInt(), ref.Angles);
        EXPECT_EQ(t["audio"].toArray().size(), ref.Audio);
        EXPECT_EQ(t["subtitles"].toArray().size(), ref.Subtitles + 1); // "None" first
        const QJsonArray chapters = t["chapters"].toArray();
        ASSERT_EQ(size_t(chapters.size()), ref.Chapters.size());
        double start = 0;
        for (size_t j = 0; j < ref.Chapters.size(); ++j) {
            const QJsonObject c = chapters[qsizetype(j)].toObject();
            EXPECT_NEAR(Seconds(c["start"].toString()), start, 1.0) << "chapter " << j + 1;
            EXPECT_NEAR(Seconds(c["end"].toString()) - Seconds(c["start"].toString()), ref.Chapters[j], 1.0)
                << "chapter " << j + 1;
            start += ref.Chapters[j];
        }
    }
}

std::vector<TRefTitle> LsdvdOf(const QString& disc) {
    const TRun run = RunProgram("lsdvd", {"-a", "-c", "-s", "-n", disc});
    return ParseLsdvd(QString::fromUtf8(run.Out));
}

TEST(CliList, AgreesWithLsdvdOnTheSampleDiscs) {
    for (const QString standard : {"pal", "ntsc"}) {
        SCOPED_TRACE(standard.toStdString());
        const auto reference = LsdvdOf(SampleDiscDir(standard));
        ASSERT_EQ(reference.size(), 3u);
        ExpectAgreesWithLsdvd(SampleDiscDir(standard), reference);
    }
}

TEST(CliList, AgreesWithTheRecordedLsdvdOnRealIfoSets) {
    const QString disc = RealIfoDir() + "/shadok1";
    REQUIRE_REAL_IFO(disc + "/lsdvd.txt");
    QFile recorded(disc + "/lsdvd.txt");
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    const auto reference = ParseLsdvd(QString::fromUtf8(recorded.readAll()));
    ASSERT_EQ(reference.size(), 9u);
    ExpectAgreesWithLsdvd(disc, reference);
}

TEST(CliList, PrintsTheRowTexts) {
    const TRun run = Cli({"list", SampleDiscDir("pal") + "/VIDEO_TS"});
    ASSERT_EQ(run.ExitCode, 0);
    const QJsonObject list = QJsonDocument::fromJson(run.Out).object();
    EXPECT_EQ(list["discPath"].toString(), SampleDiscDir("pal") + "/VIDEO_TS/");
    EXPECT_EQ(list["standard"].toString(), "PAL");
    EXPECT_EQ(list["frameRate"].toDouble(), 25);
    const QJsonObject t1 = list["titles"].toArray()[0].toObject();
    EXPECT_EQ(t1["displayText"].toString(), "Title01 [MPEG2 720x576 PAL 16:9]");
    EXPECT_EQ(t1["frameSize"].toString(), "720:576");
    EXPECT_EQ(t1["aspect"].toString(), "16:9");
    EXPECT_EQ(t1["outputName"].toString(), "Title01");
    EXPECT_TRUE(t1["checked"].toBool()); // the longest title, as the window checks it
    EXPECT_EQ(t1["audio"].toArray()[1].toObject()["description"].toString(), "Deutsch AC3 2ch");
    EXPECT_EQ(t1["audio"].toArray()[1].toObject()["language"].toString(), "de");
    EXPECT_EQ(t1["subtitles"].toArray()[1].toString(), "English");
    const QJsonObject c2 = t1["chapters"].toArray()[1].toObject();
    EXPECT_EQ(c2["start"].toString(), "00:00:06");
    EXPECT_EQ(c2["end"].toString(), "00:00:12");
    EXPECT_EQ(c2["outputName"].toString(), "Title01-Chapter02");
}

// Title03 plays Title01's cell and then Title02's; Title04 is another chain over Title01's cell.
TEST(CliList, MarksPlayAllAndRepeatedTitles) {
    const TRun run = Cli({"list", SampleDiscDir("playall-pal")});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QJsonArray titles = QJsonDocument::fromJson(run.Out).object()["titles"].toArray();
    ASSERT_EQ(titles.size(), 4);
    for (int i : {0, 1}) {
        EXPECT_FALSE(titles[i].toObject().contains("sameAs")) << i;
        EXPECT_FALSE(titles[i].toObject().contains("playsTitles")) << i;
    }
    EXPECT_EQ(titles[2].toObject()["playsTitles"].toArray(), (QJsonArray{1, 2}));
    EXPECT_FALSE(titles[2].toObject().contains("sameAs"));
    EXPECT_EQ(titles[3].toObject()["sameAs"].toInt(), 1);
    EXPECT_FALSE(titles[3].toObject().contains("playsTitles"));
    // The "play all" is the longest, and Title04 as long as Title01: the first title of its own is checked.
    EXPECT_TRUE(titles[0].toObject()["checked"].toBool());
    EXPECT_FALSE(titles[2].toObject()["checked"].toBool());
    EXPECT_FALSE(titles[3].toObject()["checked"].toBool());
}

TEST(CliList, FoldersThatCannotBeLoadedFailCleanly) {
    QTemporaryDir empty;
    QTemporaryDir damaged;
    QDir().mkpath(damaged.path() + "/VIDEO_TS");
    QFile::copy(SampleDiscDir("pal") + "/VIDEO_TS/VIDEO_TS.IFO", damaged.path() + "/VIDEO_TS/VIDEO_TS.IFO");
    QFile cut(damaged.path() + "/VIDEO_TS/VTS_01_0.IFO");
    cut.open(QIODevice::WriteOnly);
    cut.write(QByteArray(700, '\x11'));
    cut.close();

    struct Case {
        QStringList Args;
        QString ErrorPart;
    };
    for (const Case& c :
         {Case{{"list", empty.path()}, empty.path()},
          Case{{"list", damaged.path()},
               damaged.path() + "/VIDEO_TS/VTS_01_0.IFO: empty, or shorter than one 2048-byte sector"},
          Case{{"list", "/no/such/folder"}, "/no/such/folder: not a folder"},
          Case{{"list"}, "list takes one PATH"}, Case{{"frobnicate"}, "unknown command"}}) {
        SCOPED_TRACE(c.Args.join(' ').toStdString());
        const TRun run = Cli(c.Args);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_TRUE(run.Out.isEmpty());
        EXPECT_TRUE(QString::fromUtf8(run.Err).contains(c.ErrorPart)) << run.Err.toStdString();
        EXPECT_EQ(run.Err.count('\n'), 1) << run.Err.toStdString();
    }
}

TEST(CliList, HelpAndVersion) {
    const TRun help = Cli({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.contains("list PATH"));
    const TRun version = Cli({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_TRUE(version.Out.startsWith("velloric-cli "));
}

} // namespace
