#include "WorkFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
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

void TOwnedFile::Remove() {
    if (!FPath.isEmpty())
        QFile::remove(FPath);
    FPath.clear();
}

void TOwnedFile::Truncate() {
    if (!FPath.isEmpty())
        QFile::resize(FPath, 0);
}
