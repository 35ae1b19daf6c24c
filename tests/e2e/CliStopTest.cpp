// velloric-cli ended from outside: its reader goes away, or it is killed outright.
#include "support/JsonProgress.h"
#include "support/ProgramFolder.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

class CliStop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Root.isValid());
        Disc = Root.filePath("disc") + "/";
        QDir().mkpath(Disc + "VIDEO_TS");
        const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
        for (const QString& name : QDir(from).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(from + name, Disc + "VIDEO_TS/" + name));
        for (const char* folder : {"out", "work", "tmp"})
            QDir().mkpath(Root.filePath(folder));
        Output = Root.filePath("out") + "/";
        Work = Root.filePath("work") + "/";
        Temp = Root.filePath("tmp");
    }

    QStringList Arguments(const QStringList& more) const {
        return QStringList{"convert", Disc, "--output", Output, "--work-dir", Work, "--overwrite", "overwrite"} +
               more;
    }
    // The program with its temporary folder (where its folder of links goes) inside the test's own.
    void Prepare(QProcess& p) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", Temp);
        p.setProcessEnvironment(env);
    }

    // Processes whose command line names a path under the test's folder: the program and its encoders.
    QStringList ProcessesOfThisTest() const {
        QStringList found;
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile cmdline("/proc/" + pid + "/cmdline");
            if (pid.toInt() <= 0 || !cmdline.open(QIODevice::ReadOnly))
                continue;
            const QByteArray line = cmdline.readAll();
            QFile stat("/proc/" + pid + "/stat");
            const bool zombie = stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z ");
            if (!zombie && line.contains(Root.path().toUtf8()) && !line.startsWith("bash"))
                found << pid + " " + QString::fromUtf8(line).replace('\0', ' ');
        }
        return found;
    }
    bool NoProcessWithin(int ms) const {
        for (int waited = 0; waited < ms && !ProcessesOfThisTest().isEmpty(); waited += 100)
            QThread::msleep(100);
        return ProcessesOfThisTest().isEmpty();
    }

    QTemporaryDir Root;
    QString Disc, Output, Work, Temp;
};

} // namespace

// Piped into head, the program sees its output closed after two lines: it stops the run as Ctrl+C does, says
// so with an exit code of its own, and leaves no encoder, partial file, work file or folder of links.
TEST_F(CliStop, AClosedOutputStopsTheRunAndLeavesNothing) {
    struct Case {
        const char* What;
        QString Pipe; // how the program's output reaches head
    };
    for (const Case& c : {Case{"standard output", "--progress json | head -2"},
                          Case{"standard error", "--progress text 2>&1 >/dev/null | head -2"}}) {
        SCOPED_TRACE(c.What);
        QProcess shell;
        Prepare(shell);
        QStringList quoted;
        for (const QString& a : QStringList{ProgramBinDir() + "/velloric-cli"} +
                                    Arguments({"--title", "1", "--profile", "WebM - VP8 Vorbis"}))
            quoted << "'" + a + "'";
        shell.start("bash", {"-c", quoted.join(' ') + " " + c.Pipe + " >/dev/null; exit ${PIPESTATUS[0]}"});
        ASSERT_TRUE(shell.waitForFinished(120000));
        EXPECT_EQ(shell.exitCode(), 3) << shell.readAllStandardError().toStdString();
        EXPECT_TRUE(NoProcessWithin(5000)) << ProcessesOfThisTest().join('\n').toStdString();
        EXPECT_TRUE(QDir(Output).isEmpty()) << QDir(Output).entryList().join(' ').toStdString();
        EXPECT_TRUE(QDir(Work).isEmpty()) << QDir(Work).entryList().join(' ').toStdString();
        EXPECT_TRUE(QDir(Temp).isEmpty()) << QDir(Temp).entryList().join(' ').toStdString();
    }
}

// SIGKILL gives the program no chance to stop its encoders: they die with it. What it left (its work file,
// partial output and folder of links) the next run removes.
TEST_F(CliStop, AKilledRunTakesItsEncodersAlongAndTheNextRunClearsWhatItLeft) {
    QProcess p;
    Prepare(p);
    p.start(ProgramBinDir() + "/velloric-cli",
            Arguments({"--title", "1", "--profile", "WebM - VP8 Vorbis", "--progress", "json"}));
    ASSERT_TRUE(p.waitForStarted());
    QByteArray seen; // past 50 % the run is in stage two: work file and partial output both exist
    ASSERT_TRUE(WaitForProgress(p, 60, seen)) << seen.toStdString();
    ASSERT_FALSE(ProcessesOfThisTest().isEmpty());
    const QString killed = QString::number(p.processId());
    ::kill(pid_t(p.processId()), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_TRUE(NoProcessWithin(5000)) << ProcessesOfThisTest().join('\n').toStdString();
    EXPECT_EQ(QDir(Work).entryList(QDir::Files | QDir::System).filter("temp-" + killed + "-").size(), 1);
    EXPECT_EQ(QDir(Output).entryList(QDir::Files).filter(".partial-" + killed + "-").size(), 1);
    EXPECT_EQ(QDir(Temp).entryList(QDir::Dirs | QDir::NoDotAndDotDot).filter("velloric-view-" + killed).size(), 1);

    QProcess next;
    Prepare(next);
    next.start(ProgramBinDir() + "/velloric-cli", Arguments({"--title", "1", "--end", "00:00:02"}));
    ASSERT_TRUE(next.waitForFinished(120000));
    ASSERT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(Output).entryList(QDir::Files), QStringList{"Title01.mp4"});
    EXPECT_TRUE(QDir(Work).isEmpty()) << QDir(Work).entryList().join(' ').toStdString();
    EXPECT_TRUE(QDir(Temp).isEmpty()) << QDir(Temp).entryList().join(' ').toStdString();
}

// Killed while a row is made in pieces, the run leaves the folder of its pieces beside the output; the next
// run removes it, but not a folder of that name that holds a file the run does not make.
TEST_F(CliStop, AKilledRunInPiecesLeavesItsPiecesForTheNextRunToClear) {
    QProcess p;
    Prepare(p);
    p.start(ProgramBinDir() + "/velloric-cli",
            Arguments({"--title", "1", "--profile", "WebM - VP8 Vorbis", "--engine", "direct", "--pieces",
                       "2", "--progress", "json"}));
    ASSERT_TRUE(p.waitForStarted());
    QByteArray seen;
    ASSERT_TRUE(WaitForProgress(p, 20, seen)) << seen.toStdString();
    const QString killed = QString::number(p.processId());
    ::kill(pid_t(p.processId()), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_TRUE(NoProcessWithin(5000)) << ProcessesOfThisTest().join('\n').toStdString();
    const QStringList left = QDir(Output).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    ASSERT_EQ(left.filter(QRegularExpression("^\\.Title01\\.pieces-" + killed + "-\\w{6}$")).size(), 1)
        << left.join(' ').toStdString();
    const QString keep = Output + ".Mine.pieces-" + killed + "-AbCdEf";
    QDir().mkpath(keep);
    QFile notes(keep + "/notes.txt");
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();

    QProcess next;
    Prepare(next);
    next.start(ProgramBinDir() + "/velloric-cli", Arguments({"--title", "1", "--end", "00:00:02"}));
    ASSERT_TRUE(next.waitForFinished(120000));
    ASSERT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(Output).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({".Mine.pieces-" + killed + "-AbCdEf", "Title01.mp4"}));
    EXPECT_TRUE(QFileInfo(keep + "/notes.txt").isFile());
}

// SIGTERM while a row's pieces are being joined: the join is ended, and neither a piece, nor the pieces'
// folder, nor a partial file is left; the user's file at the output's name is kept.
TEST_F(CliStop, TerminateDuringTheJoinOfPiecesLeavesNothing) {
    // The real encoder, whose join reads its pieces at the speed of playing (-re), so that it lasts long
    // enough to be stopped in.
    TProgramFolder program(TProgramFolder::Real);
    ASSERT_TRUE(QFile::copy(ProgramBinDir() + "/velloric-cli", program.Path + "velloric-cli"));
    const QString encoder = program.Path + "wmaspi.dll", real = QFileInfo(encoder).canonicalFilePath();
    ASSERT_TRUE(QFile::remove(encoder));
    QFile script(encoder);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/bash\nfor a; do [ \"$a\" = concat ] && exec '" + real +
                  "' -re \"$@\"; done\nexec '" + real + "' \"$@\"\n")
                     .toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    QFile old(Output + "Title01.mp4");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the user's good file");
    old.close();

    QProcess p;
    Prepare(p);
    p.start(program.Path + "velloric-cli",
            Arguments({"--title", "1", "--engine", "direct", "--pieces", "2"}));
    ASSERT_TRUE(p.waitForStarted());
    // Once the join has begun writing its file.
    bool joining = false;
    for (int i = 0; i < 1200 && !joining && p.state() == QProcess::Running; ++i) {
        joining = !ProcessesOfThisTest().filter(" -re -y -f concat ").isEmpty() &&
                  !QDir(Output).entryList(QDir::Files).filter(".partial-").isEmpty();
        if (!joining)
            QThread::msleep(100);
    }
    ASSERT_TRUE(joining) << p.readAllStandardError().toStdString();
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(60000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 143) << err.toStdString();
    EXPECT_TRUE(err.contains("The conversion is canceled.")) << err.toStdString();
    EXPECT_TRUE(NoProcessWithin(5000)) << ProcessesOfThisTest().join('\n').toStdString();
    EXPECT_EQ(QDir(Output).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Title01.mp4"});
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "the user's good file");
    EXPECT_TRUE(QDir(Work).isEmpty()) << QDir(Work).entryList().join(' ').toStdString();
    EXPECT_TRUE(QDir(Temp).isEmpty()) << QDir(Temp).entryList().join(' ').toStdString();
}
