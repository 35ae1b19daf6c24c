// velloric-cli convert with the real encoders on the generated sample discs.
#include "support/JsonProgress.h"
#include "support/MediaProbe.h"
#include "support/ProgramFolder.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

struct TRun {
    int ExitCode = -1;
    QByteArray Out, Err;
};

class CliConvert : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Root = new QTemporaryDir;
        // A disc folder and an output folder whose names hold blanks, quotes and shell characters.
        Disc = Root->filePath("disc \"one\" it's $x;") + "/";
        QDir().mkpath(Disc + "VIDEO_TS");
        const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
        for (const QString& name : QDir(from).entryList(QDir::Files))
            QFile::copy(from + name, Disc + "VIDEO_TS/" + name);
    }
    static void TearDownTestSuite() { delete Root; }

    void SetUp() override {
        Output = Root->filePath(QStringLiteral("out 'q' \"%1\"").arg(++Counter)) + "/";
        QDir().mkpath(Output);
        Work = Root->filePath(QStringLiteral("work %1").arg(Counter)) + "/";
        QDir().mkpath(Work);
    }

    QStringList ConvertArguments(const QString& disc, const QStringList& args) const {
        return QStringList{"convert",    disc, "--output",    Output,
                           "--work-dir", Work, "--overwrite", "overwrite"} +
               args;
    }
    static TRun Finish(QProcess& p) {
        p.waitForFinished(300000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }
    TRun Convert(const QString& disc, QStringList args) {
        QProcess p;
        p.start(ProgramBinDir() + "/velloric-cli", ConvertArguments(disc, args));
        return Finish(p);
    }

    static QTemporaryDir* Root;
    static QString Disc;
    static int Counter;
    QString Output, Work;
};
QTemporaryDir* CliConvert::Root = nullptr;
QString CliConvert::Disc;
int CliConvert::Counter = 0;

#define ASSERT_CONVERTED(run) ASSERT_EQ((run).ExitCode, 0) << (run).Err.right(3000).toStdString()

TEST_F(CliConvert, AWholeTitleThroughBothEncoders) {
    const TRun run = Convert(Disc, {}); // the longest title, read to its very end
    ASSERT_CONVERTED(run);
    const QJsonObject probe = Probe(Output + "Title01.mp4");
    EXPECT_NEAR(Duration(probe), 24, 1.0);
    EXPECT_EQ(Stream(probe, "video")["codec_name"].toString(), "mpeg4");
    EXPECT_EQ(Stream(probe, "video")["width"].toInt(), 720);
    EXPECT_EQ(Stream(probe, "video")["height"].toInt(), 576);
    EXPECT_EQ(Stream(probe, "audio")["codec_name"].toString(), "aac");
    EXPECT_FALSE(QFile::exists(Work + "temp.avi"));
}

TEST_F(CliConvert, ChaptersAndTrimmedRanges) {
    struct Case {
        QStringList Args;
        QString File;
        double Seconds;
    };
    const Case cases[] = {
        {{"--chapter", "3:2"}, "Title03-Chapter02.mp4", 3.6},
        {{"--chapter", "1:4"}, "Title01-Chapter04.mp4", 6.0}, // the last chapter reaches the title's end
        {{"--title", "1", "--start", "00:00:05", "--end", "00:00:10"}, "Title01.mp4", 5.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args.join(' ').toStdString());
        const TRun run = Convert(Disc, c.Args);
        ASSERT_CONVERTED(run);
        EXPECT_NEAR(Duration(Probe(Output + c.File)), c.Seconds, 0.7);
    }
}

TEST_F(CliConvert, TheChosenAudioLanguage) {
    // Title01 carries an English track at 440 Hz and a German one at 660 Hz.
    for (const auto& [audio, hertz] : {std::pair{"0", 440.0}, std::pair{"1", 660.0}}) {
        const TRun run =
            Convert(Disc, {"--title", "1", "--end", "00:00:04", "--audio", audio, "--prefix", audio});
        ASSERT_CONVERTED(run);
        EXPECT_NEAR(AudioFrequency(Output + audio + "-Title01.mp4", 1.0), hertz, 25) << "audio " << audio;
    }
}

TEST_F(CliConvert, ABurnedInSubtitle) {
    // The subtitle is a white box from x 200 to 520 and y 380 to 430, shown from 2 s to 20 s.
    for (const char* subtitle : {"0", "1"}) {
        const TRun run = Convert(
            Disc, {"--title", "1", "--end", "00:00:06", "--subtitle", subtitle, "--prefix", subtitle});
        ASSERT_CONVERTED(run);
    }
    const QByteArray plain = GreyFrame(Output + "0-Title01.mp4", 4.0);
    const QByteArray burned = GreyFrame(Output + "1-Title01.mp4", 4.0);
    ASSERT_EQ(burned.size(), 720 * 576);
    // The encoder blends the subtitle over the picture, so the box is lighter, not pure white.
    EXPECT_GT(MeanGrey(burned, 720, 220, 392, 500, 418) - MeanGrey(plain, 720, 220, 392, 500, 418), 30);
    EXPECT_NEAR(MeanGrey(burned, 720, 0, 0, 720, 300), MeanGrey(plain, 720, 0, 0, 720, 300), 8);
}

TEST_F(CliConvert, ACustomSizeScalesAtTheDisplayAspect) {
    TRun run = Convert(Disc, {"--title", "1", "--end", "00:00:03", "--size", "640x480"});
    ASSERT_CONVERTED(run);
    QJsonObject video = Stream(Probe(Output + "Title01.mp4"), "video");
    EXPECT_EQ(video["width"].toInt(), 640);
    EXPECT_EQ(video["height"].toInt(), 480);
    // A 16:9 title in a 640x480 frame: scaled to 640x360 and padded with black above and below.
    const QByteArray frame = GreyFrame(Output + "Title01.mp4", 1.0);
    ASSERT_EQ(frame.size(), 640 * 480);
    EXPECT_LT(MeanGrey(frame, 640, 0, 5, 640, 50), 25);
    EXPECT_GT(MeanGrey(frame, 640, 0, 200, 640, 280), 40);

    run = Convert(Disc, {"--title", "3", "--end", "00:00:03", "--size", "320x240"});
    ASSERT_CONVERTED(run);
    video = Stream(Probe(Output + "Title03.mp4"), "video");
    EXPECT_EQ(video["width"].toInt(), 320);
    EXPECT_EQ(video["height"].toInt(), 240);
}

TEST_F(CliConvert, AnNtscDisc) {
    const TRun run = Convert(SampleDiscDir("ntsc"), {"--title", "2", "--profile", "H.264 AAC (MKV)"});
    ASSERT_CONVERTED(run);
    const QJsonObject probe = Probe(Output + "Title02.mkv");
    EXPECT_NEAR(Duration(probe), 8, 1.0);
    EXPECT_EQ(Stream(probe, "video")["codec_name"].toString(), "h264");
    EXPECT_EQ(Stream(probe, "video")["height"].toInt(), 480);
}

TEST_F(CliConvert, ProgressAsJson) {
    const TRun run = Convert(Disc, {"--chapter", "1:1", "--progress", "json"});
    ASSERT_CONVERTED(run);
    const QList<QByteArray> lines = run.Out.trimmed().split('\n');
    ASSERT_GT(lines.size(), 3);
    const QJsonObject last = QJsonDocument::fromJson(lines.last()).object();
    EXPECT_EQ(last["total"].toInt(), 100);
    EXPECT_EQ(last["current"].toInt(), 100);
    EXPECT_EQ(last["frames"].toString(), "150 / 150");
    bool halfway = false;
    for (const QByteArray& line : lines) {
        const int current = QJsonDocument::fromJson(line).object()["current"].toInt();
        halfway = halfway || (current > 20 && current < 80);
    }
    EXPECT_TRUE(halfway) << run.Out.toStdString();
}

// Two chapters side by side through the real encoder: each output whole, with its own pictures and sound,
// and each JSON progress line naming its row.
TEST_F(CliConvert, TwoChaptersSideBySide) {
    const TRun run = Convert(Disc, {"--chapter", "1:1", "--chapter", "1:2", "--engine", "direct",
                                    "--parallel-rows", "2", "--progress", "json"});
    ASSERT_CONVERTED(run);
    for (const QString& file : {QStringLiteral("Title01-Chapter01.mp4"), QStringLiteral("Title01-Chapter02.mp4")}) {
        SCOPED_TRACE(file.toStdString());
        const QJsonObject streams = ProbeStreams(Output + file);
        EXPECT_NEAR(Stream(streams, "video")["duration"].toString().toDouble(), 6.0, 0.5);
        EXPECT_NEAR(Stream(streams, "audio")["duration"].toString().toDouble(), 6.0, 0.5);
    }
    QSet<QString> rows;
    int untagged = 0; // the run's start, before a row has begun
    for (const QByteArray& line : run.Out.trimmed().split('\n')) {
        const QString row = QJsonDocument::fromJson(line).object()["row"].toString();
        untagged += row.isEmpty();
        if (!row.isEmpty())
            rows << row;
    }
    EXPECT_LE(untagged, 1);
    EXPECT_EQ(rows, (QSet<QString>{"Title01-Chapter01", "Title01-Chapter02"})) << run.Out.toStdString();
}

TEST_F(CliConvert, CtrlCHangupAndTerminateStopTheRunAndLeaveNothingBehind) {
    struct Case {
        int Signal, ExitCode, AtProgress; // AtProgress above 50: during stage two
        QStringList Engine;
    };
    for (const Case& c :
         {Case{SIGINT, 130, 5, {}}, Case{SIGHUP, 129, 5, {}}, Case{SIGTERM, 143, 60, {}},
          Case{SIGINT, 130, 30, {"--overlap"}}, Case{SIGTERM, 143, 30, {"--engine", "direct"}}}) {
        SCOPED_TRACE((QString::number(c.Signal) + " " + c.Engine.join(' ')).toStdString());
        QFile old(Output + "Title01.webm");
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the user's good file");
        old.close();
        QProcess p;
        p.start(ProgramBinDir() + "/velloric-cli",
                ConvertArguments(Disc, QStringList{"--title", "1", "--profile", "WebM - VP8 Vorbis",
                                                   "--progress", "json"} +
                                           c.Engine));
        ASSERT_TRUE(p.waitForStarted());
        // Wait until the run reports progress, then send the signal.
        QByteArray seen;
        ASSERT_TRUE(WaitForProgress(p, c.AtProgress, seen)) << seen.toStdString();
        ::kill(p.processId(), c.Signal);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), c.ExitCode) << p.readAllStandardError().toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("The conversion is canceled."));
        EXPECT_TRUE(QDir(Work).isEmpty());
        EXPECT_EQ(QDir(Output).entryList(QDir::Files), QStringList{"Title01.webm"});
        QFile kept(Output + "Title01.webm");
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), "the user's good file");
    }
}

// A stop signal that comes while the disc is still being read says so and leaves nothing (it ended the
// program without a word before); one the program was started to ignore, as nohup does with a hangup,
// stays ignored and the run goes on.
TEST_F(CliConvert, AStopSignalBeforeTheRunSaysSoAndAnIgnoredOneIsKeptIgnored) {
    // Blocked by whoever started the program, and sent at once: it waits until the command lets it through.
    QProcess early;
    early.setChildProcessModifier([] {
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        sigprocmask(SIG_BLOCK, &term, nullptr);
    });
    early.start(ProgramBinDir() + "/velloric-cli", ConvertArguments(Disc, {"--chapter", "1:1"}));
    ASSERT_TRUE(early.waitForStarted());
    ::kill(early.processId(), SIGTERM);
    const TRun stopped = Finish(early);
    EXPECT_EQ(stopped.ExitCode, 143) << stopped.Err.toStdString();
    EXPECT_TRUE(stopped.Err.contains("velloric-cli: stopped by Terminated before the conversion began"))
        << stopped.Err.toStdString();
    EXPECT_TRUE(QDir(Output).isEmpty());
    EXPECT_TRUE(QDir(Work).isEmpty());

    QProcess nohup;
    nohup.setChildProcessModifier([] { std::signal(SIGHUP, SIG_IGN); });
    nohup.start(ProgramBinDir() + "/velloric-cli",
                ConvertArguments(Disc, {"--chapter", "1:1", "--overlap", "--progress", "json"}));
    ASSERT_TRUE(nohup.waitForReadyRead(60000));
    ::kill(nohup.processId(), SIGHUP);
    const TRun kept = Finish(nohup);
    EXPECT_EQ(kept.ExitCode, 0) << kept.Err.toStdString();
    EXPECT_TRUE(QFileInfo(Output + "Title01-Chapter01.mp4").isFile());
}

TEST_F(CliConvert, TwoRunsAtOnceInOneWorkFolderEachConvertTheirOwnRow) {
    // Title02 carries 330 Hz and lasts 8 s, Title03 880 Hz and 12 s.
    QProcess first, second;
    first.start(ProgramBinDir() + "/velloric-cli", ConvertArguments(Disc, {"--title", "2"}));
    second.start(ProgramBinDir() + "/velloric-cli", ConvertArguments(Disc, {"--title", "3"}));
    const TRun a = Finish(first), b = Finish(second);
    ASSERT_CONVERTED(a);
    ASSERT_CONVERTED(b);
    const QJsonObject two = Probe(Output + "Title02.mp4"), three = Probe(Output + "Title03.mp4");
    EXPECT_NEAR(Duration(two), 8, 1.0);
    EXPECT_NEAR(Duration(three), 12, 1.0);
    EXPECT_NEAR(AudioFrequency(Output + "Title02.mp4", 4.0), 330, 25);
    EXPECT_NEAR(AudioFrequency(Output + "Title03.mp4", 4.0), 880, 25);
    EXPECT_EQ(Stream(three, "video")["height"].toInt(), 576);
    EXPECT_TRUE(QDir(Work).isEmpty());
}

TEST_F(CliConvert, AMonoAc3TitleComesOutWhole) {
    const TRun run = Convert(SampleDiscDir("mono-ac3"), {"--title", "1"});
    ASSERT_CONVERTED(run);
    const QString file = Output + "Title01.mp4";
    EXPECT_NEAR(Stream(ProbeStreams(file), "audio")["duration"].toString().toDouble(), 12, 0.5);
    EXPECT_NEAR(Stream(ProbeStreams(file), "video")["duration"].toString().toDouble(), 12, 0.5);
    EXPECT_NEAR(AudioFrequency(file, 10.0), 500, 25);
}

TEST_F(CliConvert, ADiscListedFromItsMenuBackupConvertsFromTheBackupToo) {
    // VIDEO_TS.IFO cut short: the list comes from VIDEO_TS.BUP, and the encoder must read that copy too.
    const QString disc = Root->filePath("cut menu") + "/";
    QDir().mkpath(disc + "VIDEO_TS");
    const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + name, disc + "VIDEO_TS/" + name);
    QFile menu(disc + "VIDEO_TS/VIDEO_TS.IFO");
    ASSERT_TRUE(menu.resize(2048));
    const TRun run = Convert(disc, {"--chapter", "1:2"});
    ASSERT_CONVERTED(run);
    const QJsonObject streams = ProbeStreams(Output + "Title01-Chapter02.mp4");
    EXPECT_NEAR(Stream(streams, "video")["duration"].toString().toDouble(), 6, 0.7);
    EXPECT_NEAR(Stream(streams, "audio")["duration"].toString().toDouble(), 6, 0.7);
    EXPECT_EQ(QFileInfo(menu).size(), 2048); // the disc itself is left as it is
}

// A small filesystem mounted on folder for the length of a test: a tmpfs, or a FAT filesystem (which holds no
// named pipes) made in an image file beside it, through the kernel or else through FUSE. Needs root, else the
// test is skipped.
class TSmallFilesystem {
public:
    TSmallFilesystem(const QString& folder, const QString& size, const QString& type = "tmpfs")
        : FFolder(folder) {
        QDir().mkpath(folder);
        const QStringList mount{"-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder};
        if (type == "vfat") {
            const QString image = QDir::cleanPath(folder) + ".img";
            if (!Run("truncate", {"-s", size, image}) || !Run("mkfs.fat", {image}))
                return;
            FMounted = Run("mount", {"-t", "vfat", "-o", "loop", image, folder}) ||
                       Run("fusefat", {"-o", "rw+", image, folder});
            return;
        }
        FMounted = Run("mount", mount);
    }
    ~TSmallFilesystem() {
        if (FMounted)
            QProcess::execute("umount", {FFolder});
    }
    bool Mounted() const { return FMounted; }

private:
    static bool Run(const QString& program, const QStringList& arguments) {
        QProcess p;
        p.start(program, arguments);
        return p.waitForFinished() && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QString FFolder;
    bool FMounted = false;
};

TEST_F(CliConvert, AFullFilesystemFailsTheItemAndTouchesNoExistingFile) {
    // Title01 is 24 s; at this profile's bit rates the work file needs about 4 MB and the output as much.
    struct Case {
        bool WorkFolder; // else the output folder is the small one
        const char* Size;
        const char* Expected;
        QStringList More;
    };
    for (const Case& c :
         {Case{true, "1m", "There is not enough free space in the work folder"},
          // Room enough to try: the encoder's writes fail, it still exits with success, and the lengths tell.
          Case{true, "3m", "The output is incomplete: its video is "},
          Case{false, "3m", "Stage two (FFmpeg) exited with code"},
          // Room for the pieces and the audio beside the output, not for the file they are joined into.
          Case{false,
               "6m",
               "Stage two (FFmpeg) joining the pieces exited with code 1:",
               {"--engine", "direct", "--pieces", "2"}}}) {
        SCOPED_TRACE(std::string(c.WorkFolder ? "work " : "output ") + c.Size);
        SetUp();
        TSmallFilesystem small(c.WorkFolder ? Work : Output, c.Size);
        if (!small.Mounted())
            GTEST_SKIP() << "cannot mount a tmpfs here";
        QFile old(Output + "Title01.mp4");
        if (!c.WorkFolder) {
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("the user's good file");
            old.close();
        }
        const TRun run =
            Convert(Disc, QStringList{"--title", "1", "--profile", "Any Player - MPEG-4 (MP4)"} + c.More);
        EXPECT_EQ(run.ExitCode, 1) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Expected)) << run.Err.toStdString();
        EXPECT_TRUE(QDir(Work).isEmpty());
        if (c.WorkFolder) {
            // A short output is kept for the user to judge; nothing is made when there was plainly no room.
            EXPECT_EQ(QDir(Output).entryList(QDir::Files).size(), QString(c.Size) == "1m" ? 0 : 1);
        } else {
            // Neither a partial file nor the pieces' folder is left.
            EXPECT_EQ(QDir(Output).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                      QStringList{"Title01.mp4"});
            ASSERT_TRUE(old.open(QIODevice::ReadOnly));
            EXPECT_EQ(old.readAll(), "the user's good file");
        }
    }
}

TEST_F(CliConvert, OverlappedStagesRunOneAfterTheOtherWhereNoPipeCanBeMade) {
    TSmallFilesystem fat(Work, "64M", "vfat");
    if (!fat.Mounted())
        GTEST_SKIP() << "cannot mount a FAT filesystem here";
    const TRun run = Convert(Disc, {"--chapter", "1:2", "--overlap"});
    ASSERT_CONVERTED(run);
    EXPECT_TRUE((run.Out + run.Err).contains("The stages ran one after the other: no named pipe can be made"))
        << run.Out.toStdString() << run.Err.toStdString();
    const QJsonObject probe = ProbeStreams(Output + "Title01-Chapter02.mp4");
    EXPECT_NEAR(Stream(probe, "video")["duration"].toString().toDouble(), 6, 0.7);
    EXPECT_NEAR(Stream(probe, "audio")["duration"].toString().toDouble(), 6, 0.7);
    // Neither the work file nor the pipe that could not be made is left behind.
    EXPECT_TRUE(QDir(Work).isEmpty()) << QDir(Work).entryList(QDir::Files).join(' ').toStdString();
}

// Asking needs a terminal to answer on, but only when there is something to ask about.
TEST_F(CliConvert, AskWithoutATerminalIsRefusedOnlyWhenAFileIsInTheWay) {
    const QStringList args{"--title", "1", "--end", "00:00:03", "--overwrite", "ask"};
    QFile file(Output + "Title01.mp4");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    TRun run = Convert(Disc, args);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.startsWith(("velloric-cli: " + Output + "Title01.mp4 exists").toUtf8())) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains("--overwrite")) << run.Err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");
    file.close();
    EXPECT_EQ(QDir(Output).entryList(QDir::Files), QStringList{"Title01.mp4"});
    EXPECT_TRUE(QDir(Work).isEmpty());

    ASSERT_TRUE(file.remove());
    run = Convert(Disc, args);
    ASSERT_CONVERTED(run);
    EXPECT_NEAR(Duration(Probe(Output + "Title01.mp4")), 3, 0.5);
}

// A relative --work-dir is taken from where the command runs, as --output is, not dropped for the default.
TEST_F(CliConvert, ARelativeWorkFolderIsTakenFromTheCurrentFolder) {
    const QString here = Root->filePath(QStringLiteral("here %1").arg(Counter));
    QDir().mkpath(here + "/rel work");
    QProcess p;
    p.setWorkingDirectory(here);
    p.start(
        ProgramBinDir() + "/velloric-cli",
        ConvertArguments(Disc, {"--title", "1", "--end", "00:00:02", "--work-dir", "rel work", "--dry-run"}));
    TRun run = Finish(p);
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains(" -o '" + (here + "/rel work/temp-").toUtf8())) << run.Out.toStdString();

    p.start(ProgramBinDir() + "/velloric-cli",
            ConvertArguments(Disc, {"--title", "1", "--end", "00:00:02", "--work-dir", "rel work"}));
    run = Finish(p);
    ASSERT_CONVERTED(run);
    EXPECT_TRUE(QFileInfo(Output + "Title01.mp4").isFile());
    EXPECT_TRUE(QDir(here + "/rel work").isEmpty());
}

// A profile can add no output of its own: a second word in a value (another output to FFmpeg) or a Type
// that reaches out of the output folder is refused at Start with the profile and the row, by both engines,
// and the file outside the output folder is never touched.
TEST_F(CliConvert, AProfileCannotMakeTheEncoderWriteOutsideTheRun) {
    const QString victim = Root->filePath(QStringLiteral("victim-%1.mkv").arg(Counter)); // one word
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    const QDateTime before = QFileInfo(victim).lastModified();
    TProgramFolder program(TProgramFolder::Real);
    ASSERT_TRUE(QFile::copy(ProgramBinDir() + "/velloric-cli", program.Path + "velloric-cli"));
    const QByteArray rate = "[Rate]\nSort=2\ncmd=-ar\nList=0\nReadOnly=1\nCaption=44.1 kHz\nValue=44100\n";
    const struct {
        QByteArray Type, Bits;
        const char* Problem;
    } cases[] = {
        {"mkv", "800000 " + victim.toUtf8(), "the row \"Bits\" ([Bits]) gives \"800000 "},
        {"mkv/../../" + QFileInfo(victim).fileName().toUtf8(), "800000", "is not a plain file extension"},
    };
    for (const auto& c : cases)
        for (const char* engine : {"two-stage", "direct"}) {
            SCOPED_TRACE(c.Type.toStdString() + " " + engine);
            const QString profile = program.Path + "Profiles/Hostile.apf";
            QFile f(profile);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("[Main]\nType=" + c.Type +
                    "\nPara=2\n0=Bits\n1=Rate\n[Bits]\nSort=1\ncmd=-b\nList=0\n"
                    "ReadOnly=1\nCaption=x\nValue=" +
                    c.Bits + "\n" + rate);
            f.close();
            QProcess p;
            p.start(program.Path + "velloric-cli",
                    ConvertArguments(Disc, {"--title", "1", "--end", "00:00:02", "--profile", "Hostile",
                                            "--engine", engine}));
            const TRun run = Finish(p);
            EXPECT_EQ(run.ExitCode, 2) << run.Err.toStdString();
            EXPECT_TRUE(run.Err.contains((profile + ": ").toUtf8())) << run.Err.toStdString();
            EXPECT_TRUE(run.Err.contains(c.Problem)) << run.Err.toStdString();
            EXPECT_TRUE(QDir(Output).isEmpty());
        }
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "precious");
    EXPECT_EQ(QFileInfo(victim).lastModified(), before);
}

// Four runs that rename into an empty folder all aim at the same name: each takes the next free one when
// it finds the name taken at its end, and none fails or leaves a partial file.
TEST_F(CliConvert, FourRenamingRunsAtOnceKeepFourFiles) {
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 4; ++i) {
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->start(ProgramBinDir() + "/velloric-cli",
                           ConvertArguments(Disc, {"--title", "1", "--end", "00:00:02", "--engine", "direct",
                                                   "--overwrite", "rename"}));
    }
    QStringList wrote;
    for (auto& p : runs) {
        const TRun run = Finish(*p);
        EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        for (const QByteArray& line : run.Err.split('\n'))
            if (line.startsWith("Wrote "))
                wrote << QString::fromUtf8(line.mid(6));
    }
    const QStringList files = QDir(Output).entryList(QDir::Files);
    EXPECT_EQ(files.size(), 4) << files.join(", ").toStdString();
    EXPECT_TRUE(files.contains("Title01.mp4")) << files.join(", ").toStdString();
    EXPECT_EQ(files.filter(".partial-").size(), 0) << files.join(", ").toStdString();
    wrote.removeDuplicates();
    EXPECT_EQ(wrote.size(), 4) << wrote.join(", ").toStdString();
    for (const QString& path : wrote)
        EXPECT_TRUE(files.contains(QFileInfo(path).fileName())) << path.toStdString();
}

// An installed program keeps its settings and work files below the home folder; a run whose output and
// work folders are given needs neither, so a home that cannot be written (read-only, or one that cannot
// exist as it lies below a file) does not stop it. Without --work-dir the run says which folder it lacks.
TEST_F(CliConvert, AnUnwritableHomeDoesNotStopARunWhoseFoldersAreGiven) {
    const QString prefix = Root->filePath(QStringLiteral("installed %1").arg(Counter)) + "/";
    QDir().mkpath(prefix + "bin");
    QDir().mkpath(prefix + "share/velloric/Profiles");
    QDir().mkpath(prefix + "lib/velloric");
    ASSERT_TRUE(QFile::copy(ProgramBinDir() + "/velloric-cli", prefix + "bin/velloric-cli"));
    const QString shipped = ProgramBinDir() + "/Profiles/";
    for (const QString& name : QDir(shipped).entryList({"*.apf"}))
        QFile::copy(shipped + name, prefix + "share/velloric/Profiles/" + name);
    for (const char* name : {"asapi.dll", "wmaspi.dll"})
        QFile::link(QFileInfo(ProgramBinDir() + "/" + name).canonicalFilePath(),
                    prefix + "lib/velloric/" + name);

    const QString readOnly = Root->filePath(QStringLiteral("read-only home %1").arg(Counter));
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const QString aFile = Root->filePath(QStringLiteral("a file %1").arg(Counter));
    QFile(aFile).open(QIODevice::WriteOnly);
    for (const QString& home : {readOnly, aFile + "/home"}) {
        SCOPED_TRACE(home.toStdString());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        for (const char* variable : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            env.remove(variable);
        const auto run = [&](const QStringList& args) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(prefix + "bin/velloric-cli",
                    QStringList{"convert", Disc, "--output", Output, "--overwrite", "overwrite", "--title",
                                "1", "--end", "00:00:01", "--engine", "direct"} +
                        args);
            return Finish(p);
        };
        const TRun given = run({"--work-dir", Work});
        ASSERT_CONVERTED(given);
        EXPECT_TRUE(QFileInfo(Output + "Title01.mp4").isFile());
        QFile::remove(Output + "Title01.mp4");
        if (::access(QFile::encodeName(home).constData(), W_OK) == 0)
            continue; // root writes through a folder's mode bits
        const TRun without = run({});
        EXPECT_EQ(without.ExitCode, 2);
        EXPECT_TRUE(without.Err.contains(".cache/velloric/: the work folder cannot be made"))
            << without.Err.toStdString();
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(CliConvert, BadArgumentsAndDryRun) {
    for (const QStringList& args :
         {QStringList{"--title", "9"}, QStringList{"--chapter", "1:9"}, QStringList{"--audio", "5"},
          QStringList{"--profile", "None Such"}, QStringList{"--start", "00:00:30"}, QStringList{"--bogus"},
          QStringList{"--work-dir", Root->filePath("no such folder")}}) {
        const TRun run = Convert(Disc, args);
        EXPECT_EQ(run.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.Err.startsWith("velloric-cli: ")) << run.Err.toStdString();
    }
    // A size no encoder can take is refused before any work, naming the side and why.
    const struct {
        const char* Size;
        const char* Why;
    } sizes[] = {
        {"0x0", "--size: the width of 0x0: it must be more than 0"},
        {"-640x480", "--size: the width of -640x480: it must be more than 0"},
        {"640x0", "--size: the height of 640x0: it must be more than 0"},
        {"641x480", "the width of 641x480: it must be even"},
        {"640x4098", "the height of 640x4098: it must be at most 4096"},
        {"640", "--size: \"640\" is not a size"},
    };
    for (const auto& s : sizes) {
        const TRun run = Convert(Disc, {"--title", "1", "--size", s.Size});
        EXPECT_EQ(run.ExitCode, 2) << s.Size;
        EXPECT_TRUE(run.Err.contains(s.Why)) << run.Err.toStdString();
        EXPECT_TRUE(QDir(Output).isEmpty());
        EXPECT_TRUE(QDir(Work).isEmpty());
    }
    TRun run = Convert(Root->filePath("nothing here"), {});
    EXPECT_EQ(run.ExitCode, 2);

    run = Convert(Disc, {"--chapter", "3:1", "--subtitle", "0", "--dry-run"});
    ASSERT_EQ(run.ExitCode, 0);
    const QStringList lines = QString::fromUtf8(run.Out).split('\n');
    EXPECT_EQ(lines[0], "# " + Output + "Title03-Chapter01.mp4");
    EXPECT_TRUE(lines[1].contains("dvd://3 -dvd-device '" + QString(Disc).replace("'", "'\\''") +
                                  "VIDEO_TS' -ss 0.000 "
                                  "-endpos 4.000"))
        << lines[1].toStdString();
    // A range typed with fractions of a second is converted as typed: stage one reads from the VOBU that
    // starts at 5.4 s (sector 295) to a second past the end, and stage two cuts the lead (0.1 s and the two
    // pictures MEncoder adds) and the length.
    run = Convert(Disc, {"--title", "1", "--start", "00:00:05.5", "--end", "00:00:10.25", "--dry-run"});
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Out.contains(" -sb 604160 -endpos 5.930 ")) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(" -ss 0.180 -t 4.750 ")) << run.Out.toStdString();
    EXPECT_TRUE(QDir(Output).isEmpty());
}

} // namespace
