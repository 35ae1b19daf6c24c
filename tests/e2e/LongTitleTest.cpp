// A title over 1 GiB, which the disc holds in VTS_01_1.VOB and VTS_01_2.VOB: a range across the two files
// converts whole with both engines.
#include "support/MediaProbe.h"
#include "support/RunProgram.h"
#include "support/TestPaths.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTime>
#include <gtest/gtest.h>

namespace {

TEST(LongTitle, ARangeAcrossTwoVideoFilesConvertsWholeWithBothEngines) {
    const QString disc = SampleDiscDir("long-pal");
    const QFileInfo first(disc + "/VIDEO_TS/VTS_01_1.VOB"), second(disc + "/VIDEO_TS/VTS_01_2.VOB");
    ASSERT_TRUE(first.exists() && second.exists()) << "the long disc is missing (scripts/make-long-dvd.sh)";
    const TRun list = RunProgram(ProgramBinDir() + "/velloric-cli", {"list", disc});
    ASSERT_EQ(list.ExitCode, 0) << list.Err.toStdString();
    const QJsonObject title = QJsonDocument::fromJson(list.Out).object()["titles"].toArray()[0].toObject();
    const double length = QTime(0, 0).secsTo(QTime::fromString(title["end"].toString(), "hh:mm:ss"));
    ASSERT_GT(length, 600);

    // The picture's rate is constant, so the first file ends where its share of the bytes does.
    const double split = length * double(first.size()) / double(first.size() + second.size());
    const auto text = [](double seconds) { return QTime(0, 0).addSecs(int(seconds)).toString("hh:mm:ss"); };
    const QString start = text(split - 10), end = text(split + 10);
    for (const QStringList& engine : {QStringList{}, QStringList{"--engine", "direct"}}) {
        SCOPED_TRACE((start + "-" + end + " " + engine.join(' ')).toStdString());
        QTemporaryDir out, work;
        const TRun run = RunProgram(ProgramBinDir() + "/velloric-cli",
                                    QStringList{"convert", disc, "--title", "1", "--start", start, "--end", end,
                                                "--output", out.path(), "--work-dir", work.path(),
                                                "--overwrite", "overwrite"} +
                                        engine);
        ASSERT_EQ(run.ExitCode, 0) << run.Err.right(3000).toStdString();
        const QStringList made = QDir(out.path()).entryList(QDir::Files);
        ASSERT_EQ(made.size(), 1);
        const QJsonArray streams =
            QJsonDocument::fromJson(RunForOutput("ffprobe", {"-v", "error", "-show_entries",
                                                             "stream=codec_type,duration", "-of", "json",
                                                             out.filePath(made.first())}))
                .object()["streams"]
                .toArray();
        ASSERT_GE(streams.size(), 2);
        for (const QJsonValue& s : streams)
            EXPECT_NEAR(s["duration"].toString().toDouble(), 20, 0.5) << s["codec_type"].toString().toStdString();
    }
}

} // namespace
