// A disc image (.iso) opens as the disc it holds: listed as its folder is, converted by both engines.
#include "support/MediaProbe.h"
#include "support/RunProgram.h"
#include "support/TestPaths.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DiscImage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Root.isValid());
        Image = Root.filePath("film.ISO");
        const TRun made = RunProgram("genisoimage", {"-quiet", "-dvd-video", "-o", Image, SampleDiscDir("pal")});
        ASSERT_EQ(made.ExitCode, 0) << made.Err.toStdString();
    }
    TRun Cli(const QStringList& args) { return RunProgram(ProgramBinDir() + "/velloric-cli", args); }

    QTemporaryDir Root;
    QString Image;
};

TEST_F(DiscImage, ListsAsItsFolderDoes) {
    const TRun folder = Cli({"list", SampleDiscDir("pal")});
    const TRun image = Cli({"list", Image});
    ASSERT_EQ(image.ExitCode, 0) << image.Err.toStdString();
    QJsonObject a = QJsonDocument::fromJson(folder.Out).object(), b = QJsonDocument::fromJson(image.Out).object();
    EXPECT_EQ(b["discPath"].toString(), Image);
    a.remove("discPath");
    b.remove("discPath");
    EXPECT_EQ(a, b);
    EXPECT_EQ(b["titles"].toArray().size(), 3);
}

TEST_F(DiscImage, ConvertsAChapterWithBothEngines) {
    for (const QStringList& engine : {QStringList{}, QStringList{"--engine", "direct"}}) {
        SCOPED_TRACE(engine.join(' ').toStdString());
        const QString out = Root.filePath("out" + engine.join("")) + "/";
        const QString work = Root.filePath("work" + engine.join("")) + "/";
        QDir().mkpath(out);
        QDir().mkpath(work);
        const TRun run = Cli(QStringList{"convert", Image, "--chapter", "1:1", "--output", out, "--work-dir",
                                         work, "--overwrite", "overwrite"} +
                             engine);
        ASSERT_EQ(run.ExitCode, 0) << run.Err.right(3000).toStdString();
        const QStringList made = QDir(out).entryList(QDir::Files);
        ASSERT_EQ(made.size(), 1);
        const QJsonObject streams = ProbeStreams(out + made.first());
        ASSERT_GE(streams["streams"].toArray().size(), 2);
        for (const QJsonValue& s : streams["streams"].toArray())
            EXPECT_NEAR(s.toObject()["duration"].toString().toDouble(), 6, 0.5) // chapter 1 of title 1 lasts 6 s
                << s.toObject()["codec_type"].toString().toStdString();
    }
}

TEST_F(DiscImage, ADamagedImageIsRefusedByName) {
    for (const qint64 keep : {qint64(0), qint64(32768), qint64(40000)}) {
        SCOPED_TRACE(keep);
        QFile f(Image);
        ASSERT_TRUE(f.resize(keep));
        const TRun run = Cli({"list", Image});
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_TRUE(run.Err.contains(Image.toUtf8())) << run.Err.toStdString();
    }
}

} // namespace
