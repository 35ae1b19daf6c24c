#include "DiscInfoFiles.h"

#include "InfoFileCheck.h"
#include "InfoFileChoice.h"
#include "LibraryChild.h"
#include "ScrambledPacks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include <dvdread/dvd_reader.h>

namespace {

// Information files are small; anything larger is not one.
constexpr ssize_t kMaxInfoBlocks = 8 * 1024;
constexpr int kLastTitleSet = 99;

QString InfoName(int titleSet, bool backup) {
    const QString stem = titleSet == 0 ? QStringLiteral("VIDEO_TS")
                                       : QStringLiteral("VTS_%1_0").arg(titleSet, 2, 10, QLatin1Char('0'));
    return stem + (backup ? ".BUP" : ".IFO");
}

// What the library says while the files are copied: its last error, and whether it can decrypt.
struct TCopyLog {
    char Error[512] = "";
    bool NoDecryption = false;
};

void Log(void* self, dvd_logger_level_t level, const char* format, va_list args) {
    auto* log = static_cast<TCopyLog*>(self);
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    if (SaysNoDecryption(text))
        log->NoDecryption = true;
    else if (level == DVD_LOGGER_LEVEL_ERROR)
        std::memcpy(log->Error, text, sizeof text);
}

// Copies one information file; the copy is left out when the disc does not hold the file or the library
// cannot read it. A name already in the folder is left alone.
void CopyInfoFile(dvd_reader_t* dvd, int titleSet, bool backup, const QByteArray& folder) {
    const QByteArray target = folder + InfoName(titleSet, backup).toLatin1();
    if (faccessat(AT_FDCWD, target.constData(), F_OK, AT_SYMLINK_NOFOLLOW) == 0)
        return;
    dvd_file_t* file = DVDOpenFile(dvd, titleSet, backup ? DVD_READ_INFO_BACKUP_FILE : DVD_READ_INFO_FILE);
    if (!file)
        return;
    // The size counts whole 2048-byte blocks: a file that ends inside a block is cut there, as the
    // library itself reads it. A file the library opens but cannot read is copied empty, so that the
    // checks name it.
    const ssize_t blocks = DVDFileSize(file);
    std::vector<unsigned char> bytes(blocks > 0 && blocks <= kMaxInfoBlocks ? size_t(blocks) * 2048 : 0);
    const ssize_t read = bytes.empty() ? 0 : DVDReadBytes(file, bytes.data(), bytes.size());
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        if (read > 0 && ::write(fd, bytes.data(), size_t(read)) != read)
            ::ftruncate(fd, 0);
        ::close(fd);
    }
    DVDCloseFile(file);
}

// Why a disc file's first volume sector cannot be read, said before the library tries: a drive without a
// disc, a loop device with no image behind it, a file the user may not read. Nothing is ever written. Read
// where the library reads, as a drive may take its time to spin up.
std::string UnreadableProblem(const QByteArray& disc) {
    const int fd = ::open(disc.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::string("cannot open it: ") + strerror(errno);
    char sector[2048];
    const ssize_t got = ::pread(fd, sector, sizeof sector, 16 * 2048);
    const int error = errno;
    ::close(fd);
    if (got < 0)
        return std::string("cannot read it: ") + strerror(error);
    if (got == 0)
        return "nothing can be read from it (no disc in the drive, or an empty or cut image)";
    return {};
}

// The title sets whose information files a folder holds, by any case of their names, and the menu's (0).
// The library looks each file it is asked for up by reading the whole folder, once per name: asked for
// every title set a disc may have, a folder costs it hundreds of scans.
std::vector<int> TitleSetsIn(const QString& folder) {
    std::vector<int> sets{0};
    static const QRegularExpression name(QStringLiteral("^VTS_(\\d\\d)_0\\.(IFO|BUP)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    for (const QString& entry :
         QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                                QDir::Name | QDir::IgnoreCase)) {
        const QRegularExpressionMatch match = name.match(entry);
        const int set = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (set > 0 && set <= kLastTitleSet && std::find(sets.begin(), sets.end(), set) == sets.end())
            sets.push_back(set);
    }
    return sets;
}

std::vector<int> EveryTitleSet() {
    std::vector<int> sets(kLastTitleSet + 1);
    for (int set = 0; set <= kLastTitleSet; ++set)
        sets[size_t(set)] = set;
    return sets;
}

// The work of the copy, in whichever process: writes the opening's outcome as three bytes (opened: '1',
// '0', or 'u' when the disc file cannot be read at all; no decryption; a zero) and the library's last
// error or why it cannot be read. Reports progress after each step, so that the parent tells a slow drive
// from a library that loops.
void CopyInfoFiles(const QByteArray& disc, bool discFile, const QByteArray& folder,
                   const std::vector<int>& sets, const std::function<void(QByteArray)>& out) {
    if (discFile) {
        if (const std::string problem = UnreadableProblem(disc); !problem.empty()) {
            out(QByteArray("u0", 3) + QByteArray::fromStdString(problem));
            return;
        }
        ReportProgress();
    }
    TCopyLog log;
    const dvd_logger_cb logger = {&Log};
    dvd_reader_t* dvd = DVDOpen2(&log, &logger, disc.constData());
    ReportProgress();
    if (dvd) {
        // The error to tell is the one met looking for the menu file, when that is what is missing.
        TCopyLog menuLog;
        for (int set : sets) {
            CopyInfoFile(dvd, set, false, folder);
            CopyInfoFile(dvd, set, true, folder);
            ReportProgress();
            if (set == 0)
                menuLog = log;
        }
        std::memcpy(log.Error, menuLog.Error, sizeof log.Error);
        DVDClose(dvd);
    }
    out(QByteArray(1, dvd ? '1' : '0') + (log.NoDecryption ? '1' : '0') + '\0' + QByteArray(log.Error));
}

} // namespace

TDiscInfoFiles::TDiscInfoFiles(const QString& disc, TLibraryProcess process, const TChildBounds& bounds,
                               const std::function<void()>& pump)
    : FDisc(disc), FKind(DiscKindOf(disc)) {
    if (!FFolder.isValid()) {
        FError = QStringLiteral("%1: cannot make a temporary folder: %2").arg(disc, FFolder.errorString());
        return;
    }
    if (FKind == TDiscKind::Folder) {
        // Opening a FIFO blocks, and a device or a folder is no information file: such an entry is linked
        // into the copy as it is, so that the library never opens it and the checks name its problem.
        for (const QString& name : QDir(disc).entryList({"*.IFO", "*.BUP"}, QDir::AllEntries | QDir::System |
                                                                               QDir::Hidden | QDir::NoDotAndDotDot))
            if (!NonRegularFileProblem(disc + name).isEmpty())
                QFile::link(QFileInfo(disc + name).absoluteFilePath(), Folder() + name.toUpper());
    }

    const QByteArray source = QFile::encodeName(FKind == TDiscKind::Folder ? disc.chopped(1) : disc);
    const QByteArray folder = QFile::encodeName(Folder());
    const bool discFile = FKind != TDiscKind::Folder;
    const std::vector<int> sets = discFile ? EveryTitleSet() : TitleSetsIn(disc);
    QByteArray report;
    QString fault;
    if (process == TLibraryProcess::Own) {
        CopyInfoFiles(source, discFile, folder, sets, [&report](const QByteArray& bytes) { report = bytes; });
    } else {
        const TChildOutput out = RunInLibraryChild(
            [&](int fd) {
                CopyInfoFiles(source, discFile, folder, sets, [fd](const QByteArray& bytes) {
                    WriteFromChild(fd, bytes.constData(), size_t(bytes.size()));
                });
            },
            bounds, pump);
        report = out.Bytes;
        fault = out.Fault;
    }
    FNoDecryption = report.size() >= 2 && report[1] == '1';
    const QString detail = report.size() > 3 ? QString::fromLocal8Bit(report.mid(3)).trimmed() : QString();
    const QString why = detail.isEmpty() ? QString() : " (" + detail + ")";
    if (!fault.isEmpty())
        FError = disc + ": " + fault;
    else if (report.startsWith('u'))
        FError = disc + ": " + detail;
    else if (report.isEmpty() || report[0] != '1')
        FError = QStringLiteral("%1: the DVD library cannot open it as a DVD%2").arg(disc, why);
    else if (FKind != TDiscKind::Folder && !QFileInfo::exists(Folder() + "VIDEO_TS.IFO") &&
             !QFileInfo::exists(Folder() + "VIDEO_TS.BUP"))
        FError = QStringLiteral("%1: no DVD-Video on it (it holds no VIDEO_TS.IFO)%2").arg(disc, why);
}

QString TDiscInfoFiles::SourceName(const QString& name) const {
    if (FKind == TDiscKind::Folder)
        return FindEntry(FDisc, name);
    return FDisc + "/VIDEO_TS/" + name;
}

QString TDiscInfoFiles::Named(QString text) const {
    for (const QString& name : QDir(Folder()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        text.replace(Folder() + name, SourceName(name));
    return text;
}
