#include "RunLeftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace RunLeftovers {

namespace {

const QString kUnique = QStringLiteral("[A-Za-z0-9]{6}");

// The process id a name carries where it matches pattern (its first group), else 0.
qint64 MarkOf(const QRegularExpression& pattern, const QString& name) {
    const QRegularExpressionMatch m = pattern.match(name);
    return m.hasMatch() ? m.captured(1).toLongLong() : 0;
}

bool IsFileOrPipe(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 &&
           (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode));
}

// Folders such as the system's temporary one hold many names: only those like glob are looked at (the
// pattern still decides), and unsorted.
QStringList EntriesLike(const QDir& dir, const QString& glob, QDir::Filters filters) {
    return dir.entryList({glob}, filters | QDir::Hidden, QDir::NoSort);
}

QStringList RemoveFilesOfGoneRuns(const QString& folder, const QString& glob,
                                  const QRegularExpression& pattern) {
    QStringList removed;
    if (folder.isEmpty())
        return removed;
    const QDir dir(folder);
    for (const QString& name : EntriesLike(dir, glob, QDir::Files | QDir::System)) {
        const qint64 pid = MarkOf(pattern, name);
        const QString path = dir.filePath(name);
        if (pid > 0 && !RunAlive(pid) && IsFileOrPipe(path) && QFile::remove(path))
            removed << path;
    }
    return removed;
}

// Each folder in dir like glob whose name matches pattern and whose run is gone (never a link to a folder):
// removeMade removes what that run put in it, and the folder goes when that leaves it empty.
QStringList RemoveFoldersOfGoneRuns(const QDir& dir, const QString& glob, const QRegularExpression& pattern,
                                    const std::function<void(const QDir&)>& removeMade) {
    QStringList removed;
    for (const QString& name : EntriesLike(dir, glob, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const qint64 pid = MarkOf(pattern, name);
        const QString path = dir.filePath(name);
        if (pid <= 0 || RunAlive(pid) || QFileInfo(path).isSymLink())
            continue;
        removeMade(QDir(path));
        if (dir.rmdir(name))
            removed << path;
    }
    return removed;
}

} // namespace

QString RunMark() {
    return QString::number(::getpid());
}

QString WorkFilePattern() {
    return "temp-" + RunMark() + "-XXXXXX.avi";
}

QString PartialFilePattern(const QString& stem, const QString& extension) {
    return stem + ".partial-" + RunMark() + "-XXXXXX" + extension;
}

QString PiecesFolderTemplate(const QString& folder, const QString& stem) {
    return folder + "/." + stem + ".pieces-" + RunMark() + "-XXXXXX";
}

QString ViewFolderTemplate() {
    return QDir::tempPath() + "/velloric-view-" + RunMark() + "-XXXXXX";
}

bool RunAlive(qint64 pid) {
    // EPERM: a process of another user holds the id; it is not ours to judge, so it counts as running.
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno != ESRCH);
}

QStringList RemoveWorkLeftovers(const QString& workFolder) {
    static const QRegularExpression pattern("^temp-(\\d+)-" + kUnique + "\\.avi$");
    return RemoveFilesOfGoneRuns(workFolder, "temp-*", pattern);
}

QStringList RemovePartialLeftovers(const QString& outputFolder) {
    static const QRegularExpression pattern("^.+\\.partial-(\\d+)-" + kUnique + "(\\.[A-Za-z0-9]+)?$");
    QStringList removed = RemoveFilesOfGoneRuns(outputFolder, "*.partial-*", pattern);
    if (outputFolder.isEmpty())
        return removed;
    // A folder of pieces holds the pieces, the rest of the row and the list of the pieces; one that holds
    // anything else is left alone.
    static const QRegularExpression folders("^\\..+\\.pieces-(\\d+)-" + kUnique + "$");
    static const QRegularExpression made("^((piece-\\d+|rest)(\\.[A-Za-z0-9]+)?|pieces\\.txt)$");
    return removed +
           RemoveFoldersOfGoneRuns(QDir(outputFolder), ".*.pieces-*", folders, [](const QDir& pieces) {
               for (const QString& file : pieces.entryList(QDir::Files | QDir::System | QDir::Hidden))
                   if (made.match(file).hasMatch() && IsFileOrPipe(pieces.filePath(file)))
                       QFile::remove(pieces.filePath(file));
           });
}

QStringList RemoveViewLeftovers() {
    static const QRegularExpression pattern("^velloric-view-(\\d+)-" + kUnique + "$");
    // The folder holds only links to a disc's files: the links go, never what they point at, and a folder
    // holding anything else is left alone.
    return RemoveFoldersOfGoneRuns(QDir(QDir::tempPath()), "velloric-view-*", pattern, [](const QDir& view) {
        for (const QFileInfo& entry :
             view.entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
            if (!entry.isSymLink() || !QFile::remove(entry.filePath()))
                return;
    });
}

} // namespace RunLeftovers
