#include "StartupArguments.h"

#include "dvd/DiscLoader.h"

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
    for (const QString& entry : entries) {
        const QFileInfo info(entry);
        if (info.isFile())
            folders << IncludeTrailingSeparator(info.absolutePath());
        else if (info.isDir())
            folders << IncludeTrailingSeparator(entry);
    }
    return folders;
}
