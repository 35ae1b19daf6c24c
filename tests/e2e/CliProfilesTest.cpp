#include "support/TestPaths.h"
#include "support/RunProgram.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TRun Cli(const QStringList& args) {
    return RunProgram(ProgramBinDir() + "/velloric-cli", args, 60000);
}

TEST(CliProfiles, ListsTheProfilesInWindowOrder) {
    const TRun run = Cli({"profiles"});
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "Any Player - MPEG-4 (MP4)\nAudio Only - MP3\nAVI - MPEG-4 Xvid\nH.264 AAC (MKV)\n"
                       "H.264 AAC (MP4)\nKeep Original (MKV)\nWebM - VP8 Vorbis\n");
}

TEST(CliProfiles, ArgsPrintsBothTextsOfTheSavedChoices) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Illustration.apf");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Main]\r\nType=mp4\r\nPara=3\r\n0=Video Size\r\n1=Aspect\r\n2=Bit Rate\r\n\r\n"
            "[Video Size]\r\nSort=1\r\ncmd=-s\r\nList=1\r\nCaption=Original Size,Custom Size,\r\nValue=,,\r\n"
            "Index=0\r\n\r\n[Aspect]\r\nSort=1\r\ncmd=-aspect\r\nList=1\r\nCaption=4:3,16:9,\r\nValue=4:3,16:"
            "9,\r\n"
            "Index=0\r\n\r\n[Bit "
            "Rate]\r\nSort=1\r\ncmd=-b\r\nList=0\r\nReadOnly=0\r\nCaption=800\r\nValue=800\r\n");
    f.close();
    TRun run = Cli({"args", path});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out,
              " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=800:mbd=2:autoaspect -oac mp3lame -lameopts "
              "vbr=2:q=5 -channels 2 -srate  -af volume=10:0\n -aspect 4:3 -b 800\n");

    run = Cli({"args", "H.264 AAC (MKV)"});
    ASSERT_EQ(run.ExitCode, 0);
    // The profile's text as it stands: "-vf auto" becomes the title's own filter only when it is converted.
    EXPECT_TRUE(run.Out.endsWith(" -vcodec libx264 -b 1600000 -acodec aac -ab 128000 -ar 44100 -ac 2 -vf auto "
                                 "-preset veryfast\n"))
        << run.Out.toStdString();

    run = Cli({"args", "No Such Profile"});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Out.isEmpty());
    EXPECT_TRUE(run.Err.contains("No Such Profile.apf: no such profile")) << run.Err.toStdString();
}

} // namespace
