#include "profiles/ArgumentBuilder.h"
#include "profiles/IniFile.h"
#include "profiles/IniText.h"
#include "profiles/NewIniFile.h"
#include "profiles/Preferences.h"
#include "profiles/ProfileModel.h"

#include "support/QtPrinters.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char* const kIllustration =
    "[Main]\r\nType=mp4\r\nPara=3\r\n0=Video Size\r\n1=Aspect\r\n2=Bit Rate\r\n\r\n"
    "[Video Size]\r\nSort=1\r\ncmd=-s\r\nList=1\r\n"
    "Caption=Original Size,Custom Size,\r\nValue=,,\r\nIndex=0\r\n\r\n"
    "[Aspect]\r\nSort=1\r\ncmd=-aspect\r\nList=1\r\nCaption=4:3,16:9,\r\n"
    "Value=4:3,16:9,\r\nIndex=0\r\n\r\n"
    "[Bit Rate]\r\nSort=1\r\ncmd=-b\r\nList=0\r\nReadOnly=0\r\nCaption=800\r\nValue=800\r\n";

class Profiles : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& text) {
        QDir().mkpath(Dir.filePath("Profiles"));
        const QString path = Dir.filePath("Profiles/" + name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }
    QByteArray Read(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    TParamGrids Loaded(const QString& path) {
        TParamGrids grids = TParamGrids::Initial();
        const TProfileLoad load = LoadProfileRows(path, grids);
        EXPECT_TRUE(load.Loaded);
        EXPECT_TRUE(load.Error.isEmpty()) << load.Error.toStdString();
        return grids;
    }
    QTemporaryDir Dir;
};

TEST(ProfileModel, SplitList) {
    EXPECT_EQ(SplitList("a,b,"), (QStringList{"a", "b"}));
    EXPECT_EQ(SplitList("a,b"), QStringList{"a"});
    EXPECT_EQ(SplitList("a,,c,"), (QStringList{"a", "", "c"}));
    EXPECT_EQ(SplitList(" a , b,"), (QStringList{" a ", " b"}));
    EXPECT_TRUE(SplitList("").isEmpty());
    EXPECT_EQ(SplitList(","), QStringList{""});
}

TEST(ProfileModel, CurrentValue) {
    TProfileParam size{"Video Size", 1, false, true, "Original Size,Custom Size,", ",,", 0, "-s", {}};
    EXPECT_EQ(CurrentValue(size, "original size"), "");
    EXPECT_EQ(CurrentValue(size, "640x480"), "640x480"); // a custom size is not among the captions
    TProfileParam fixed{"Codec", 1, true, false, "MPEG-4", "mpeg4", 0, "-vcodec", {}};
    EXPECT_EQ(CurrentValue(fixed, "MPEG-4"), "mpeg4");
    TProfileParam free{"Bit Rate", 1, false, false, "800", "800", 0, "-b", {}};
    EXPECT_EQ(CurrentValue(free, "1200"), "1200");
    TProfileParam shortValues{"X", 1, false, true, "a,b,c,", "1,", 0, "-x", {}};
    EXPECT_EQ(CurrentValue(shortValues, "c"), "");
}

TEST_F(Profiles, ListFilesWithExtAndNames) {
    Write("b.apf", "");
    Write("A.APF", "");
    Write("c.apf.bak", "");
    Write(".hidden.apf", "");
    Write("d.txt", "");
    QDir().mkpath(Dir.filePath("Profiles/folder.apf"));
    EXPECT_EQ(ListFilesWithExt(Dir.filePath("Profiles"), ".apf"), (QStringList{"A.APF", "b.apf"}));
    EXPECT_EQ(StripExtension("A.APF"), "A");
    EXPECT_EQ(StripExtension("a.b.apf"), "a.b");
    EXPECT_EQ(StripExtension("none"), "none");
    EXPECT_TRUE(ListFilesWithExt(Dir.filePath("missing"), ".apf").isEmpty());
}

TEST_F(Profiles, LoadingTheIllustrationProfile) {
    const QString path = Write("Illustration.apf", kIllustration);
    TParamGrids grids = TParamGrids::Initial();
    const TProfileLoad load = LoadProfileRows(path, grids);
    EXPECT_EQ(load.Type, "mp4");
    const auto& video = grids.Groups[TParamGrids::Video];
    ASSERT_EQ(video.size(), 3u);
    EXPECT_EQ(video[0].Key, "Video Size");
    EXPECT_EQ(video[0].Text, "Original Size");
    EXPECT_TRUE(video[0].PickList);
    EXPECT_EQ(video[0].Choices, (QStringList{"Original Size", "Custom Size"}));
    EXPECT_EQ(video[1].Text, "4:3");
    EXPECT_EQ(video[2].Text, "800");
    EXPECT_FALSE(video[2].ReadOnly);
    EXPECT_FALSE(video[2].PickList);
    EXPECT_TRUE(grids.Groups[TParamGrids::Audio].empty());
    EXPECT_TRUE(grids.Groups[TParamGrids::Advanced].empty());
}

TEST_F(Profiles, LoadingEdgeCases) {
    TParamGrids untouched = TParamGrids::Initial();
    EXPECT_FALSE(LoadProfileRows(Dir.filePath("none.apf"), untouched).Loaded);
    EXPECT_EQ(untouched.Groups[TParamGrids::Video].size(), 6u);

    TParamGrids grids = Loaded(Write("bare.apf", "[Main]\r\n"));
    for (const auto& g : grids.Groups)
        EXPECT_TRUE(g.empty());
    EXPECT_EQ(LoadProfileRows(Write("bare.apf", "[Main]\r\n"), grids).Type, "mp4");

    grids = Loaded(Write("p.apf", "[Main]\nType=mkv\nPara=4\n0=A\n1=B\n2=C\n3=D\n"
                                  "[A]\nSort=2\nCaption=x,y,\nValue=1,2,\nIndex=1\n"
                                  "[B]\nSort=3\nCaption=one,,three,\nValue=1,2,3,\nIndex=1\n"
                                  "[C]\nSort=9\nList=0\nReadOnly=1\nCaption=shown\nValue=used\n"
                                  "[D]\nSort=1\nCaption=p,q\nValue=1,2,\n"));
    EXPECT_EQ(grids.RowText(TParamGrids::Audio, "a"), "y");
    EXPECT_EQ(grids.Find(TParamGrids::Advanced, "B")->Choices, (QStringList{"one", "", "three"}));
    EXPECT_EQ(grids.RowText(TParamGrids::Advanced, "B"), "");
    // A Sort outside 1 to 3 follows the parameter before it.
    EXPECT_EQ(grids.RowText(TParamGrids::Advanced, "C"), "shown");
    EXPECT_TRUE(grids.Find(TParamGrids::Advanced, "C")->ReadOnly);
    EXPECT_EQ(grids.Find(TParamGrids::Video, "D")->Choices, QStringList{"p"});

    const QString bad = Write("bad.apf", "[Main]\nPara=2\n0=A\n1=B\n[A]\nSort=1\nCaption=x,\nIndex=0\n"
                                         "[B]\nSort=2\nCaption=x,y,\nIndex=5\n");
    TProfileLoad load = LoadProfileRows(bad, grids);
    EXPECT_EQ(load.Error, "List index out of bounds (5)");
    EXPECT_EQ(grids.RowText(TParamGrids::Video, "A"), "x");
    ASSERT_EQ(grids.Groups[TParamGrids::Audio].size(), 1u);
    EXPECT_EQ(grids.Groups[TParamGrids::Audio][0].Text, "");
}

TEST_F(Profiles, TheStoreVariantRewritesTheProfile) {
    const QString path = Write("lf.apf", "[Main]\nPara=1\n0=A\n[A]\nSort=1\nList=0\nCaption=c\n");
    TParamGrids grids;
    EXPECT_TRUE(LoadProfileRowsWithStore(path, grids).Loaded);
    EXPECT_EQ(grids.RowText(TParamGrids::Video, "A"), "c");
    EXPECT_EQ(Read(path), "[Main]\r\nPara=1\r\n0=A\r\n[A]\r\nSort=1\r\nList=0\r\nCaption=c\r\n");
}

TEST_F(Profiles, BuildersOnTheIllustrationProfile) {
    const QString path = Write("Illustration.apf", kIllustration);
    TParamGrids grids = Loaded(path);
    TMencOutputSettings settings;
    EXPECT_EQ(BuildStageTwoArgs(path, grids), " -aspect 4:3 -b 800");
    EXPECT_EQ(
        BuildStageOneArgs(path, grids, settings),
        " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=800:mbd=2:autoaspect -oac mp3lame -lameopts vbr=2:q=5 "
        "-channels 2 -srate  -af volume=10:0");
    EXPECT_EQ(settings.Size, "");
    EXPECT_EQ(settings.Aspect, "4:3");
    EXPECT_EQ(settings.VideoBitrate, "800");
    EXPECT_EQ(ScalingFilterText(settings, "16:9"), "");
    // Called again for a second item: the same text, not a doubled one.
    EXPECT_EQ(BuildStageTwoArgs(path, grids), " -aspect 4:3 -b 800");

    for (const QString size : {"400x300", "400X300"}) {
        grids.SetRowText(TParamGrids::Video, "Video Size", size);
        EXPECT_EQ(BuildStageTwoArgs(path, grids), " -s " + size + " -aspect 4:3 -b 800");
        BuildStageOneArgs(path, grids, settings);
        EXPECT_EQ(settings.Size, "400:300");
        EXPECT_EQ(settings.Width, "400");
        EXPECT_EQ(settings.Height, "300");
        EXPECT_EQ(ScalingFilterText(settings, "16:9"), " -vf scale=400:300,expand=400:300");
    }

    grids.SetRowText(TParamGrids::Video, "Bit Rate", "");
    EXPECT_EQ(BuildStageTwoArgs(path, grids), " -s 400X300 -aspect 4:3");
    EXPECT_TRUE(BuildStageOneArgs(path, grids, settings).contains("vbitrate=800:"));

    // A profile without "-s" leaves the earlier size in force.
    const QString noSize =
        Write("nosize.apf", "[Main]\nPara=1\n0=R\n[R]\nSort=2\ncmd=-ar\nList=0\nReadOnly=1\n"
                            "Caption=48 kHz\nValue=48000\n");
    EXPECT_TRUE(BuildStageOneArgs(noSize, grids, settings).contains(" -srate 48000 -af"));
    EXPECT_EQ(settings.Size, "400:300");
    EXPECT_EQ(settings.SampleRate, "48000");
    EXPECT_EQ(BuildStageOneArgs(Dir.filePath("none.apf"), grids, settings), "");
}

TEST_F(Profiles, StageTwoSwitchWithoutValueAndLastSwitchWins) {
    const QString path =
        Write("p.apf", "[Main]\nPara=3\n0=Disable Video\n1=B1\n2=B2\n"
                       "[Disable Video]\nSort=1\ncmd=-vn\nCaption=No,Yes,\nValue=,\\,\nIndex=1\n"
                       "[B1]\nSort=1\ncmd=-b\nList=0\nCaption=100\n"
                       "[B2]\nSort=2\ncmd=-b\nList=0\nCaption=200\n");
    TParamGrids grids = Loaded(path);
    EXPECT_EQ(BuildStageTwoArgs(path, grids), " -vn  -b 100 -b 200");
    TMencOutputSettings settings;
    EXPECT_TRUE(BuildStageOneArgs(path, grids, settings).contains("vbitrate=200:"));
}

TEST(ArgumentBuilder, ScalingFilterRatios) {
    struct Case {
        const char *Aspect, *Title, *Expected;
    };
    for (const Case& c : {Case{"4:3", "16:9", " -vf scale=640:480,expand=640:480"},
                          Case{"16:9", "4:3", " -vf scale=640:360,expand=640:480"},
                          Case{"", "16:9", " -vf scale=640:360,expand=640:480"},
                          Case{"", "4:3", " -vf scale=640:480,expand=640:480"},
                          Case{"2.35", "???", " -vf scale=640:480,expand=640:480"}}) {
        TMencOutputSettings s{"640:480", "640", "480", c.Aspect, "", ""};
        EXPECT_EQ(ScalingFilterText(s, c.Title), c.Expected) << c.Aspect << " " << c.Title;
    }
    // 1.7778 exactly, not 16/9: 1000 / 1.7778 = 562.49 gives 562.
    TMencOutputSettings s{"1000:600", "1000", "600", "16:9", "", ""};
    EXPECT_EQ(ScalingFilterText(s, ""), " -vf scale=1000:562,expand=1000:600");
}

TEST_F(Profiles, PreferencesRoundTrip) {
    const QString ini = Dir.filePath("Preferences.ini");
    const QString programDir = Dir.path() + "/";
    TPreferences fresh = LoadPreferences(ini, false, programDir);
    EXPECT_EQ(fresh.OutputPath, programDir);
    EXPECT_EQ(fresh.WorkDir, programDir);
    EXPECT_EQ(fresh.SynMode, 0);
    EXPECT_TRUE(fresh.AutoOpenDir);
    EXPECT_FALSE(fresh.AutoExit);
    EXPECT_FALSE(fresh.AutoTurnOff);
    EXPECT_EQ(fresh.Policy, TPreferences::Ask);
    EXPECT_EQ(fresh.Engine, TPreferences::TwoStages);
    EXPECT_FALSE(fresh.OverlapStages);
    EXPECT_EQ(fresh.ParallelRows, 0); // Auto
    EXPECT_TRUE(QFile::exists(ini)); // reading through the store writes the file

    TPreferences p = fresh;
    p.OutputPath = "/out dir/";
    p.Policy = TPreferences::Rename;
    p.SynMode = 2;
    p.Engine = TPreferences::Direct;
    p.OverlapStages = true;
    p.ParallelRows = 3;
    SavePreferences(ini, p);
    EXPECT_EQ(Read(ini), "[Main]\r\nParallel Rows=3\r\nChapter Marks=1\r\nOverlap Stages=1\r\nEngine=Direct\r\nOverwrite=0\r\nAsk=0\r\nAuto Turn "
                         "Off=0\r\nAuto Exit=0\r\nAuto Open Dir=1\r\n"
                         "Syn Mode=2\r\nWork Dir=" +
                             programDir.toUtf8() + "\r\nOutput Path=/out dir/\r\n");
    const TPreferences back = LoadPreferences(ini, false, programDir);
    EXPECT_EQ(back.Policy, TPreferences::Rename);
    EXPECT_EQ(back.OutputPath, "/out dir/");
    EXPECT_EQ(back.Engine, TPreferences::Direct);
    EXPECT_TRUE(back.OverlapStages);
    EXPECT_EQ(back.ParallelRows, 3);

    Write("../Preferences.ini", "[Main]\nAsk=1\nOverwrite=1\n[Default]\nAsk=0\nOverwrite=0\nWork Dir=/tmp\n");
    EXPECT_EQ(LoadPreferences(ini, false, programDir).Policy, TPreferences::Overwrite);
    const TPreferences defaults = LoadPreferences(ini, true, programDir);
    EXPECT_EQ(defaults.Policy, TPreferences::Rename);
    EXPECT_EQ(WorkDirOf(defaults.WorkDir, programDir), "/tmp/");
    EXPECT_EQ(WorkDirOf("", programDir), programDir);
}

TEST_F(Profiles, SaveProfileWritesChoicesAndFreeTexts) {
    const QString path = Write("Illustration.apf", kIllustration);
    TParamGrids grids = Loaded(path);
    grids.SetRowText(TParamGrids::Video, "Aspect", "16:9");
    grids.SetRowText(TParamGrids::Video, "Bit Rate", "1200");
    const QString copy = Dir.filePath("copy.apf");
    ASSERT_TRUE(SaveProfileAs(path, copy, &grids));
    EXPECT_EQ(Read(path), kIllustration); // the source stays as it was
    TIniFile saved(copy);
    EXPECT_EQ(saved.ReadInteger("Aspect", "Index", -9), 1);
    EXPECT_EQ(saved.ReadString("Bit Rate", "Caption", ""), "1200");
    EXPECT_EQ(saved.ReadString("Bit Rate", "Value", ""), "1200");
    EXPECT_EQ(saved.ReadString("Aspect", "Value", ""), "4:3,16:9,");
    EXPECT_FALSE(SaveProfileAs(Dir.filePath("none.apf"), Dir.filePath("x.apf"), &grids));
    EXPECT_FALSE(QFile::exists(Dir.filePath("x.apf")));

    // A text that is no choice would write an index no load accepts: the saved choice stays.
    grids.SetRowText(TParamGrids::Video, "Aspect", "2.35");
    SaveProfile(copy, grids);
    EXPECT_EQ(TIniFile(copy).ReadInteger("Aspect", "Index", -9), 1);
    // Rows the grids do not hold leave the file as it was, byte for byte.
    const QByteArray before = Read(copy);
    SaveProfile(copy, TParamGrids());
    EXPECT_EQ(Read(copy), before);
}

TEST_F(Profiles, ACustomSizeIsSavedAndLoadedWithItsSize) {
    const QString path = Write("Illustration.apf", kIllustration);
    TParamGrids grids = Loaded(path);
    grids.SetRowText(TParamGrids::Video, "Video Size", "640x480"); // as the custom size dialog writes it
    SaveProfile(path, grids);
    EXPECT_EQ(TIniFile(path).ReadInteger("Video Size", "Index", -9), 1);

    for (int reader = 0; reader < 2; ++reader) {
        TParamGrids back;
        reader == 0 ? LoadProfileRows(path, back) : LoadProfileRowsWithStore(path, back);
        EXPECT_EQ(back.RowText(TParamGrids::Video, "Video Size"), "640x480") << reader;
        TMencOutputSettings settings;
        BuildStageOneArgs(path, back, settings);
        EXPECT_EQ(settings.Size, "640:480");
        EXPECT_TRUE(BuildStageTwoArgs(path, back).startsWith(" -s 640x480")) << reader;
    }

    // Choosing a listed caption again: that caption loads, whatever size was kept.
    grids.SetRowText(TParamGrids::Video, "Video Size", "Original Size");
    SaveProfile(path, grids);
    EXPECT_EQ(Loaded(path).RowText(TParamGrids::Video, "Video Size"), "Original Size");
}

TEST_F(Profiles, ParameterCountIsBoundedByTheFile) {
    const QString path = Write("huge.apf", "[Main]\r\nType=mp4\r\nPara=2147483647\r\n0=Bit Rate\r\n\r\n"
                                           "[Bit Rate]\r\nSort=1\r\ncmd=-b\r\nList=0\r\nCaption=800\r\n");
    const std::vector<TProfileParam> params = ReadProfileParams(TIniSnapshot(path));
    ASSERT_LE(params.size(), 5u); // the lines of [Main]
    EXPECT_EQ(params[0].Name, "Bit Rate");
    EXPECT_EQ(params[0].cmd, "-b");
    EXPECT_LE(ReadProfileParams(TNewInifile(path)).size(), 5u);
    // The names the file lacks read as empty: such a parameter is no list the load accepts.
    TParamGrids grids;
    EXPECT_EQ(LoadProfileRows(path, grids).Error, "List index out of bounds (0)");
    EXPECT_EQ(grids.RowText(TParamGrids::Video, "Bit Rate"), "800");
}

TEST_F(Profiles, ProfilesAreCheckedBeforeAStart) {
    const QByteArray rate = "[Rate]\nSort=2\ncmd=-ar\nList=0\nReadOnly=1\nCaption=44.1 kHz\nValue=44100\n";
    const QByteArray bits = "[Bits]\nSort=1\ncmd=-b\nList=0\nCaption=800\n";
    struct Case {
        const char* Name;
        QByteArray File;
        const char* Problem; // empty: usable
    };
    const Case cases[] = {
        {"good", "[Main]\nPara=2\n0=Bits\n1=Rate\n" + bits + rate, ""},
        {"audio only",
         "[Main]\nPara=2\n0=Off\n1=Rate\n[Off]\nSort=1\ncmd=-vn\nList=0\nReadOnly=1\nValue=\\\n" + rate, ""},
        {"empty", "", "the profile is empty"},
        {"blank lines", "\r\n  \r\n", "the profile is empty"},
        {"binary",
         QByteArray("\x7f"
                    "ELF\x02\x01\x01\0\0\0",
                    10),
         "binary data"},
        {"no parameters", "[Main]\nType=mp4\n", "no parameters (key \"Para\" in [Main])"},
        {"no sample rate", "[Main]\nPara=1\n0=Bits\n" + bits,
         "no sample rate (no parameter with \"cmd=-ar\")"},
        {"sample rate without value",
         "[Main]\nPara=2\n0=Bits\n1=Rate\n" + bits + "[Rate]\nSort=2\ncmd=-ar\nCaption=44.1 kHz,\nValue=,\n",
         "sample rate (\"cmd=-ar\") has no value"},
        {"no bit rate", "[Main]\nPara=1\n0=Rate\n" + rate,
         "no video bit rate (no parameter with \"cmd=-b\")"},
        {"broken list", "[Main]\nPara=9\n0=Bits\n1=Rate\n" + bits + rate, "List index out of bounds (0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = Write("p.apf", c.File);
        QString problem;
        EXPECT_EQ(CheckProfileUsable(path, problem), QByteArray(c.Problem).isEmpty());
        if (QByteArray(c.Problem).isEmpty())
            continue;
        EXPECT_TRUE(problem.startsWith(path + ": ")) << problem.toStdString();
        EXPECT_TRUE(problem.contains(c.Problem)) << problem.toStdString();
    }
    QString problem;
    EXPECT_FALSE(CheckProfileUsable(Dir.filePath("none.apf"), problem));

    // A "Custom Size" choice without its size is refused; the size the window's rows hold is taken.
    const QString custom =
        Write("custom.apf", "[Main]\nPara=3\n0=Size\n1=Bits\n2=Rate\n" + bits + rate +
                                "[Size]\nSort=1\ncmd=-s\nCaption=Original Size,Custom Size,\n"
                                "Value=,,\nIndex=1\n");
    EXPECT_FALSE(CheckProfileUsable(custom, problem));
    EXPECT_EQ(problem,
              custom + ": the choice \"Custom Size\" of \"Size\" has no size (key \"Custom\" in [Size])");
    TParamGrids rows;
    LoadProfileRows(custom, rows);
    rows.SetRowText(TParamGrids::Video, "Size", "640x480");
    EXPECT_TRUE(CheckProfileUsable(custom, problem, &rows)) << problem.toStdString();

    // Every profile that ships with the program passes.
    const QString shipped = QStringLiteral(VELLORIC_SOURCE_DIR) + "/share/Profiles/";
    const QStringList files = ListFilesWithExt(shipped, ".apf");
    EXPECT_GE(files.size(), 6);
    for (const QString& file : files)
        EXPECT_TRUE(CheckProfileUsable(shipped + file, problem)) << problem.toStdString();
}

// No profile text may have an encoder write anything but the run's own files: a second word in a value is
// another output to FFmpeg, a switch given no value takes the next one's and leaves a word over, some
// switches write files of their own, and the Type is the output's extension.
TEST_F(Profiles, AProfileThatWouldWriteAnotherFileIsRefusedWithItsRow) {
    const QByteArray rate = "[Rate]\nSort=2\ncmd=-ar\nList=0\nReadOnly=1\nCaption=44.1 kHz\nValue=44100\n";
    const auto profile = [&](const QByteArray& type, const QByteArray& cmd, const QByteArray& value) {
        return "[Main]\n" + type + "Para=2\n0=Bits\n1=Rate\n[Bits]\nSort=1\ncmd=" + cmd +
               "\nList=0\nReadOnly=1\nCaption=x\nValue=" + value + "\n" + rate;
    };
    struct Case {
        QByteArray Type, Cmd, Value;
        const char* Problem; // empty: usable
    };
    const Case cases[] = {
        {"", "-b", "800000", ""},
        {"Type=MKV\n", "-b", "800000", ""},
        {"Type=mp4\n", "-vn", "\\", ""},
        {"", "-b", "800000 /home/user/file.mkv",
         "the row \"Bits\" ([Bits]) gives \"800000 /home/user/file.mkv\": a value is one word"},
        {"", "-b", "800000 \"\"", "a value is one word"},
        {"", "-b", "\"800000", "a value is one word"},
        {"", "-b -y", "800000", "the row \"Bits\" ([Bits]) has the switch \"-b -y\": a switch is one word"},
        {"", "/tmp/out.mkv", "800000", "a switch is one word that begins with \"-\""},
        {"", "-y", "\\", "has the switch \"-y\", which would make the encoder write a file of its own"},
        {"", "-passlogfile", "/tmp/log", "write a file of its own"},
        {"", "-vstats_file", "/tmp/stats", "write a file of its own"},
        {"", "-dump_attachment:t", "/tmp/font", "write a file of its own"},
        {"", "-f", "segment", "write a file of its own"},
        {"", "-b", "\\", "gives no value (\"\\\") to the switch \"-b\", which takes one"},
        {"Type=mp4/../../x\n", "-b", "800000",
         "the profile's Type (\"Type\" in [Main]) \"mp4/../../x\" is not a plain file extension"},
        {"Type=\n", "-b", "800000", "is not a plain file extension"},
        {"Type=m p4\n", "-b", "800000", "is not a plain file extension"},
        {"Type=.mp4\n", "-b", "800000", "is not a plain file extension"},
        {"Type=m3u8\n", "-b", "800000", "is not a plain file extension"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Cmd.toStdString() + " " + c.Value.toStdString() + " " + c.Type.toStdString());
        const QString path = Write("p.apf", profile(c.Type, c.Cmd, c.Value));
        QString problem;
        EXPECT_EQ(CheckProfileUsable(path, problem), QByteArray(c.Problem).isEmpty())
            << problem.toStdString();
        if (QByteArray(c.Problem).isEmpty())
            continue;
        EXPECT_TRUE(problem.startsWith(path + ": ")) << problem.toStdString();
        EXPECT_TRUE(problem.contains(c.Problem)) << problem.toStdString();
    }

    // A value typed into the window's row counts as the profile's own.
    const QString typed =
        Write("typed.apf", "[Main]\nPara=2\n0=Bits\n1=Rate\n[Bits]\nSort=1\ncmd=-b\nList=0\n"
                           "Caption=800000\n" +
                               rate);
    TParamGrids rows;
    LoadProfileRows(typed, rows);
    QString problem;
    EXPECT_TRUE(CheckProfileUsable(typed, problem, &rows)) << problem.toStdString();
    rows.SetRowText(TParamGrids::Video, "Bits", "800000 /home/user/file.mkv");
    EXPECT_FALSE(CheckProfileUsable(typed, problem, &rows));
    EXPECT_TRUE(problem.contains("\"Bits\"")) << problem.toStdString();

    // Every choice of every shipped profile passes, not only the ones it starts with.
    const QString shipped = QStringLiteral(VELLORIC_SOURCE_DIR) + "/share/Profiles/";
    for (const QString& file : ListFilesWithExt(shipped, ".apf")) {
        TParamGrids grids;
        LoadProfileRows(shipped + file, grids);
        for (int grid = 0; grid < TParamGrids::GroupCount; ++grid)
            for (const TGridRow& row : std::vector<TGridRow>(grids.Groups[size_t(grid)]))
                for (const QString& choice : row.Choices) {
                    if (choice == kCustomSizeCaption)
                        continue;
                    TParamGrids chosen = grids;
                    chosen.SetRowText(grid, row.Key, choice);
                    EXPECT_TRUE(CheckProfileUsable(shipped + file, problem, &chosen))
                        << row.Key.toStdString() << "=" << choice.toStdString() << ": "
                        << problem.toStdString();
                }
    }
}

TEST_F(Profiles, TheProfileFolderAndItsNames) {
    const QString programDir = Dir.path() + "/";
    QString problem;
    EXPECT_TRUE(ProfileNames(programDir, &problem).isEmpty());
    EXPECT_EQ(problem, programDir + "Profiles: the profile folder does not exist");

    Write("Shouting.APF", "[Main]\nType=mkv\n");
    problem.clear();
    EXPECT_EQ(ProfileNames(programDir, &problem), QStringList{"Shouting"});
    EXPECT_TRUE(problem.isEmpty());
    // The list shows the name without its extension; the path formed from it finds the file.
    const QString path = ProfilePath(programDir, "Shouting");
    EXPECT_EQ(path, programDir + "Profiles/Shouting.APF");
    TParamGrids grids;
    EXPECT_EQ(LoadProfileRows(path, grids).Type, "mkv");
    EXPECT_EQ(ProfilePath(programDir, "Missing"), programDir + "Profiles/Missing.apf");
}

TEST(Preferences, WorkFolderTexts) {
    const QString programDir = "/opt/velloric/";
    EXPECT_EQ(WorkDirOf("", programDir), programDir);
    EXPECT_EQ(WorkDirOf("temp", programDir), programDir); // relative: not wherever the program was started
    EXPECT_EQ(WorkDirOf("./", programDir), programDir);
    EXPECT_EQ(WorkDirOf("/tmp", programDir), "/tmp/");
    EXPECT_EQ(WorkDirOf("/tmp/", programDir), "/tmp/");
}

} // namespace
