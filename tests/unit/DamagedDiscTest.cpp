// Damaged and odd copies of the sample disc, loaded through the real DVD library: each lists its titles
// from the good copy of every information file, or is refused with the file and its problem. None may
// crash or hang.
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/DvdTitleTable.h"
#include "dvd/IfoReader.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using TDamage = std::function<void(const QString& videoTs)>;

void Truncate(const QString& path, qint64 size) {
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), size), 0) << path.toStdString();
}

void Overwrite(const QString& path, qint64 at, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << path.toStdString();
    file.seek(at);
    file.write(bytes);
}

void Replace(const QString& path, const std::function<bool(const QByteArray&)>& make) {
    ASSERT_TRUE(QFile::remove(path)) << path.toStdString();
    ASSERT_TRUE(make(QFile::encodeName(path))) << path.toStdString();
}

bool MakeFifo(const QByteArray& path) {
    return ::mkfifo(path.constData(), 0644) == 0;
}
bool MakeFolder(const QByteArray& path) {
    return ::mkdir(path.constData(), 0755) == 0;
}
bool LinkToDevice(const QByteArray& path) {
    return ::symlink("/dev/zero", path.constData()) == 0;
}

struct TCase {
    const char* Name;
    TDamage Damage;
    int Titles;         // titles listed; -1 when the disc is refused
    int Title3Chapters; // chapters under Title03 when listed
    const char* Error;  // the refusal, with {} standing for the VIDEO_TS folder
};

// VTS_02_0 holds title 3; its one chain sits at byte 4112 (program count at +2, program map offset at +0xE6).
const TCase kCases[] = {
    {"truncated menu file, good backup", [](const QString& d) { Truncate(d + "VIDEO_TS.IFO", 2048); }, 3, 3,
     nullptr},
    {"0xFF block at 1450 of the menu file, good backup",
     [](const QString& d) { Overwrite(d + "VIDEO_TS.IFO", 1450, QByteArray(2048, '\xFF')); }, 3, 3, nullptr},
    // Its tables are whole, but the library refuses a file that ends inside a sector.
    {"menu file cut short of its last sector, good backup",
     [](const QString& d) { Truncate(d + "VIDEO_TS.IFO", 5802); }, 3, 3, nullptr},
    {"menu file and backup both truncated",
     [](const QString& d) {
         Truncate(d + "VIDEO_TS.IFO", 2048);
         Truncate(d + "VIDEO_TS.BUP", 2048);
     },
     -1, 0,
     "{}VIDEO_TS.IFO: the title table lies past the end of the file; "
     "{}VIDEO_TS.BUP: the title table lies past the end of the file"},
    {"truncated title-set file, good backup", [](const QString& d) { Truncate(d + "VTS_02_0.IFO", 2048); }, 3,
     3, nullptr},
    {"title-set file and backup both truncated",
     [](const QString& d) {
         Truncate(d + "VTS_02_0.IFO", 2048);
         Truncate(d + "VTS_02_0.BUP", 2048);
     },
     -1, 0, "{}VTS_02_0.IFO: Stream read error; {}VTS_02_0.BUP: Stream read error"},
    {"chain without programs, its program map past the end of the file",
     [](const QString& d) {
         Overwrite(d + "VTS_02_0.IFO", 4112 + 2, QByteArray(1, '\0'));
         Overwrite(d + "VTS_02_0.IFO", 4112 + 0xE6, QByteArray(2, '\xFF'));
     },
     3, 0, nullptr},
    {"FIFO in place of the menu file, good backup",
     [](const QString& d) { Replace(d + "VIDEO_TS.IFO", MakeFifo); }, 3, 3, nullptr},
    {"device in place of a title-set file, good backup",
     [](const QString& d) { Replace(d + "VTS_02_0.IFO", LinkToDevice); }, 3, 3, nullptr},
    {"folder in place of a title-set file, good backup",
     [](const QString& d) { Replace(d + "VTS_02_0.IFO", MakeFolder); }, 3, 3, nullptr},
    {"FIFO in place of a title-set file, no backup",
     [](const QString& d) {
         Replace(d + "VTS_01_0.IFO", MakeFifo);
         QFile::remove(d + "VTS_01_0.BUP");
     },
     -1, 0, "{}VTS_01_0.IFO: not a regular file (a FIFO)"},
    {"FIFO in place of a video file", [](const QString& d) { Replace(d + "VTS_02_1.VOB", MakeFifo); }, -1, 0,
     "{}VTS_02_1.VOB: not a regular file (a FIFO)"},
};

class DamagedDisc : public ::testing::TestWithParam<TCase> {};

// A copy of the sample disc's information files; the video files are links to the originals.
QString CopySampleDisc(const QString& root) {
    const QString from = SampleDiscDir("pal") + "/VIDEO_TS/";
    const QString to = root + "/VIDEO_TS/";
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        if (name.endsWith(".VOB"))
            QFile::link(from + name, to + name);
        else
            QFile::copy(from + name, to + name);
    }
    return to;
}

// Opens every FIFO of the folder for writing after a few seconds, so that a load blocked on one ends
// and the test fails instead of hanging.
class TFifoWatchdog {
public:
    explicit TFifoWatchdog(const QString& folder)
        : FThread([this, folder] {
              for (int i = 0; i < 50 && !FDone; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              if (FDone)
                  return;
              FReleased = true;
              for (const QString& name : QDir(folder).entryList(QDir::System)) {
                  const int fd = ::open(QFile::encodeName(folder + name).constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0)
                      ::close(fd);
              }
          }) {}
    ~TFifoWatchdog() { Stop(); }
    bool Stop() {
        FDone = true;
        if (FThread.joinable())
            FThread.join();
        return FReleased;
    }

private:
    std::atomic<bool> FDone{false}, FReleased{false};
    std::thread FThread;
};

TEST_P(DamagedDisc, ListsFromTheGoodCopyOrNamesTheFile) {
    const TCase& c = GetParam();
    ASSERT_TRUE(QFile::exists(SampleDiscDir("pal") + "/VIDEO_TS/VIDEO_TS.IFO")) << "sample disc missing";
    QTemporaryDir root;
    const QString videoTs = CopySampleDisc(root.path());
    c.Damage(videoTs);

    TAppContext context;
    TTaskListModel tasks(context);
    auto library = CreateDvdReadAccess();
    QString error;
    TFifoWatchdog watchdog(videoTs);
    try {
        const TLoadResult result = LoadDisc(root.path(), context, tasks, *library);
        error = result.LibraryError;
    } catch (const EIfoError& e) {
        error = QString::fromStdString(e.what());
    }
    EXPECT_FALSE(watchdog.Stop()) << "the load blocked on a FIFO";

    if (c.Titles < 0) {
        EXPECT_EQ(error, QString::fromLatin1(c.Error).replace("{}", videoTs));
        EXPECT_TRUE(tasks.IsEmpty());
        return;
    }
    EXPECT_EQ(error, "");
    ASSERT_EQ(tasks.TitleCount(), c.Titles);
    EXPECT_EQ(tasks.Title(0)->DisplayText, "Title01 [MPEG2 720x576 PAL 16:9]");
    EXPECT_EQ(tasks.Title(0)->Children.size(), 4u);
    EXPECT_EQ(tasks.Title(2)->DisplayText, "Title03 [MPEG2 720x576 PAL 4:3]");
    EXPECT_EQ(tasks.Title(2)->Children.size(), size_t(c.Title3Chapters));
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedDisc, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TCase>& info) {
                             std::string name;
                             for (const char* p = info.param.Name; *p; ++p)
                                 name += std::isalnum(uint8_t(*p)) ? *p : '_';
                             return name;
                         });

// Whatever the library does in its child process, the program carries on and names the file.
TEST(DvdLibraryProcess, ACrashOrAHangOfTheLibraryIsAnErrorNamingTheFile) {
    const auto files = [](int number) { return QStringLiteral("/disc/VIDEO_TS/file%1").arg(number); };
    const TDvdTitleTable crashed = ReadDvdTitleTable(
        "/nowhere", files, {}, [](const char*, const std::function<void(const int32_t*, size_t)>&) {
            std::signal(SIGSEGV, SIG_DFL);
            std::raise(SIGSEGV);
        });
    EXPECT_EQ(crashed.Error, "/disc/VIDEO_TS/file0: the DVD library crashed reading it (Segmentation fault)");
    EXPECT_TRUE(crashed.Titles.empty());

    const TDvdTitleTable hung = ReadDvdTitleTable(
        "/nowhere", files, {3000, 1000, 1000}, [](const char*, const std::function<void(const int32_t*, size_t)>&) {
            for (;;)
                ::pause();
        });
    EXPECT_EQ(hung.Error, "/disc/VIDEO_TS/file0: the DVD library got nowhere reading it within 1 s");

    // The real library on a sample disc, for comparison: titles with their title sets and chains.
    const TDvdTitleTable read = ReadDvdTitleTable(SampleDiscDir("pal") + "/VIDEO_TS", files);
    ASSERT_EQ(read.Error, "");
    ASSERT_EQ(read.Titles.size(), 3u);
    EXPECT_EQ(read.Titles[2].TitleSet, 2);
    EXPECT_EQ(read.Titles[2].Chain, 1);
    EXPECT_EQ(read.Titles[2].Angles, 1);
}

} // namespace
