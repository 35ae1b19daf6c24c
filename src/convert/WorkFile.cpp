#include "WorkFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// The mode a file created by a plain open() would get: the unique-name creation makes it private.
void GiveUsualMode(const QString& path) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

} // namespace

bool TOwnedFile::Create(const QString& folder, const QString& pattern, QString& error) {
    Remove();
    QTemporaryFile file(QDir(folder).filePath(pattern));
    file.setAutoRemove(false);
    if (!file.open()) {
        error = QDir(folder).filePath(pattern) + ": " + file.errorString();
        return false;
    }
    FPath = file.fileName();
    GiveUsualMode(FPath);
    return true;
}

bool TOwnedFile::CreatePipe(const QString& folder, const QString& pattern, QString& error) {
    Remove();
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const qsizetype at = pattern.lastIndexOf("XXXXXX");
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = pattern;
        if (at >= 0)
            for (int i = 0; i < 6; ++i)
                name[at + i] = QChar(kLetters[QRandomGenerator::global()->bounded(62)]);
        const QString path = QDir(folder).filePath(name);
        const QByteArray native = QFile::encodeName(path);
        if (::mkfifo(native.constData(), 0600) == 0) {
            FPath = path;
            return true;
        }
        const int why = errno;
        if (why != EEXIST || at < 0) {
            // A filesystem without named pipes may leave an empty file of that name while refusing the pipe
            // (one through FUSE does); the name was free, so the file is ours to take away.
            struct stat left {};
            if (why != EEXIST && ::lstat(native.constData(), &left) == 0 && S_ISREG(left.st_mode) &&
                left.st_size == 0)
                ::unlink(native.constData());
            error = path + ": " + QString::fromLocal8Bit(std::strerror(why));
            return false;
        }
    }
    error = QDir(folder).filePath(pattern) + ": no free name";
    return false;
}

void TOwnedFile::Remove() {
    if (!FPath.isEmpty())
        QFile::remove(FPath);
    FPath.clear();
}

void TOwnedFile::FreeName() {
    if (!FPath.isEmpty())
        QFile::remove(FPath);
}

void TOwnedFile::Truncate() {
    if (!FPath.isEmpty())
        QFile::resize(FPath, 0);
}
