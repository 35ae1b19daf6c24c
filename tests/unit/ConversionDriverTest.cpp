// The conversion driver with stand-in encoders from tests/data/fake-encoders.
#include "convert/ConversionDriver.h"
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "tasks/TimeText.h"
#include "convert/StreamCheck.h"
#include "support/RecordingFrontEnd.h"
#include "support/TestPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QString kFakes = QStringLiteral(VELLORIC_SOURCE_DIR) + "/tests/data/fake-encoders/";

// What the stand-in stage two leaves when it ends well: its whole file, a real one the driver can measure.
QByteArray FileBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
const QByteArray kWhole = FileBytes(kFakes + "output.mkv");

class TFakePower : public TPowerControl {
public:
    int Calls = 0;
    void PowerOffComputer() override { ++Calls; }
};

class ConversionDriver : public ::testing::Test {
protected:
    void SetUp() override {
        ProgramDir = Root.filePath("program folder") + "/";
        Output = Root.filePath("out \"put\" $dir;") + "/";
        QDir().mkpath(ProgramDir + "Profiles");
        QDir().mkpath(Output);
        for (const char* encoder : {"asapi.dll", "wmaspi.dll"})
            QFile::link(kFakes + encoder, ProgramDir + encoder);
        QFile profile(ProgramDir + "Profiles/Test.apf");
        profile.open(QIODevice::WriteOnly);
        profile.write(
            "[Main]\r\nType=mp4\r\nPara=4\r\n0=Video Size\r\n1=Aspect\r\n2=Bit Rate\r\n3=Sample Rate\r\n"
            "[Video Size]\r\nSort=1\r\ncmd=-s\r\nCaption=Original Size,Custom "
            "Size,\r\nValue=,,\r\nIndex=0\r\n"
            "[Aspect]\r\nSort=1\r\ncmd=-aspect\r\nCaption=Auto,4:3,16:9,\r\nValue=,4:3,16:9,\r\nIndex=0\r\n"
            "[Bit Rate]\r\nSort=1\r\ncmd=-b\r\nList=0\r\nCaption=800000\r\n"
            "[Sample Rate]\r\nSort=2\r\ncmd=-ar\r\nList=0\r\nReadOnly=1\r\nCaption=44.1 "
            "kHz\r\nValue=44100\r\n");
        profile.close();

        Context.SetProgramDir(ProgramDir);
        Context.WorkDir = Root.path() + "/";
        Context.OutputExt = ".mp4";
        Context.DVDInformation.DiscPath = Root.filePath("-it's \"a\" $disc; x") + "/VIDEO_TS/";
        Context.DVDInformation.FrameRate = 25;
        T1 = AddTitle(1, 10, "16:9", {"en", "de"}, {"None", "English"});
        AddChapter(T1, 0, 0, 5);
        AddChapter(T1, 1, 5, 10);
        T2 = AddTitle(2, 20, "4:3", {"fr"}, {"None"});

        Log = Root.filePath("encoders.log");
        qputenv("FAKE_LOG", Log.toLocal8Bit());
        for (const char* v : {"FAKE_STAGE1", "FAKE_STAGE2", "FAKE_STAGE1_STEPS", "FAKE_PREP",
                              "FAKE_OUTPUT_VIDEO", "FAKE_OUTPUT_AUDIO", "FAKE_STAGE2_FAIL_ON", "FAKE_STAGE2_HANG_ON"})
            qunsetenv(v);
        Settings.OutputDirText = Output;
        Settings.ProfileName = "Test";
        LoadProfileRows(ProfilePath(ProgramDir, "Test"), Settings.Grids);
    }

    TTaskNode* AddTitle(int number, double length, const QString& aspect, QStringList languages,
                        QStringList subtitles) {
        auto n = std::make_unique<TTaskNode>();
        n->Number = number;
        n->ShortName = n->OutputName = QStringLiteral("Title%1").arg(number, 2, 10, QChar('0'));
        n->AspectText = aspect;
        n->AudioLanguages = languages;
        n->AudioTracks = languages;
        n->Subtitles = subtitles;
        SetRange(*n, 0, length);
        n->FullLength = length;
        return Tasks.AddTitle(std::move(n));
    }
    void AddChapter(TTaskNode* title, int j, double start, double end) {
        auto n = std::make_unique<TTaskNode>();
        n->Kind = TTaskNode::KindChapter;
        n->Number = j + 1;
        n->OutputName = title->OutputName + QStringLiteral("-Chapter%1").arg(j + 1, 2, 10, QChar('0'));
        SetRange(*n, start, end);
        Tasks.AddChapter(title, std::move(n));
    }
    static void SetRange(TTaskNode& n, double start, double end) {
        n.FullStart = n.CurStart = start;
        n.FullEnd = n.CurEnd = end;
        n.FullStartText = n.CurStartText = SecondsToTimeText(start);
        n.FullEndText = n.CurEndText = SecondsToTimeText(end);
    }

    // The encoder runs, each a list: what ran ("prep", "stage1", "stage2") and its arguments.
    QList<QStringList> Runs() const {
        QList<QStringList> runs;
        QFile f(Log);
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                if (!line.isEmpty())
                    runs << QString::fromLocal8Bit(line).split('\t');
        return runs;
    }
    QStringList RunsOf(const QString& kind) const {
        QStringList kinds;
        for (const QStringList& r : Runs())
            if (r[0] == kind)
                kinds << r.mid(1).join(' ');
        return kinds;
    }
    // Work files left in the work folder.
    QStringList WorkFilesLeft() const { return QDir(Context.WorkDir).entryList({"temp*"}, QDir::Files); }
    // A run's arguments with its own work file and partial output file named by what they are.
    static QStringList Generic(QStringList args) {
        static const QRegularExpression unique("(temp|\\.partial)-" + QString::number(QCoreApplication::applicationPid()) +
                                               "-[A-Za-z0-9]{6}");
        for (QString& a : args)
            a.replace(unique, "\\1-XXXXXX");
        return args;
    }
    QString Contents(const QString& path) const {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QString::fromLocal8Bit(f.readAll());
    }

    QTemporaryDir Root;
    QString ProgramDir, Output, Log;
    TAppContext Context;
    TTaskListModel Tasks{Context};
    TTaskNode* T1 = nullptr;
    TTaskNode* T2 = nullptr;
    TRecordingFrontEnd FrontEnd;
    TFakePower Power;
    TConversionDriver Driver{Context, Tasks, FrontEnd, &Power};
    TRunSettings Settings;
};

TEST_F(ConversionDriver, StartChecks) {
    TRunResult r = Driver.Start(Settings);
    EXPECT_EQ(r.Outcome, TRunResult::Refused);
    Tasks.SetChecked(T2, true);
    for (const QString& missing : {Root.filePath("nowhere"), Root.filePath("nowhere/")}) {
        Settings.OutputDirText = missing;
        Driver.Start(Settings);
    }
    Settings.OutputDirText = Output;
    Settings.ProfileName = "Gone";
    Driver.Start(Settings);
    EXPECT_EQ(FrontEnd.Captions(), (QStringList{"No Title or Chapter checked", "Output path does not exist",
                                                "Output path does not exist", "Profile"}));
    EXPECT_EQ(FrontEnd.Messages[0].Text, "Please have Titles and Chapters you want to convert checked.");
    EXPECT_EQ(FrontEnd.Messages[1].Text, "The output path does not exist. Please specify another one.");
    EXPECT_EQ(FrontEnd.Messages[3].Text, "Please select a valid output profile.");
    EXPECT_EQ(FrontEnd.Locks, 0);
    EXPECT_TRUE(Runs().isEmpty());
}

// A size the encoders cannot take (saved with a profile, or typed into the row) ends the run before any
// encoder starts, instead of failing at the end of the first item.
TEST_F(ConversionDriver, ASizeNoEncoderCanTakeStopsTheRunBeforeAnyEncoder) {
    Tasks.SetChecked(T2, true);
    for (const char* size : {"0x0", "640x0", "-640x480", "641x480", "640x4098", "abcx480"}) {
        FrontEnd.Messages.clear();
        Settings.Grids.SetRowText(TParamGrids::Video, "Video Size", size);
        EXPECT_EQ(Driver.Start(Settings).Outcome, TRunResult::LaunchFailed) << size;
        ASSERT_EQ(FrontEnd.Messages.size(), 1) << size;
        EXPECT_EQ(FrontEnd.Messages[0].Caption, "Video Size");
    }
    EXPECT_TRUE(Runs().isEmpty());
    EXPECT_TRUE(WorkFilesLeft().isEmpty());
}

TEST_F(ConversionDriver, CommandLinesOfATitleAndItsChapter) {
    Tasks.SetChecked(T1, true);
    Tasks.SetChecked(T1->Children[0].get(), true);
    Tasks.SetFocusedRow(T1);
    Tasks.PickAudio(1);
    Tasks.PickSubtitle(1);
    Settings.Grids.SetRowText(TParamGrids::Video, "Video Size", "640x480");

    const TRunResult r = Driver.Start(Settings);
    ASSERT_EQ(r.Outcome, TRunResult::Completed) << FrontEnd.Messages.value(0).Text.toStdString();
    EXPECT_EQ(r.Outputs, (QStringList{Output + "Title01.mp4", Output + "Title01-Chapter01.mp4"}));
    const QString disc = Root.filePath("-it's \"a\" $disc; x") + "/VIDEO_TS";
    const QString work = Context.WorkDir + "temp-XXXXXX.avi";
    const QString common = " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=800000:mbd=2:autoaspect -oac mp3lame "
                           "-lameopts vbr=2:q=5 -channels 2 -srate 44100 -af volume=10:0 -ac a52, -alang de "
                           "-vf scale=640:360,expand=640:480 -sid 0 -o " +
                           work;
    // The whole title is read to its end: no -endpos, on which the encoder would hang.
    EXPECT_EQ(Generic(Runs()[1]), QStringList({"stage1", "dvd://1", "-dvd-device", disc, "-ss", "0.000"}) +
                                      (common.mid(1)).split(' '));
    EXPECT_EQ(Generic(RunsOf("stage1"))[1],
              "dvd://1 -dvd-device " + disc + " -ss 0.000 -endpos 5.000" + common);
    EXPECT_EQ(Generic(RunsOf("prep")), QStringList(2, "dvd://1 -dvd-device " + disc + " -o temp-XXXXXX.avi"));
    // The work file's pixels are square: stage two is told the frame's display aspect. It writes beside the
    // output under a name of its own, renamed into place when it succeeded.
    EXPECT_EQ(Generic(Runs()[2]),
              (QStringList{"stage2", "-n", "-i", work, "-s", "640x480", "-b", "800000", "-ar", "44100",
                           "-aspect", "640:480", Output + "Title01.partial-XXXXXX.mp4"}));
    EXPECT_EQ(FileBytes(Output + "Title01.mp4"), kWhole);
    EXPECT_EQ(QDir(Output).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(FrontEnd.Hints,
              (QStringList{"Converting: -Title01.mp4", "Converting: -Title01-Chapter01.mp4"}));
    EXPECT_EQ(FrontEnd.Captions(), QStringList{"Complete"});
    EXPECT_EQ(FrontEnd.Messages[0].Text, "The conversion is completed successfully.");
    EXPECT_EQ(FrontEnd.OpenedFolders, QStringList{Output});
    EXPECT_EQ(FrontEnd.Last.TotalBar, 100);
    EXPECT_EQ(FrontEnd.Last.CurrentBar, 100);
    EXPECT_EQ(FrontEnd.Locks, 1);
    EXPECT_GE(FrontEnd.Unlocks, 1);
    EXPECT_EQ(Driver.ConvertState(), TConversionDriver::Idle);
    EXPECT_TRUE(WorkFilesLeft().isEmpty());
    EXPECT_EQ(Power.Calls, 0);
}

TEST_F(ConversionDriver, PrefixAndAspectOfTheProfile) {
    Tasks.SetChecked(T2, true);
    Context.DVDInformation.OutputPrefix = "A NINETEEN CHAR DVD";
    Settings.Grids.SetRowText(TParamGrids::Video, "Video Size", "320X240");
    Settings.Grids.SetRowText(TParamGrids::Video, "Aspect", "16:9");
    ASSERT_EQ(Driver.Start(Settings).Outcome, TRunResult::Completed);
    EXPECT_EQ(FrontEnd.Hints, QStringList{"Converting: A NINETEEN CHAR...-Title02.mp4"});
    EXPECT_TRUE(QFile::exists(Output + "A NINETEEN CHAR DVD-Title02.mp4"));
    EXPECT_TRUE(RunsOf("stage1")[0].contains(" -alang fr -vf scale=320:180,expand=320:240 -nosub -o "));
}

TEST_F(ConversionDriver, OverwritePolicies) {
    Tasks.SetChecked(T2, true);
    const QString existing = Output + "Title02.mp4";
    const auto writeExisting = [&] {
        QFile f(existing);
        f.open(QIODevice::WriteOnly);
        f.write("old");
    };
    const auto content = [&](const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    writeExisting();

    FrontEnd.Answers = {false}; // No: skipped, no encoder runs for it
    TRunResult r = Driver.Start(Settings);
    EXPECT_EQ(r.Skipped, QStringList{"Title02.mp4"});
    EXPECT_TRUE(Runs().isEmpty());
    EXPECT_EQ(FrontEnd.Messages[0].Caption, "Output File Exists");
    EXPECT_EQ(FrontEnd.Messages[0].Text,
              "The output file Title02.mp4 is already existent.\n\rClick \"Yes\" to "
              "overwrite it. Click \"No\" to skip this file");
    EXPECT_EQ(content(existing), "old");

    FrontEnd.Answers = {true};
    EXPECT_EQ(Driver.Start(Settings).Outcome, TRunResult::Completed);
    EXPECT_EQ(content(existing), kWhole);

    writeExisting();
    FrontEnd.Policy = TPreferences::Overwrite;
    EXPECT_EQ(Driver.Start(Settings).Outputs, QStringList{existing});
    EXPECT_EQ(content(existing), kWhole);

    writeExisting();
    FrontEnd.Policy = TPreferences::Rename;
    r = Driver.Start(Settings);
    ASSERT_EQ(r.Outputs.size(), 1);
    EXPECT_TRUE(QRegularExpression("/Title02-\\d{8}-\\d{6}-\\d{3}\\.mp4$").match(r.Outputs[0]).hasMatch())
        << r.Outputs[0].toStdString();
    EXPECT_TRUE(QFile::exists(r.Outputs[0]));
    EXPECT_EQ(content(existing), "old");

    // A file that another run puts at the output's name meanwhile is replaced only where the policy says so.
    // Rename takes the next free name, as it does when the name is taken at the start; Ask keeps both files
    // and the item fails saying where its own went.
    for (const auto policy : {TPreferences::Ask, TPreferences::Rename, TPreferences::Overwrite}) {
        SCOPED_TRACE(int(policy));
        QDir(Output).removeRecursively();
        QDir().mkpath(Output);
        QFile::remove(Log);
        FrontEnd.Policy = policy;
        FrontEnd.OnPump = [&] {
            if (!QFile::exists(existing) && !RunsOf("stage2").isEmpty())
                writeExisting();
        };
        r = Driver.Start(Settings);
        FrontEnd.OnPump = nullptr;
        const QStringList files = QDir(Output).entryList(QDir::Files);
        if (policy == TPreferences::Overwrite) {
            EXPECT_EQ(r.Outcome, TRunResult::Completed);
            EXPECT_EQ(content(existing), kWhole);
            continue;
        }
        EXPECT_EQ(content(existing), "old");
        // Sorted by name, the free name beside it ("Title02-<time>.mp4") comes first.
        ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
        EXPECT_EQ(files[1], "Title02.mp4");
        const QString kept = files[0];
        EXPECT_TRUE(QRegularExpression("^Title02-\\d{8}-\\d{6}-\\d{3}\\.mp4$").match(kept).hasMatch())
            << kept.toStdString();
        EXPECT_EQ(content(Output + kept), kWhole);
        if (policy == TPreferences::Rename) {
            EXPECT_EQ(r.Outcome, TRunResult::Completed);
            EXPECT_EQ(r.Outputs, QStringList{Output + kept});
            continue;
        }
        ASSERT_EQ(r.Failures.size(), 1u);
        EXPECT_TRUE(r.Failures[0].Problem.endsWith("kept as " + Output + kept + "."))
            << r.Failures[0].Problem.toStdString();
    }
}

TEST_F(ConversionDriver, StopDuringStageOne) {
    Tasks.SetChecked(T2, true);
    qputenv("FAKE_STAGE1", "slow");
    qputenv("FAKE_STAGE1_STEPS", "200");
    QTimer::singleShot(400, [&] { Driver.Stop(); });
    const TRunResult r = Driver.Start(Settings);
    EXPECT_EQ(r.Outcome, TRunResult::Cancelled);
    EXPECT_EQ(FrontEnd.Captions(), QStringList{"Cancel"});
    EXPECT_EQ(FrontEnd.Messages[0].Text, "The conversion is canceled.");
    EXPECT_TRUE(RunsOf("stage2").isEmpty());
    EXPECT_TRUE(WorkFilesLeft().isEmpty());
    EXPECT_EQ(Driver.ConvertState(), TConversionDriver::CancelRequested);
    EXPECT_GE(FrontEnd.Unlocks, 1);
}

TEST_F(ConversionDriver, StopDuringStageTwoLeavesNoPartialFileAndTheOldOneIntact) {
    Tasks.SetChecked(T2, true);
    Tasks.SetChecked(T1, true);
    QFile old(Output + "Title01.mp4");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the user's good file");
    old.close();
    FrontEnd.Policy = TPreferences::Overwrite;
    qputenv("FAKE_STAGE2", "slow");
    FrontEnd.OnPump = [&] {
        if (!RunsOf("stage2").isEmpty())
            Driver.Stop();
    };
    const TRunResult r = Driver.Start(Settings);
    EXPECT_EQ(r.Outcome, TRunResult::Cancelled);
    EXPECT_EQ(RunsOf("stage1").size(), 1); // the second item never starts
    EXPECT_EQ(QDir(Output).entryList(QDir::Files), QStringList{"Title01.mp4"});
    EXPECT_EQ(Contents(Output + "Title01.mp4"), "the user's good file");
    EXPECT_TRUE(WorkFilesLeft().isEmpty());
    EXPECT_EQ(FrontEnd.Last.CurrentBar, 100); // the item shows as finished before the cancel message
}

TEST_F(ConversionDriver, StopBeforeStageOneStartsNothing) {
    Tasks.SetChecked(T2, true);
    FrontEnd.OnPump = [&] { Driver.Stop(); };
    EXPECT_EQ(Driver.Start(Settings).Outcome, TRunResult::Cancelled);
    EXPECT_TRUE(RunsOf("stage1").isEmpty());
}

TEST_F(ConversionDriver, MissingEncoders) {
    Tasks.SetChecked(T2, true);
    QFile::remove(ProgramDir + "asapi.dll");
    TRunResult r = Driver.Start(Settings);
    EXPECT_EQ(r.Outcome, TRunResult::LaunchFailed);
    // once for the preparatory pass and once for stage one
    EXPECT_EQ(FrontEnd.Captions(), QStringList(2, "Velloric DVD Converter"));
    EXPECT_EQ(FrontEnd.Messages[0].Text, "Error. Please re-install Velloric DVD Converter\n" + ProgramDir +
                                             "asapi.dll: No such file or directory");
    EXPECT_GE(FrontEnd.Unlocks, 1);

    QFile::link(kFakes + "asapi.dll", ProgramDir + "asapi.dll");
    QFile::remove(ProgramDir + "wmaspi.dll");
    QFile::link(Root.filePath("gone/ffmpeg"), ProgramDir + "wmaspi.dll");
    FrontEnd.Messages.clear();
    r = Driver.Start(Settings);
    EXPECT_EQ(r.Outcome, TRunResult::CompletedWithFailures);
    ASSERT_EQ(FrontEnd.Captions(), (QStringList{"Velloric DVD Converter", "Conversion failed"}));
    EXPECT_EQ(FrontEnd.Messages[0].Text, "Error\n" + ProgramDir + "wmaspi.dll: the link points to " +
                                             Root.filePath("gone/ffmpeg") + ", which does not exist");
    EXPECT_TRUE(QDir(Output).isEmpty());
    EXPECT_TRUE(FrontEnd.Messages[1].Text.contains("could not be started"));
}

TEST_F(ConversionDriver, FailingEncodersAreReportedNotCalledSuccess) {
    Tasks.SetChecked(T1, true);
    Tasks.SetChecked(T2, true);
    struct Case {
        const char *Stage1, *Stage2, *Expected;
        int StageTwoRuns;
    };
    for (const Case& c :
         {Case{"fail", "ok", "Stage one (MEncoder) exited with code 1:\nCannot open DVD device.?[2J", 0},
          Case{"nowork", "ok", "Stage one (MEncoder) wrote no output file.", 0},
          Case{"ok", "fail", "Stage two (FFmpeg) exited with code 1:\nUnknown encoder 'none'", 2},
          Case{"ok", "noout", "Stage two (FFmpeg) wrote no output file.", 2}}) {
        SCOPED_TRACE(std::string(c.Stage1) + "/" + c.Stage2);
        QFile::remove(Log);
        QDir(Output).removeRecursively();
        QDir().mkpath(Output);
        FrontEnd.Messages.clear();
        FrontEnd.OpenedFolders.clear();
        qputenv("FAKE_STAGE1", c.Stage1);
        qputenv("FAKE_STAGE2", c.Stage2);
        const TRunResult r = Driver.Start(Settings);
        EXPECT_EQ(r.Outcome, TRunResult::CompletedWithFailures);
        ASSERT_EQ(r.Failures.size(), 2u);
        EXPECT_EQ(r.Failures[0].Output, "Title01.mp4");
        EXPECT_EQ(r.Failures[0].Problem, c.Expected);
        EXPECT_EQ(RunsOf("stage1").size(), 2); // the run goes on with the next item
        EXPECT_EQ(RunsOf("stage2").size(), c.StageTwoRuns);
        ASSERT_EQ(FrontEnd.Captions(), QStringList{"Conversion failed"});
        EXPECT_EQ(FrontEnd.Messages[0].Kind, "error");
        EXPECT_TRUE(FrontEnd.Messages[0].Text.startsWith(
            "The conversion failed: none of the 2 files could be made:\n\nTitle01.mp4: "));
        EXPECT_TRUE(FrontEnd.OpenedFolders.isEmpty());
        EXPECT_TRUE(WorkFilesLeft().isEmpty());
        EXPECT_TRUE(QDir(Output).isEmpty()) << QDir(Output).entryList().join(' ').toStdString();
    }
}

TEST_F(ConversionDriver, AStageOneStuckAtTheEndOfItsRangeIsEnded) {
    Tasks.SetChecked(T1->Children[0].get(), true); // 5 seconds
    qputenv("FAKE_STAGE1", "hang");
    qputenv("FAKE_STAGE1_STEPS", "5");
    Driver.EndOfRangeSilenceMs = 300;
    const TRunResult r = Driver.Start(Settings);
    EXPECT_EQ(r.Outcome, TRunResult::Completed);
    EXPECT_EQ(RunsOf("stage2").size(), 1);
}

TEST_F(ConversionDriver, CompletionActions) {
    Tasks.SetChecked(T2, true);
    FrontEnd.Policy = TPreferences::Overwrite;
    FrontEnd.TurnOff = true;
    EXPECT_EQ(Driver.Start(Settings).Outcome, TRunResult::Completed);
    EXPECT_EQ(Power.Calls, 1);
    EXPECT_EQ(FrontEnd.Closes, 1);
    EXPECT_TRUE(FrontEnd.Messages.isEmpty());
    EXPECT_TRUE(FrontEnd.OpenedFolders.isEmpty());
    EXPECT_EQ(FrontEnd.Hints.last(), "Conversion is completed. Turning off the computer...");

    FrontEnd.TurnOff = false;
    FrontEnd.Exit = true;
    Driver.Start(Settings);
    EXPECT_EQ(FrontEnd.Closes, 2);
    EXPECT_EQ(Power.Calls, 1);
    EXPECT_TRUE(FrontEnd.Messages.isEmpty());
}

TEST_F(ConversionDriver, AMissingWorkFolderFallsBackToTheProgramFolderBeforeAnythingStarts) {
    Tasks.SetChecked(T2, true);
    FrontEnd.Policy = TPreferences::Overwrite;
    QFile notAFolder(Root.filePath("a file"));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    for (const QString& work : {Root.filePath("no such work dir"), Root.filePath("a file")}) {
        SCOPED_TRACE(work.toStdString());
        QFile::remove(Log);
        FrontEnd.Messages.clear();
        Context.WorkDir = work;
        ASSERT_EQ(Driver.Start(Settings).Outcome, TRunResult::Completed);
        EXPECT_EQ(FrontEnd.Captions(), QStringList{"Complete"}); // the preparatory pass started too
        EXPECT_EQ(Context.WorkDir, ProgramDir);
        EXPECT_EQ(Generic(RunsOf("stage1"))[0].section(" -o ", 1), ProgramDir + "temp-XXXXXX.avi");
        EXPECT_TRUE(QDir(ProgramDir).entryList({"temp*"}).isEmpty());
    }
}

TEST_F(ConversionDriver, TwoRunsInOneWorkFolderEachOwnTheirWorkFile) {
    Tasks.SetChecked(T2, true);
    QFile foreign(Context.WorkDir + "temp.avi"); // another run's, or a file left by an old version
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("someone else's");
    foreign.close();
    TRecordingFrontEnd otherFrontEnd;
    TTaskListModel otherTasks{Context};
    TConversionDriver other{Context, otherTasks, otherFrontEnd};
    QString mine, theirs;
    FrontEnd.OnPump = [&] {
        if (mine.isEmpty() && !RunsOf("stage1").isEmpty()) {
            mine = Driver.WorkFilePath();
            theirs = other.WorkFilePath(); // the other driver is idle: its pattern only
        }
    };
    ASSERT_EQ(Driver.Start(Settings).Outcome, TRunResult::Completed);
    EXPECT_TRUE(QFileInfo(mine).fileName().startsWith("temp-")) << mine.toStdString();
    EXPECT_NE(mine, Context.WorkDir + "temp.avi");
    EXPECT_TRUE(theirs.endsWith("temp-XXXXXX.avi"));
    EXPECT_EQ(WorkFilesLeft(), QStringList{"temp.avi"}); // its own removed, the other left alone
    EXPECT_EQ(Contents(Context.WorkDir + "temp.avi"), "someone else's");
}

TEST_F(ConversionDriver, AStalledStageIsEndedWithItsHelpers) {
    Tasks.SetChecked(T2, true);
    Tasks.SetChecked(T1->Children[0].get(), true);
    QFile prefs(ProgramDir + "Preferences.ini");
    ASSERT_TRUE(prefs.open(QIODevice::WriteOnly));
    prefs.write("[Main]\r\nStall Seconds=0.6\r\n");
    prefs.close();
    const QString helper = Root.filePath("helper.pid");
    qputenv("FAKE_HELPER_PID", helper.toLocal8Bit());
    struct Case {
        const char *Variable, *Value, *Expected;
    };
    for (const Case& c : {Case{"FAKE_PREP", "hang",
                               "Stage one (MEncoder) did not finish opening the disc within 0.6 s, so it was "
                               "ended (stalled)"},
                          Case{"FAKE_STAGE1", "stall",
                               "Stage one (MEncoder) stalled: its progress did not "
                               "advance for 0.6 s, so it was ended:\nPos:   1.0s"}}) {
        SCOPED_TRACE(c.Value);
        qputenv(c.Variable, c.Value);
        const TRunResult r = Driver.Start(Settings);
        qunsetenv(c.Variable);
        ASSERT_EQ(r.Failures.size(), 2u); // the run goes on with the next item, which stalls as well
        EXPECT_TRUE(r.Failures[0].Problem.startsWith(c.Expected)) << r.Failures[0].Problem.toStdString();
        EXPECT_EQ(r.Outcome, TRunResult::CompletedWithFailures);
        EXPECT_TRUE(RunsOf("stage2").isEmpty());
    }
    // The stalled encoder's helper process went with it (gone, or a zombie that init has not reaped yet).
    const QString pid = Contents(helper).trimmed();
    ASSERT_FALSE(pid.isEmpty());
    const auto ended = [&] {
        const QString stat = Contents("/proc/" + pid + "/stat");
        return stat.isEmpty() || stat.section(") ", 1).startsWith("Z");
    };
    for (int i = 0; i < 50 && !ended(); ++i) // a killed process takes a moment to go
        QThread::msleep(100);
    EXPECT_TRUE(ended()) << Contents("/proc/" + pid + "/stat").toStdString();
}

// Each stream the profile keeps must cover the range but for max(2 s, 2 %) of it: the absolute part decides
// on short ranges, the share on long ones. A title without audio, and a profile that drops the video or the
// audio, are measured only by what they make.
TEST_F(ConversionDriver, AnOutputStreamShorterThanTheRangeFailsTheItem) {
    TTaskNode* const longTitle = AddTitle(3, 200, "4:3", {"en"}, {"None"});
    TTaskNode* const silentTitle = AddTitle(4, 20, "4:3", {}, {"None"});
    TTaskNode* const chapter = T1->Children[0].get(); // 5 s
    // The test profile with one more row, which switches a stream off.
    const auto writeProfile = [&](const QString& name, const QString& row, const QString& option) {
        QString text = Contents(ProgramDir + "Profiles/Test.apf");
        text.replace("Para=4\r\n", "Para=5\r\n4=" + row + "\r\n");
        text += "[" + row + "]\r\nSort=1\r\ncmd=" + option + "\r\nList=0\r\nReadOnly=1\r\nCaption=Yes\r\nValue=\\\r\n";
        QFile f(ProgramDir + "Profiles/" + name + ".apf");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toLatin1());
    };
    writeProfile("AudioOnly", "Disable Video", "-vn");
    writeProfile("VideoOnly", "Disable Audio", "-an");
    struct Case {
        TTaskNode* Row;
        const char *Profile, *Video, *Audio;
        QString Short; // what the message says came out short; empty: the item succeeds
    };
    for (const Case& c : {
             Case{T2, "Test", "20.1", "19.9", ""},
             Case{T2, "Test", "19.5", "19.5", ""}, // 0.5 s short: at the limit
             Case{T2, "Test", "20", "19.49", "its audio is 19.49 s long"},
             Case{T2, "Test", "9.5", "9.5", "its video is 9.50 s long and its audio is 9.50 s long"},
             Case{chapter, "Test", "4.5", "4.5", ""},
             Case{chapter, "Test", "4.49", "5", "its video is 4.49 s long"},
             Case{longTitle, "Test", "198", "198", ""}, // 1 % of 200 s: at the limit
             Case{longTitle, "Test", "197.9", "200", "its video is 197.90 s long"},
             Case{T2, "Test", "20", "none", "it has no audio stream"},
             Case{T2, "AudioOnly", "none", "20", ""},
             Case{T2, "AudioOnly", "none", "19.4", "its audio is 19.40 s long"},
             Case{T2, "VideoOnly", "20", "none", ""},
             Case{T2, "VideoOnly", "19.4", "none", "its video is 19.40 s long"},
             Case{silentTitle, "Test", "20", "none", ""},
         }) {
        SCOPED_TRACE(c.Row->OutputName.toStdString() + " " + c.Profile + " " + c.Video + " " + c.Audio);
        QDir(Output).removeRecursively();
        QDir().mkpath(Output);
        for (TTaskNode* row : {T2, chapter, longTitle, silentTitle})
            Tasks.SetChecked(row, row == c.Row);
        Settings.ProfileName = c.Profile;
        Settings.Grids = TParamGrids();
        ASSERT_TRUE(LoadProfileRows(ProfilePath(ProgramDir, c.Profile), Settings.Grids).Error.isEmpty());
        qputenv("FAKE_OUTPUT_VIDEO", c.Video);
        qputenv("FAKE_OUTPUT_AUDIO", c.Audio);
        const TRunResult r = Driver.Start(Settings);
        const QString output = c.Row->OutputName + ".mp4";
        EXPECT_EQ(QDir(Output).entryList(QDir::Files), QStringList{output});
        if (c.Short.isEmpty()) {
            EXPECT_EQ(r.Outcome, TRunResult::Completed) << r.Failures.front().Problem.toStdString();
            continue;
        }
        ASSERT_EQ(r.Failures.size(), 1u);
        EXPECT_EQ(r.Failures[0].Problem,
                  "The output is incomplete: " + c.Short + ", but the range is " +
                      QString::number(c.Row->FullEnd - c.Row->FullStart, 'f', 2) +
                      " s. The disc may be damaged, the work or output folder may have run out of space, or an "
                      "encoder could not decode the stream. The file is kept as " +
                      Output + output + ".");
    }
}

// The allowance is 0.5 s or 1 % of the range, whichever is more: each part decides somewhere, and a stream
// exactly at the limit passes.
TEST(StreamCheck, AShortStreamIsAllowedHalfASecondOrOnePercent) {
    struct Case {
        double Range, Video, Audio;
        bool Passes;
    };
    for (const Case& c : {Case{2.5, 2.0, 2.5, true}, Case{2.5, 1.99, 2.5, false}, Case{2.5, 2.5, 1.4, false},
                          Case{5.0, 3.4, 5.0, false}, Case{10.0, 9.5, 9.5, true}, Case{10.0, 9.49, 10.0, false},
                          Case{100.0, 99.0, 99.0, true}, Case{100.0, 98.99, 100.0, false},
                          Case{200.0, 198.0, 198.0, true}, Case{200.0, 200.0, 197.99, false},
                          Case{200.0, 198.5, 200.0, true}}) {
        SCOPED_TRACE(std::to_string(c.Range) + " " + std::to_string(c.Video) + " " + std::to_string(c.Audio));
        const QString problem = ShortStreamProblem({c.Video, c.Audio}, c.Range, true, true);
        EXPECT_EQ(problem.isEmpty(), c.Passes) << problem.toStdString();
    }
    // A stream the output does not keep is not measured.
    EXPECT_TRUE(ShortStreamProblem({-1, 10.0}, 10.0, false, true).isEmpty());
    EXPECT_FALSE(ShortStreamProblem({-1, 10.0}, 10.0, true, true).isEmpty());
}

// A short output is kept for the user to judge, but never in place of a file that holds the output's name,
// whatever the policy: it takes the next free name beside it.
TEST_F(ConversionDriver, AShortOutputNeverReplacesAFileOfItsName) {
    Tasks.SetChecked(T2, true);
    qputenv("FAKE_OUTPUT_VIDEO", "3");
    qputenv("FAKE_OUTPUT_AUDIO", "20");
    for (const auto policy : {TPreferences::Overwrite, TPreferences::Ask}) {
        SCOPED_TRACE(int(policy));
        QDir(Output).removeRecursively();
        QDir().mkpath(Output);
        QFile old(Output + "Title02.mp4");
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the user's good file");
        old.close();
        FrontEnd.Policy = policy;
        FrontEnd.Answers = {true};
        const TRunResult r = Driver.Start(Settings);
        ASSERT_EQ(r.Failures.size(), 1u);
        EXPECT_EQ(Contents(Output + "Title02.mp4"), "the user's good file");
        const QStringList files = QDir(Output).entryList(QDir::Files);
        // Sorted by name, the free name beside it ("Title02-<time>.mp4") comes first.
        ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
        EXPECT_EQ(files[1], "Title02.mp4");
        const QString kept = files[0];
        EXPECT_TRUE(QRegularExpression("^Title02-\\d{8}-\\d{6}-\\d{3}\\.mp4$").match(kept).hasMatch())
            << kept.toStdString();
        TStreamLengths lengths;
        QString error;
        ASSERT_TRUE(MeasureStreamLengths(Output + kept, lengths, error)) << error.toStdString();
        EXPECT_NEAR(lengths.Video, 3, 0.05);
        EXPECT_TRUE(r.Failures[0].Problem.endsWith("The file is kept as " + Output + kept + "."))
            << r.Failures[0].Problem.toStdString();
    }
}

// A killed run leaves its work file (or pipe), its partial output and its folder of links behind. The next run
// removes them, and nothing of a run whose process still runs (here: this test's own) or that is not a run's.
TEST_F(ConversionDriver, ARunRemovesWhatKilledRunsLeftAndNothingOfALiveOne) {
    const QString temp = Root.filePath("tmp");
    QDir().mkpath(temp);
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.toLocal8Bit());
    QProcess gone;
    gone.start("true", {});
    ASSERT_TRUE(gone.waitForStarted());
    const QString dead = QString::number(gone.processId());
    ASSERT_TRUE(gone.waitForFinished());
    const QString live = QString::number(QCoreApplication::applicationPid());
    const QString target = Root.filePath("a disc file");
    const auto make = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write("x") == 1;
    };
    ASSERT_TRUE(make(target));
    const QStringList deadFiles{Context.WorkDir + "temp-" + dead + "-aB3dE6.avi",
                                Output + "Title09.partial-" + dead + "-aB3dE6.mp4"};
    const QStringList keptFiles{Context.WorkDir + "temp-" + live + "-aB3dE6.avi",
                                Output + "Title09.partial-" + live + "-aB3dE6.mp4", Context.WorkDir + "temp.avi",
                                Output + "Title09.mp4", Output + "Title09.partial-" + dead + "-aB3dE6.mp4.txt"};
    for (const QString& path : deadFiles + keptFiles)
        ASSERT_TRUE(make(path)) << path.toStdString();
    const QString deadPipe = Context.WorkDir + "temp-" + dead + "-pIpE00.avi";
    ASSERT_EQ(::mkfifo(QFile::encodeName(deadPipe).constData(), 0600), 0);
    for (const QString& pid : {dead, live}) {
        const QString view = temp + "/velloric-view-" + pid + "-aB3dE6";
        ASSERT_TRUE(QDir().mkpath(view));
        ASSERT_TRUE(QFile::link(target, view + "/VTS_01_1.VOB"));
    }
    // A gone run's folder of links that holds something else as well is left as it is.
    const QString heldView = temp + "/velloric-view-" + dead + "-hElD00";
    ASSERT_TRUE(QDir().mkpath(heldView));
    ASSERT_TRUE(make(heldView + "/notes.txt"));

    Tasks.SetChecked(T2, true);
    const TRunResult r = Driver.Start(Settings);
    if (savedTemp.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTemp);
    ASSERT_EQ(r.Outcome, TRunResult::Completed);
    for (const QString& path : deadFiles + QStringList{deadPipe, temp + "/velloric-view-" + dead + "-aB3dE6"})
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString& path : keptFiles + QStringList{target, temp + "/velloric-view-" + live + "-aB3dE6/VTS_01_1.VOB",
                                                       heldView + "/notes.txt"})
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    // This run's own folder of links is gone with it.
    QStringList views{"velloric-view-" + dead + "-hElD00", "velloric-view-" + live + "-aB3dE6"};
    views.sort();
    EXPECT_EQ(QDir(temp).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name), views);
}

TEST_F(ConversionDriver, PlanListsTheCommandsWithoutRunningThem) {
    Tasks.SetChecked(T2, true);
    const auto plan = Driver.Plan(Settings);
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].OutputPath, Output + "Title02.mp4");
    EXPECT_EQ(plan[0].StageOne.first(), "dvd://2");
    EXPECT_EQ(plan[0].StageTwo.last(), Output + "Title02.mp4");
    EXPECT_TRUE(Runs().isEmpty());
}

// Both stages at once through a named pipe: either side failing leaves the other blocked on the pipe or
// running on; the driver ends it and reports the first failure. The run does not hang in any case.
TEST_F(ConversionDriver, OverlappedStagesEndTheOtherSideAndReportTheFirstFailure) {
    Tasks.SetChecked(T1->Children[0].get(), true);
    Driver.OverlapChoice = true;
    const QString helper = Root.filePath("helper.pid");
    qputenv("FAKE_HELPER_PID", helper.toLocal8Bit());
    QFile prefs(ProgramDir + "Preferences.ini");
    ASSERT_TRUE(prefs.open(QIODevice::WriteOnly));
    prefs.write("[Main]\r\nStall Seconds=1\r\n");
    prefs.close();
    struct Case {
        const char *Stage1, *Stage2, *Expected;
    };
    for (const Case& c : {
             // stage one fails before it opens the pipe: stage two waits in open()
             Case{"fail", "ok", "Stage one (MEncoder) exited with code 1:\nCannot open DVD device.?[2J"},
             // stage two refuses its options: stage one waits in open()
             Case{"ok", "fail", "Stage two (FFmpeg) exited with code 1:\nUnknown encoder 'none'"},
             // stage two fails later: stage one (and its helper) would run on
             Case{"stall", "latefail",
                  "Stage two (FFmpeg) exited with code 1:\nError while decoding stream #0:0"},
             // stage one stalls while stage two waits for more: the watchdog ends both
             Case{"stall", "ok", "Stage one (MEncoder) stalled: its progress did not advance for 1 s"},
             // stage two stops reading: stage one is blocked on the full pipe, and the stall is stage two's
             Case{"flood", "hang", "Stage two (FFmpeg) stalled: its progress did not advance for 1 s"},
             Case{"ok", "hang", "Stage two (FFmpeg) stalled: its progress did not advance for 1 s"},
         }) {
        SCOPED_TRACE(std::string(c.Stage1) + "/" + c.Stage2);
        QFile::remove(helper);
        QFile::remove(Log);
        qputenv("FAKE_STAGE1", c.Stage1);
        qputenv("FAKE_STAGE2", c.Stage2);
        const TRunResult r = Driver.Start(Settings);
        EXPECT_EQ(r.Outcome, TRunResult::CompletedWithFailures);
        ASSERT_EQ(r.Failures.size(), 1u);
        EXPECT_TRUE(r.Failures[0].Problem.startsWith(c.Expected)) << r.Failures[0].Problem.toStdString();
        EXPECT_TRUE(QDir(Output).isEmpty()) << QDir(Output).entryList().join(' ').toStdString();
        EXPECT_TRUE(QDir(Context.WorkDir).entryList({"temp*"}, QDir::Files | QDir::System).isEmpty());
        const QString pid = Contents(helper).trimmed();
        if (pid.isEmpty())
            continue;
        const auto ended = [&] {
            const QString stat = Contents("/proc/" + pid + "/stat");
            return stat.isEmpty() || stat.section(") ", 1).startsWith("Z");
        };
        for (int i = 0; i < 50 && !ended(); ++i)
            QThread::msleep(100);
        EXPECT_TRUE(ended()) << "stage one's helper runs on";
    }
}

TEST_F(ConversionDriver, OverlappedStagesReadThePipeAndTheBarsOnlyAdvance) {
    Tasks.SetChecked(T1, true);
    Tasks.SetChecked(T2, true);
    Driver.OverlapChoice = true;
    qputenv("FAKE_STAGE1", "slow");
    const TRunResult r = Driver.Start(Settings);
    ASSERT_EQ(r.Outcome, TRunResult::Completed)
        << (r.Failures.empty() ? "" : r.Failures[0].Problem.toStdString());
    EXPECT_EQ(FileBytes(Output + "Title02.mp4"), kWhole);
    // Stage two read stage one's own work file, a named pipe that is gone with the run.
    const QStringList two = RunsOf("stage2");
    ASSERT_EQ(two.size(), 2);
    EXPECT_TRUE(two[0].contains(Driver.WorkFilePath())) << two[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(Driver.WorkFilePath()));
    int current = 0, total = 0, items = 0;
    for (const TProgressFigures& f : FrontEnd.Shown) {
        if (f.CurrentBar < current) // the next item starts from 0
            ++items, current = 0;
        EXPECT_GE(f.TotalBar, total);
        EXPECT_TRUE(f.TotalBar < 100 || &f == &FrontEnd.Shown.back() || f.CurrentBar == 100);
        current = f.CurrentBar;
        total = f.TotalBar;
    }
    EXPECT_EQ(items, 1);
    EXPECT_EQ(FrontEnd.Last.TotalBar, 100);
}

TEST_F(ConversionDriver, StopWithBothStagesRunningEndsThemAndLeavesNothing) {
    Tasks.SetChecked(T2, true);
    Driver.OverlapChoice = true;
    qputenv("FAKE_STAGE1", "slow");
    qputenv("FAKE_STAGE1_STEPS", "200");
    QTimer::singleShot(400, [&] { Driver.Stop(); });
    const TRunResult r = Driver.Start(Settings);
    EXPECT_EQ(r.Outcome, TRunResult::Cancelled);
    EXPECT_EQ(RunsOf("stage2").size(), 1);
    EXPECT_TRUE(QDir(Output).isEmpty()) << QDir(Output).entryList().join(' ').toStdString();
    EXPECT_TRUE(QDir(Context.WorkDir).entryList({"temp*"}, QDir::Files | QDir::System).isEmpty());
}

TEST_F(ConversionDriver, TheDirectEngineFeedsTheEncoderUntilItStopsReading) {
    // The disc's cells are read for real and fed to the stand-in encoder's standard input. Whatever the
    // encoder does with it (reads it all, fails after a byte, never reads it and stalls, or is stopped),
    // the run ends and says what happened.
    Context.DVDInformation.DiscPath = SampleDiscDir("pal") + "/VIDEO_TS/";
    Tasks.SetChecked(T2, true);
    Driver.EngineChoice = TPreferences::Direct;
    QFile prefs(ProgramDir + "Preferences.ini");
    ASSERT_TRUE(prefs.open(QIODevice::WriteOnly));
    prefs.write("[Main]\r\nStall Seconds=0.6\r\n");
    prefs.close();
    struct Case {
        const char* Encoder;
        bool Stop;
        TRunResult::TOutcome Outcome;
        const char* Problem;
    };
    for (const Case& c : {Case{"ok", false, TRunResult::Completed, ""},
                          Case{"latefail", false, TRunResult::CompletedWithFailures, "Error while decoding"},
                          Case{"hang", false, TRunResult::CompletedWithFailures, "stalled"},
                          Case{"hang", true, TRunResult::Cancelled, ""}}) {
        SCOPED_TRACE(std::string(c.Encoder) + (c.Stop ? " and Stop" : ""));
        qputenv("FAKE_STAGE2", c.Encoder);
        if (c.Stop)
            QTimer::singleShot(300, [&] { Driver.Stop(); });
        const TRunResult r = Driver.Start(Settings);
        EXPECT_EQ(r.Outcome, c.Outcome);
        if (*c.Problem) {
            ASSERT_EQ(r.Failures.size(), 1u);
            EXPECT_TRUE(r.Failures[0].Problem.contains(c.Problem)) << r.Failures[0].Problem.toStdString();
        }
        EXPECT_TRUE(RunsOf("stage1").isEmpty());
        EXPECT_TRUE(RunsOf("stage2").constLast().contains(" -i pipe:0 "));
        EXPECT_EQ(QDir(Output).entryList(QDir::Files),
                  c.Outcome == TRunResult::Completed ? QStringList{"Title02.mp4"} : QStringList{});
        QDir(Output).removeRecursively();
        QDir().mkpath(Output);
    }
    qunsetenv("FAKE_STAGE2");
}

// Rows side by side: the direct engine's two rows run their encoders at once (both partial files are there
// together), each row's output is its own, Stop ends both, and a row that fails leaves the other made.
TEST_F(ConversionDriver, TwoRowsSideBySide) {
    Context.DVDInformation.DiscPath = SampleDiscDir("pal") + "/VIDEO_TS/";
    Tasks.SetChecked(T1, true);
    Tasks.SetChecked(T2, true);
    Driver.EngineChoice = TPreferences::Direct;
    Driver.ParallelRowsChoice = 2;

    struct Case {
        const char* Encoder;
        const char* FailOn;
        bool StopWhenBoth;
        TRunResult::TOutcome Outcome;
        QStringList Made;
    };
    for (const Case& c : {Case{"slow", "", false, TRunResult::Completed, {"Title01.mp4", "Title02.mp4"}},
                          Case{"hang", "", true, TRunResult::Cancelled, {}},
                          Case{"slow", "Title01", false, TRunResult::CompletedWithFailures, {"Title02.mp4"}}}) {
        SCOPED_TRACE(std::string(c.Encoder) + " " + c.FailOn);
        qputenv("FAKE_STAGE2", c.Encoder);
        qputenv("FAKE_STAGE2_FAIL_ON", c.FailOn);
        // No stall watch when stopping: only Stop can end the encoders that hang.
        QFile prefs(ProgramDir + "Preferences.ini");
        ASSERT_TRUE(prefs.open(QIODevice::WriteOnly));
        prefs.write(c.StopWhenBoth ? "[Main]\r\nStall Seconds=0\r\n" : "[Main]\r\n");
        prefs.close();
        FrontEnd.Messages.clear();
        FrontEnd.Shown.clear();
        int mostAtOnce = 0;
        const qsizetype encodersBefore = RunsOf("stage2").size();
        FrontEnd.OnPump = [&] {
            const int partial = QDir(Output).entryList({"*.partial-*"}, QDir::Files).size();
            mostAtOnce = std::max(mostAtOnce, partial);
            // Once both encoders have started (the encoder that hangs writes nothing else).
            if (c.StopWhenBoth && RunsOf("stage2").size() == encodersBefore + 2)
                Driver.Stop();
        };
        const TRunResult r = Driver.Start(Settings);
        FrontEnd.OnPump = nullptr;
        EXPECT_EQ(r.Outcome, c.Outcome);
        if (c.Outcome == TRunResult::Completed)
            EXPECT_EQ(mostAtOnce, 2);
        EXPECT_EQ(QDir(Output).entryList(QDir::Files), c.Made);
        for (const QString& made : c.Made)
            EXPECT_EQ(FileBytes(Output + made), kWhole);
        EXPECT_EQ(r.Outputs.size(), c.Made.size());
        if (!*c.FailOn)
            EXPECT_TRUE(r.Failures.empty()) << r.Failures[0].Problem.toStdString();
        if (*c.FailOn) {
            ASSERT_EQ(r.Failures.size(), 1u);
            EXPECT_EQ(r.Failures[0].Output, "Title01.mp4");
            EXPECT_TRUE(r.Failures[0].Problem.contains("Unknown encoder")) << r.Failures[0].Problem.toStdString();
        }
        // One closing message, after both rows.
        EXPECT_EQ(FrontEnd.Messages.size(), 1);
        if (c.Outcome == TRunResult::Completed) {
            EXPECT_EQ(FrontEnd.Last.TotalBar, 100);
            const bool bothShown = std::any_of(FrontEnd.Shown.begin(), FrontEnd.Shown.end(),
                                               [](const TProgressFigures& f) { return f.Rows.size() == 2; });
            EXPECT_TRUE(bothShown);
        }
        QDir(Output).removeRecursively();
        QDir().mkpath(Output);
    }
    qunsetenv("FAKE_STAGE2");
    qunsetenv("FAKE_STAGE2_FAIL_ON");
}

// A row cut in pieces already fills the cores; Auto shares them out (whole rows: one more than the cores), a
// number asked is kept.
TEST(RowsAtOnce, ShareTheCoresThePiecesLeave) {
    struct Case {
        int Asked, Cores, Pieces, Rows;
    };
    for (const Case& c : {Case{0, 2, 1, 3}, Case{0, 8, 1, 9}, Case{0, 8, 4, 2}, Case{0, 2, 2, 1}, Case{0, 2, 4, 1},
                          Case{1, 8, 1, 1}, Case{4, 2, 1, 4}, Case{4, 8, 4, 2}, Case{0, 0, 1, 1}}) {
        EXPECT_EQ(RowsAtOnce(c.Asked, c.Cores, c.Pieces), c.Rows) << c.Asked << " " << c.Cores << " " << c.Pieces;
    }
    EXPECT_EQ(ParallelRowsOf("auto"), 0);
    EXPECT_EQ(ParallelRowsOf(" 3 "), 3);
    for (const char* bad : {"0", "-1", "two", ""})
        EXPECT_EQ(ParallelRowsOf(bad), -1) << bad;
}

TEST_F(ConversionDriver, ARowInPiecesFailsWholeAndLeavesNothingBehind) {
    // Title 1 of the sample disc (24 s) in two pieces, read for real, made by the stand-in encoder: two
    // pieces and the audio side by side, then the join. Whichever of them fails, stalls or is stopped, the
    // row fails with what that encoder said, and neither a piece, nor the audio, nor the join is left.
    Context.DVDInformation.DiscPath = SampleDiscDir("pal") + "/VIDEO_TS/";
    SetRange(*T1, 0, 24);
    Tasks.SetChecked(T1, true);
    Driver.EngineChoice = TPreferences::Direct;
    Driver.PiecesChoice = 2;
    Driver.Cores = 4; // each piece's encoder gets two threads
    QFile prefs(ProgramDir + "Preferences.ini");
    ASSERT_TRUE(prefs.open(QIODevice::WriteOnly));
    // Long enough that a busy machine's slow stand-in is not taken for a stalled one.
    prefs.write("[Main]\r\nStall Seconds=2\r\n");
    prefs.close();
    struct Case {
        const char *Encoder, *FailOutput;
        bool Stop;
        TRunResult::TOutcome Outcome;
        const char* Problem;
        const char* HangOutput = ""; // with Stop: pressed once the encoder of that output has started
    };
    for (const Case& c : {
             Case{"ok", "", false, TRunResult::Completed, ""},
             Case{"ok", "piece-2", false, TRunResult::CompletedWithFailures,
                  "Stage two (FFmpeg), piece 2 of 2, exited with code 1:\nUnknown encoder 'none'"},
             Case{"ok", "rest", false, TRunResult::CompletedWithFailures,
                  "Stage two (FFmpeg), the audio, exited with code 1"},
             Case{"ok", ".partial-", false, TRunResult::CompletedWithFailures,
                  "Stage two (FFmpeg) joining the pieces exited with code 1"},
             Case{"hang", "", false, TRunResult::CompletedWithFailures,
                  " of 2, stalled: its progress did not advance for 2 s"},
             Case{"hang", "", true, TRunResult::Cancelled, ""},
             Case{"ok", "", false, TRunResult::CompletedWithFailures,
                  "Stage two (FFmpeg) joining the pieces stalled", ".partial-"},
             Case{"ok", "", true, TRunResult::Cancelled, "", ".partial-"},
         }) {
        SCOPED_TRACE(std::string(c.Encoder) + " " + c.FailOutput + (c.Stop ? " and Stop" : ""));
        QFile::remove(Log);
        qputenv("FAKE_STAGE2", c.Encoder);
        qputenv("FAKE_STAGE2_FAIL_ON", c.FailOutput);
        qputenv("FAKE_STAGE2_HANG_ON", c.HangOutput);
        QTimer joinWatch;
        if (c.Stop && *c.HangOutput) {
            QObject::connect(&joinWatch, &QTimer::timeout, [&] {
                if (!RunsOf("stage2").filter(c.HangOutput).isEmpty())
                    Driver.Stop();
            });
            joinWatch.start(50);
        } else if (c.Stop) {
            QTimer::singleShot(300, [&] { Driver.Stop(); });
        }
        const TRunResult r = Driver.Start(Settings);
        EXPECT_EQ(r.Outcome, c.Outcome);
        if (*c.Problem) {
            ASSERT_EQ(r.Failures.size(), 1u);
            EXPECT_TRUE(r.Failures[0].Problem.contains(c.Problem)) << r.Failures[0].Problem.toStdString();
        }
        const QStringList runs = RunsOf("stage2");
        const auto runOf = [&](const QString& file) {
            const QStringList found = runs.filter(file);
            return found.size() == 1 ? found[0] : QString();
        };
        if (c.Outcome == TRunResult::Completed) {
            ASSERT_EQ(runs.size(), 4) << runs.join('\n').toStdString();
            // Each piece makes the video of its own part with its share of the cores; the audio is made
            // once for the whole range.
            for (const char* piece : {"/piece-1.mp4", "/piece-2.mp4"})
                EXPECT_TRUE(runOf(piece).contains(" -an ") && runOf(piece).contains(" -threads 2 "))
                    << runs.join('\n').toStdString();
            EXPECT_TRUE(runs.filter(" -vn ").size() == 1 && runs.filter(" -vn ")[0].contains(" -t 24.000 "));
            EXPECT_TRUE(runs.last().contains("-f concat")) << runs.last().toStdString();
            EXPECT_EQ(FileBytes(Output + "Title01.mp4"), kWhole);
        }
        EXPECT_EQ(QDir(Output).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  c.Outcome == TRunResult::Completed ? QStringList{"Title01.mp4"} : QStringList{});
        QDir(Output).removeRecursively();
        QDir().mkpath(Output);
    }
    qunsetenv("FAKE_STAGE2");
    qunsetenv("FAKE_STAGE2_FAIL_ON");
    qunsetenv("FAKE_STAGE2_HANG_ON");
}

// A row in pieces fills the cores by itself: with rows side by side asked for, such a run still converts
// its rows one after the other. Each row's encoders (its pieces, its audio, then its join) all run before
// the next row's first one starts, and no two rows' files are ever being written at once.
TEST_F(ConversionDriver, RowsInPiecesGoOneAfterTheOther) {
    Context.DVDInformation.DiscPath = SampleDiscDir("pal") + "/VIDEO_TS/";
    SetRange(*T1, 0, 24);
    SetRange(*T2, 0, 8);
    Tasks.SetChecked(T1, true);
    Tasks.SetChecked(T2, true);
    Driver.EngineChoice = TPreferences::Direct;
    Driver.PiecesChoice = 2;
    Driver.ParallelRowsChoice = 2;
    qputenv("FAKE_STAGE2", "slow");
    int mostAtOnce = 0;
    FrontEnd.OnPump = [&] {
        const int partial = QDir(Output).entryList({"*.partial-*"}, QDir::Files).size();
        mostAtOnce = std::max(mostAtOnce, partial);
    };
    const TRunResult r = Driver.Start(Settings);
    FrontEnd.OnPump = nullptr;
    qunsetenv("FAKE_STAGE2");
    ASSERT_EQ(r.Outcome, TRunResult::Completed)
        << (r.Failures.empty() ? "" : r.Failures[0].Problem.toStdString());
    EXPECT_EQ(QDir(Output).entryList(QDir::Files), (QStringList{"Title01.mp4", "Title02.mp4"}));
    EXPECT_EQ(mostAtOnce, 1);
    // The first row's join is its last encoder; everything of the second row is logged after it.
    const QStringList runs = RunsOf("stage2");
    ASSERT_GE(runs.size(), 5) << runs.join('\n').toStdString();
    EXPECT_TRUE(runs[3].contains("Title01.partial-")) << runs.join('\n').toStdString();
    EXPECT_TRUE(runs[3].contains("-f concat")) << runs[3].toStdString();
    for (int i = 4; i < runs.size(); ++i)
        EXPECT_FALSE(runs[i].contains("Title01")) << runs[i].toStdString();
    EXPECT_TRUE(runs.last().contains("Title02.partial-")) << runs.last().toStdString();
}

// Files the profiles' containers hold, made by the real encoder: MP4 and AVI keep each stream's length,
// Matroska and WebM a tag, MP3 none (its length comes from the stream itself).
TEST(StreamLengths, AreReadFromTheFileInEachContainer) {
    QTemporaryDir dir;
    struct Case {
        const char *Name, *Video, *Audio;
        double VideoSeconds, AudioSeconds;
    };
    for (const Case& c : {Case{"a.mp4", "mpeg4", "aac", 2.0, 0.5}, Case{"a.mkv", "mpeg4", "aac", 3.0, 1.0},
                          Case{"a.avi", "mpeg4", "mp3", 1.0, 2.0}, Case{"a.webm", "libvpx", "libvorbis", 1.0, 1.5},
                          Case{"a.mp3", nullptr, "mp3", -1, 2.0}}) {
        SCOPED_TRACE(c.Name);
        const QString file = dir.filePath(c.Name);
        QStringList args{"-nostdin", "-v", "error", "-y"};
        if (c.Video)
            args << "-f" << "lavfi" << "-i" << QStringLiteral("color=s=32x32:r=25:d=%1").arg(c.VideoSeconds);
        args << "-f" << "lavfi" << "-i" << QStringLiteral("sine=r=44100:d=%1").arg(c.AudioSeconds);
        if (c.Video)
            args << "-c:v" << c.Video;
        args << "-c:a" << c.Audio << file;
        ASSERT_EQ(QProcess::execute("ffmpeg", args), 0);
        TStreamLengths lengths;
        QString error;
        ASSERT_TRUE(MeasureStreamLengths(file, lengths, error)) << error.toStdString();
        EXPECT_NEAR(lengths.Video, c.VideoSeconds, c.Video ? 0.05 : 0);
        EXPECT_NEAR(lengths.Audio, c.AudioSeconds, 0.05);
    }
    // What cannot be measured says which file it was.
    QFile text(dir.filePath("text.mp4"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("partial\n");
    text.close();
    for (const QString& file : {text.fileName(), dir.filePath("missing.mkv")}) {
        TStreamLengths lengths;
        QString error;
        EXPECT_FALSE(MeasureStreamLengths(file, lengths, error));
        EXPECT_TRUE(error.startsWith(file + ": ")) << error.toStdString();
    }
}

} // namespace
