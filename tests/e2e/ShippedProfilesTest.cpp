// Every shipped profile turns a real stage-one work file into a valid file through the real FFmpeg.
#include "convert/CommandLine.h"
#include "convert/FieldChoice.h"
#include "profiles/ArgumentBuilder.h"
#include "profiles/ProfileModel.h"
#include "support/MediaProbe.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString ProgramDir() {
    return ProgramBinDir() + "/";
}

bool RunTool(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class ShippedProfiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Work = new QTemporaryDir;
        WorkFile = Work->filePath("temp.avi");
        const QString profile = ProfilePath(ProgramDir(), "Any Player - MPEG-4 (MP4)");
        TParamGrids grids = TParamGrids::Initial();
        LoadProfileRows(profile, grids);
        TMencOutputSettings settings;
        QStringList args{"dvd://1", "-dvd-device", SampleDiscDir("pal") + "/VIDEO_TS", "-ss", "2.000",
                         "-endpos", "4.000"};
        args << SplitCommandLine(BuildStageOneArgs(profile, grids, settings)) << "-o" << WorkFile;
        QByteArray output;
        RunTool(ProgramDir() + "asapi.dll", args, &output);
        Log = QString::fromLocal8Bit(output).right(2000).toStdString();
    }
    static void TearDownTestSuite() { delete Work; }

    static QTemporaryDir* Work;
    static QString WorkFile;
    static std::string Log;
};
QTemporaryDir* ShippedProfiles::Work = nullptr;
QString ShippedProfiles::WorkFile;
std::string ShippedProfiles::Log;

TEST_F(ShippedProfiles, TheDefaultComesFirst) {
    const QStringList files = ListFilesWithExt(ProgramDir() + "Profiles", ".apf");
    ASSERT_GE(files.size(), 6);
    EXPECT_EQ(StripExtension(files.first()), "Any Player - MPEG-4 (MP4)");
}

TEST_F(ShippedProfiles, EachMakesAValidFile) {
    ASSERT_TRUE(QFileInfo(WorkFile).size() > 0) << Log;
    const QJsonObject work = Probe(WorkFile);
    EXPECT_EQ(Stream(work, "video")["codec_name"].toString(), "mpeg4");
    EXPECT_EQ(Stream(work, "audio")["codec_name"].toString(), "mp3");

    struct Case {
        const char* Profile;
        const char* Extension;
        const char* Format;
        const char* Video; // empty: no video stream
        const char* Audio;
        const char* CustomSize; // a Video Size row text, or empty for the saved choice
        int Width, Height;
    };
    const Case cases[] = {
        {"Any Player - MPEG-4 (MP4)", ".mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac", "", 720, 576},
        {"H.264 AAC (MP4)", ".mp4", "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac", "640x360", 640, 360},
        {"H.264 AAC (MKV)", ".mkv", "matroska,webm", "h264", "aac", "", 720, 576},
        {"AVI - MPEG-4 Xvid", ".avi", "avi", "mpeg4", "mp3", "320x240", 320, 240},
        {"WebM - VP8 Vorbis", ".webm", "matroska,webm", "vp8", "vorbis", "", 720, 576},
        {"Audio Only - MP3", ".mp3", "mp3", "", "mp3", "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Profile);
        const QString profile = ProfilePath(ProgramDir(), c.Profile);
        TParamGrids grids = TParamGrids::Initial();
        ASSERT_TRUE(LoadProfileRows(profile, grids).Error.isEmpty());
        if (*c.CustomSize)
            grids.SetRowText(TParamGrids::Video, "Video Size", c.CustomSize);
        const QString output = Work->filePath(QString(c.Profile) + c.Extension);
        QStringList args{"-y", "-i", WorkFile};
        // The engine puts the filter the title calls for in place of "-vf auto"; this work file is
        // progressive, which calls for none.
        args << WithFieldFilter(SplitCommandLine(BuildStageTwoArgs(profile, grids)), {}) << output;
        QByteArray log;
        ASSERT_TRUE(RunTool(ProgramDir() + "wmaspi.dll", args, &log)) << log.right(3000).toStdString();

        const QJsonObject probe = Probe(output);
        EXPECT_EQ(probe["format"].toObject()["format_name"].toString(), c.Format);
        EXPECT_NEAR(probe["format"].toObject()["duration"].toString().toDouble(), 4.0, 0.5);
        const QJsonObject video = Stream(probe, "video");
        if (*c.Video) {
            EXPECT_EQ(video["codec_name"].toString(), c.Video);
            EXPECT_EQ(video["width"].toInt(), c.Width);
            EXPECT_EQ(video["height"].toInt(), c.Height);
        } else {
            EXPECT_TRUE(video.isEmpty());
        }
        EXPECT_EQ(Stream(probe, "audio")["codec_name"].toString(), c.Audio);
    }
}

} // namespace
