#include "DiscSource.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

constexpr qint64 kSector = 2048;

bool IsBlockDevice(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISBLK(st.st_mode);
}

} // namespace

bool HasDiscImageSignature(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || file.size() < 257 * kSector || !file.open(QIODevice::ReadOnly))
        return false;
    const auto at = [&file](qint64 sector, int bytes) {
        return file.seek(sector * kSector) ? file.read(bytes) : QByteArray();
    };
    const QByteArray recognition = at(16, 6).mid(1, 5);
    const QByteArray anchor = at(256, 2);
    // ISO 9660 ("CD001") or the UDF sequence ("BEA01") opens the volume; tag 2 is the UDF anchor pointer.
    return (recognition == "CD001" || recognition == "BEA01") && anchor.size() == 2 && anchor[0] == 2 &&
           anchor[1] == 0;
}

TDiscKind DiscKindOf(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return TDiscKind::Other;
    if (info.isDir())
        return TDiscKind::Folder;
    if (IsBlockDevice(path))
        return TDiscKind::Device;
    if (info.isFile() && (info.suffix().compare("iso", Qt::CaseInsensitive) == 0 || HasDiscImageSignature(path)))
        return TDiscKind::Image;
    return TDiscKind::Other;
}

bool IsDiscFile(const QString& path) {
    const TDiscKind kind = DiscKindOf(path);
    return kind == TDiscKind::Image || kind == TDiscKind::Device;
}

QString DiscFileStem(const QString& path) {
    const QFileInfo info(path);
    return IsBlockDevice(path) ? info.fileName() : info.completeBaseName();
}
