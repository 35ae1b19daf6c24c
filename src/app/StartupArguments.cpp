#include "StartupArguments.h"

#include "dvd/DiscLoader.h"
#include "dvd/DiscSource.h"

#include <QFile>
#include <QFileInfo>

QStringList DiscFoldersOf(const QStringList& arguments) {
    QStringList entries = arguments;
    if (!arguments.isEmpty() && QFileInfo(arguments.first()).suffix().toLower() == "tmp") {
        entries.clear();
        QFile list(arguments.first());
        if (list.open(QIODevice::ReadOnly | QIODevice::Text))
            for (const QString& line : QString::fromLocal8Bit(list.readAll()).split('\n'))
                if (!line.trimmed().isEmpty())
                    entries << line.trimmed();
    }
    QStringList folders;
    for (const QString& entry : entries)
        if (const QString folder = DiscFolderOf(entry); !folder.isEmpty())
            folders << folder;
    return folders;
}

QString DiscFolderOf(const QString& path) {
    const QFileInfo info(path);
    if (IsDiscFile(path))
        return path;
    if (info.isFile())
        return IncludeTrailingSeparator(info.absolutePath());
    if (info.isDir())
        return IncludeTrailingSeparator(path);
    return {};
}
