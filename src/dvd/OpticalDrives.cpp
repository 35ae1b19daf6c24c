#include "OpticalDrives.h"

#include "DiscLoader.h"
#include "DiscSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <blkid/blkid.h>

namespace {

QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    // /proc files report a size of 0: read until the end instead of trusting it.
    return QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// "sr0" "sr1" from the "drive name:" line, which the kernel writes newest drive first.
QStringList DriveNames(const QString& cdromInfoPath) {
    QStringList names;
    for (const QString& line : ReadLines(cdromInfoPath))
        if (line.startsWith("drive name:"))
            names =
                line.mid(int(qstrlen("drive name:"))).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

bool SameDevice(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

QString MountPointOf(const QString& device, const QString& mountsPath) {
    for (const QString& line : ReadLines(mountsPath)) {
        const QStringList fields = line.split(' ');
        if (fields.size() >= 2 && SameDevice(UnescapeMountField(fields[0]), device))
            return UnescapeMountField(fields[1]);
    }
    return {};
}

// udev names its links with "\x20" for a blank and so on.
QString UnescapeUdevName(const QString& name) {
    QByteArray out;
    const QByteArray in = name.toUtf8();
    for (int i = 0; i < in.size(); ++i) {
        bool ok = false;
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += in[i];
    }
    return QString::fromUtf8(out);
}

std::optional<QString> LabelFromLinks(const QString& device, const QString& byLabelDir) {
    const QDir dir(byLabelDir);
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (link.isSymLink() && SameDevice(link.symLinkTarget(), device))
            return UnescapeUdevName(link.fileName());
    return std::nullopt;
}

} // namespace

std::optional<QString> ReadVolumeLabel(const QString& path) {
    blkid_probe probe = blkid_new_probe_from_filename(QFile::encodeName(path).constData());
    if (!probe)
        return std::nullopt;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE);
    std::optional<QString> label;
    if (blkid_do_safeprobe(probe) == 0) {
        const char* value = nullptr;
        label = blkid_probe_lookup_value(probe, "LABEL", &value, nullptr) == 0 ? QString::fromUtf8(value)
                                                                               : QString();
    }
    blkid_free_probe(probe);
    return label;
}

std::vector<TOpticalDrive> ListOpticalDrives(const TDriveSources& sources) {
    const auto readLabel = sources.ReadLabel ? sources.ReadLabel : ReadVolumeLabel;
    std::vector<TOpticalDrive> drives;
    for (const QString& name : DriveNames(sources.CdromInfoPath)) {
        TOpticalDrive drive;
        drive.Device = "/dev/" + name;
        drive.MountPoint = MountPointOf(drive.Device, sources.MountsPath);
        std::optional<QString> label = readLabel(drive.Device);
        if (!label && !drive.MountPoint.isEmpty())
            label = LabelFromLinks(drive.Device, sources.ByLabelDir);
        drive.HasMedium = label.has_value() || !drive.MountPoint.isEmpty();
        drive.Label = label.value_or(QString());
        drives.push_back(drive);
    }
    return drives;
}

QString UnescapeMountField(const QString& field) {
    static const QRegularExpression octal("\\\\([0-7]{3})");
    QString out;
    int last = 0;
    for (auto it = octal.globalMatch(field); it.hasNext();) {
        const auto match = it.next();
        out += field.mid(last, match.capturedStart() - last);
        out += QChar(match.captured(1).toInt(nullptr, 8));
        last = match.capturedEnd();
    }
    return out + field.mid(last);
}

TDriveList FillDriveList(const std::vector<TOpticalDrive>& drives) {
    TDriveList list;
    int selected = 0;
    for (const TOpticalDrive& drive : drives) {
        TDriveEntry entry;
        entry.Root = drive.MountPoint.isEmpty() ? drive.Device : IncludeTrailingSeparator(drive.MountPoint);
        entry.Label = drive.Label.isEmpty() ? QStringLiteral("No Disc") : drive.Label;
        entry.Text = entry.Root + " [" + entry.Label + "]";
        list.Entries.push_back(entry);
        if (!drive.Label.isEmpty())
            selected = int(list.Entries.size()) - 1;
    }
    list.Selected = list.Entries.empty() ? -1 : selected;
    return list;
}

QString DiscOfEntry(const TDriveEntry& entry) {
    if (entry.Root.isEmpty())
        return {};
    if (DiscKindOf(entry.Root) == TDiscKind::Device)
        return entry.Root;
    const QString folder = VideoTsFolderOf(entry.Root);
    if (QFileInfo(folder).isDir())
        return folder;
    const QStringList images = QDir(entry.Root).entryList({"*.[iI][sS][oO]"}, QDir::Files);
    return images.size() == 1 ? IncludeTrailingSeparator(entry.Root) + images.first() : QString();
}

QString VideoTsFolderOf(const QString& root) {
    return (root.isEmpty() ? QString() : IncludeTrailingSeparator(root)) + "VIDEO_TS/";
}
