// The display aspect of converted files: the title's with the original size, the frame's with a custom
// size, whichever engine made them.
#include "support/ConvertDirect.h"
#include "support/MediaProbe.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

namespace {

struct TAspectCase {
    QString Disc;  // "pal" or "ntsc"
    QString Title; // 1 is 16:9, 3 is 4:3
    QString Size;  // empty: the original size
    QString Aspect;
};

const TAspectCase kCases[] = {
    {"pal", "1", "", "16:9"}, {"pal", "3", "", "4:3"},        {"ntsc", "1", "", "16:9"},
    {"ntsc", "3", "", "4:3"}, {"pal", "1", "640x480", "4:3"}, {"ntsc", "3", "854x480", "427:240"},
};

QString DisplayAspect(const QString& file) {
    return QString::fromUtf8(
               RunForOutput("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                        "stream=display_aspect_ratio", "-of", "csv=p=0", file}))
        .trimmed();
}

TEST(OutputAspect, BothEnginesGiveTheTitlesShapeOrTheFrames) {
    QTemporaryDir dir;
    for (const TAspectCase& c : kCases) {
        const QString tag = c.Disc + "-" + c.Title + "-" + (c.Size.isEmpty() ? "original" : c.Size);
        SCOPED_TRACE(tag.toStdString());
        QStringList choice{"--title", c.Title, "--end", "00:00:02"};
        if (!c.Size.isEmpty())
            choice << "--size" << c.Size;

        QProcess twoStage;
        twoStage.start(ProgramBinDir() + "/velloric-cli",
                       QStringList{"convert", SampleDiscDir(c.Disc), "--output", dir.path(), "--work-dir",
                                   dir.path(), "--overwrite", "overwrite", "--prefix", tag} +
                           choice);
        ASSERT_TRUE(twoStage.waitForFinished(120000));
        ASSERT_EQ(twoStage.exitCode(), 0) << twoStage.readAllStandardError().toStdString();
        EXPECT_EQ(DisplayAspect(dir.filePath(tag + "-Title0" + c.Title + ".mp4")), c.Aspect) << "two stages";

        QString errors;
        ASSERT_EQ(ConvertDirect(SampleDiscDir(c.Disc), dir.filePath(tag + "-direct.mp4"), choice, &errors), 0)
            << errors.toStdString();
        EXPECT_EQ(DisplayAspect(dir.filePath(tag + "-direct.mp4")), c.Aspect) << "direct";
    }
}

// Both stages at once through a named pipe make the same file as one after the other: each stream as long,
// the same shape.
TEST(OverlappedStages, TheSameStreamsAsOneStageAfterTheOther) {
    QTemporaryDir dir;
    for (const auto& [disc, title, aspect] :
         {std::tuple{"pal", "1", "16:9"}, std::tuple{"ntsc", "3", "4:3"}}) {
        SCOPED_TRACE(std::string(disc) + " title " + title);
        QStringList made;
        for (const QString how : {"sequential", "overlapped"}) {
            QStringList args{"convert",     SampleDiscDir(disc), "--title",    title,
                             "--output",    dir.path(),          "--work-dir", dir.path(),
                             "--overwrite", "overwrite",         "--prefix",   QString(disc) + "-" + how};
            if (how == "overlapped")
                args << "--overlap";
            QProcess p;
            p.start(ProgramBinDir() + "/velloric-cli", args);
            ASSERT_TRUE(p.waitForFinished(180000));
            ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
            made << dir.filePath(QString(disc) + "-" + how + "-Title0" + title + ".mp4");
        }
        EXPECT_EQ(DisplayAspect(made[1]), aspect);
        // Picture and sound; an MP4 also carries its chapter marks as a text stream of its own.
        const auto media = [](const QString& file) {
            QJsonArray kept;
            for (const QJsonValue s : ProbeStreams(file)["streams"].toArray()) {
                const QString type = s.toObject()["codec_type"].toString();
                if (type == "video" || type == "audio")
                    kept.append(s);
            }
            return kept;
        };
        const QJsonArray one = media(made[0]), both = media(made[1]);
        ASSERT_EQ(one.size(), 2);
        ASSERT_EQ(both.size(), one.size());
        for (qsizetype i = 0; i < one.size(); ++i)
            EXPECT_NEAR(both[i]["duration"].toString().toDouble(), one[i]["duration"].toString().toDouble(),
                        0.05)
                << both[i]["codec_type"].toString().toStdString();
        // The work file was a named pipe of the run's own, gone with it.
        EXPECT_TRUE(QDir(dir.path()).entryList({"temp*"}, QDir::Files | QDir::System).isEmpty());
    }
}

} // namespace
