// A disc image (.iso) and a drive read directly (a loop device of the image) open as the disc they hold:
// listed as its folder is, converted by both engines, and a damaged or unreadable one is refused by name.
#include "support/MediaProbe.h"
#include "support/RunProgram.h"
#include "support/TestPaths.h"

#include <QFile>
#include <QJsonArray>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TRun Cli(const QStringList& args) {
    return RunProgram(ProgramBinDir() + "/velloric-cli", args);
}

// A loop device of a file, read-only, detached again when it goes; empty when none can be made here.
class TLoopDevice {
public:
    explicit TLoopDevice(const QString& file) {
        const TRun made = RunProgram("losetup", {"--find", "--show", "--read-only", file});
        if (made.ExitCode == 0)
            Device = QString::fromLocal8Bit(made.Out).trimmed();
        else
            Why = QString::fromLocal8Bit(made.Err).trimmed();
    }
    ~TLoopDevice() {
        if (!Device.isEmpty())
            RunProgram("losetup", {"--detach", Device});
    }
    QString Device, Why;
};

class DiscImage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Root.isValid());
        Image = Root.filePath("film.ISO");
        const TRun made = RunProgram("genisoimage", {"-quiet", "-dvd-video", "-o", Image, SampleDiscDir("pal")});
        ASSERT_EQ(made.ExitCode, 0) << made.Err.toStdString();
    }

    // Converts chapter 2 of title 1 (6 s, 16:9) of disc with each engine and checks every stream.
    void ConvertChapter(const QString& disc) {
        for (const QStringList& engine : {QStringList{}, QStringList{"--engine", "direct"}}) {
            SCOPED_TRACE((disc + " " + engine.join(' ')).toStdString());
            QTemporaryDir out, work;
            const TRun run = Cli(QStringList{"convert", disc, "--chapter", "1:2", "--output", out.path(),
                                             "--work-dir", work.path(), "--overwrite", "overwrite"} +
                                 engine);
            ASSERT_EQ(run.ExitCode, 0) << run.Err.right(3000).toStdString();
            const QStringList made = QDir(out.path()).entryList(QDir::Files);
            ASSERT_EQ(made.size(), 1);
            const QString file = out.filePath(made.first());
            const QJsonArray streams = QJsonDocument::fromJson(
                                           RunForOutput("ffprobe", {"-v", "error", "-show_entries",
                                                                    "stream=codec_type,duration,display_aspect_ratio",
                                                                    "-of", "json", file}))
                                           .object()["streams"]
                                           .toArray();
            ASSERT_GE(streams.size(), 2);
            for (const QJsonValue& s : streams) {
                const QJsonObject stream = s.toObject();
                EXPECT_NEAR(stream["duration"].toString().toDouble(), 6, 0.5)
                    << stream["codec_type"].toString().toStdString();
                if (stream["codec_type"] == "video") {
                    EXPECT_EQ(stream["display_aspect_ratio"].toString(), "16:9");
                }
            }
        }
    }

    QTemporaryDir Root;
    QString Image;
};

TEST_F(DiscImage, ListsAsItsFolderDoes) {
    const TRun folder = Cli({"list", SampleDiscDir("pal")});
    TLoopDevice loop(Image);
    for (const QString& disc : {Image, loop.Device}) {
        if (disc.isEmpty()) {
            std::printf("no loop device here (%s): the drive case is not run\n", qPrintable(loop.Why));
            continue;
        }
        SCOPED_TRACE(disc.toStdString());
        const TRun image = Cli({"list", disc});
        ASSERT_EQ(image.ExitCode, 0) << image.Err.toStdString();
        QJsonObject a = QJsonDocument::fromJson(folder.Out).object(), b = QJsonDocument::fromJson(image.Out).object();
        EXPECT_EQ(b["discPath"].toString(), disc);
        if (disc == Image) {
            EXPECT_EQ(b["outputPrefix"].toString(), "film"); // outputs are named after the image
        }
        for (const char* differs : {"discPath", "outputPrefix"}) {
            a.remove(differs);
            b.remove(differs);
        }
        EXPECT_EQ(a, b);
        EXPECT_EQ(b["titles"].toArray().size(), 3);
    }
}

TEST_F(DiscImage, ConvertsAChapterWithBothEngines) {
    // The image is read, never written: both engines work from a read-only file.
    ASSERT_EQ(::chmod(QFile::encodeName(Image).constData(), 0444), 0);
    const QByteArray before = RunForOutput("md5sum", {Image});
    ConvertChapter(Image);
    EXPECT_EQ(RunForOutput("md5sum", {Image}), before);
}

TEST_F(DiscImage, ConvertsAChapterFromALoopDeviceWithBothEngines) {
    TLoopDevice loop(Image);
    if (loop.Device.isEmpty())
        GTEST_SKIP() << "no loop device here: " << loop.Why.toStdString();
    ConvertChapter(loop.Device);
}

// A name whose bytes are not UTF-8 cannot reach the program as the file's name: it says so, rather than
// that the file is of the wrong kind.
TEST_F(DiscImage, ANameThatIsNotUtf8IsRefusedSayingSo) {
    const QByteArray latin1Name = QFile::encodeName(Root.path()).append("/caf\xe9.iso");
    ASSERT_EQ(::rename(QFile::encodeName(Image).constData(), latin1Name.constData()), 0);
    // Qt cannot name that file to remove it with the folder: it goes back to its own name first.
    const auto restore = qScopeGuard([&] { ::rename(latin1Name.constData(), QFile::encodeName(Image).constData()); });
    const TRun run = RunProgram("bash", {"-c", "cd \"$1\" && exec \"$2\" list \"$(printf 'caf\\351.iso')\"", "-",
                                         Root.path(), ProgramBinDir() + "/velloric-cli"});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_TRUE(run.Err.contains(".iso: its name holds bytes that are not UTF-8 text")) << run.Err.toStdString();
}

TEST_F(DiscImage, ADamagedOrUnreadableDiscIsRefusedByName) {
    // A device with nothing behind it: a loop device that is attached to no file.
    const QString idle = QString::fromLocal8Bit(RunForOutput("losetup", {"--find"})).trimmed();
    struct TCase {
        QString Disc;
        std::function<void()> Damage;
        const char* Why;
    };
    const auto resize = [this](qint64 size) { return [this, size] { ASSERT_TRUE(QFile(Image).resize(size)); }; };
    const auto zero = [this](qint64 at, qint64 size) {
        return [this, at, size] {
            QFile f(Image);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.seek(at));
            f.write(QByteArray(size, '\0'));
        };
    };
    // The UDF entry of VIDEO_TS made to point at the root folder that holds it: a folder inside itself.
    const auto loop = [this] {
        QFile f(Image);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        const auto isFileId = [&bytes](qsizetype at) {
            return at >= 0 && at + 38 <= bytes.size() && bytes[at] == 1 && bytes[at + 1] == 1;
        };
        const qsizetype name = bytes.indexOf(QByteArray("\x08VIDEO_TS", 9));
        const qsizetype entry = name - 38; // tag, version, characteristics, name length, folder address
        ASSERT_TRUE(isFileId(entry));
        const qsizetype sector = entry / 2048 * 2048;
        qsizetype parent = -1;
        for (qsizetype at = sector; at < entry; at += 4)
            if (isFileId(at) && (bytes[at + 18] & 0x08))
                parent = at;
        ASSERT_GE(parent, 0);
        f.seek(entry + 20);
        f.write(bytes.mid(parent + 20, 16));
    };
    // The UDF partition made to start at the image's end and to go on for 4 TiB: the library looks for the
    // file set in it sector by sector, each read coming back empty, for hours.
    const auto endlessPartition = [this] {
        QFile f(Image);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const quint32 end = quint32(f.size() / 2048);
        const quint32 length = 0x7FFFFFFF;
        for (qint64 sector = 32; sector < 256; ++sector) {
            ASSERT_TRUE(f.seek(sector * 2048));
            if (f.read(2) != QByteArray("\x05\x00", 2)) // a partition descriptor (main and reserve copies)
                continue;
            f.seek(sector * 2048 + 188);
            f.write(reinterpret_cast<const char*>(&end), 4);
            f.write(reinterpret_cast<const char*>(&length), 4);
        }
    };
    const TCase cases[] = {
        {Image, loop, "no DVD-Video on it (it holds no VIDEO_TS.IFO)"},
        {Image, endlessPartition, "the DVD library went round in circles reading it"},
        {Image, resize(0), "nothing can be read from it"},
        {Image, resize(32768), "nothing can be read from it"},
        {Image, resize(40000), "no DVD-Video on it (it holds no VIDEO_TS.IFO)"},
        {Image, zero(32 * 2048, 16 * 2048), "no DVD-Video on it (it holds no VIDEO_TS.IFO)"}, // UDF descriptors
        {Image, zero(256 * 2048, 2048), "no DVD-Video on it (it holds no VIDEO_TS.IFO)"},    // the UDF anchor
        {idle, [] {}, "nothing can be read from it"},
        // The ISO 9660 descriptors: the library reads the UDF side alone, and the disc still lists.
        {Image, zero(16 * 2048, 4 * 2048), nullptr},
    };
    for (const TCase& c : cases) {
        if (c.Disc.isEmpty())
            continue;
        SCOPED_TRACE(c.Disc.toStdString() + " " + (c.Why ? c.Why : "lists"));
        QFile::remove(Image + ".pristine");
        ASSERT_TRUE(QFile::copy(Image, Image + ".pristine")); // put back after each case
        c.Damage();
        const TRun run = Cli({"list", c.Disc});
        QFile::remove(Image);
        ASSERT_TRUE(QFile::rename(Image + ".pristine", Image));
        EXPECT_EQ(run.ExitCode, c.Why ? 2 : 0) << run.Err.toStdString();
        if (c.Why) {
            EXPECT_TRUE(run.Err.contains((c.Disc + ": " + c.Why).toUtf8())) << run.Err.toStdString();
        }
    }
}

} // namespace
