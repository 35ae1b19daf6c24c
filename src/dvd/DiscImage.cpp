#include "DiscImage.h"

#include <QFile>
#include <QFileInfo>
#include <dvdread/dvd_reader.h>

#include <cstdint>
#include <vector>

namespace {

// Information files are small; anything larger is not one.
constexpr ssize_t MaxInfoFileBytes = 16 * 1024 * 1024;

void Quiet(void*, dvd_logger_level_t, const char*, va_list) {}

QString InfoName(int titleSet, bool backup) {
    const QString stem =
        titleSet == 0 ? QStringLiteral("VIDEO_TS") : QStringLiteral("VTS_%1_0").arg(titleSet, 2, 10, QChar('0'));
    return stem + (backup ? ".BUP" : ".IFO");
}

// Copies one information file; false when the image does not hold it.
bool CopyInfoFile(dvd_reader_t* dvd, int titleSet, bool backup, const QString& folder) {
    dvd_file_t* file = DVDOpenFile(dvd, titleSet, backup ? DVD_READ_INFO_BACKUP_FILE : DVD_READ_INFO_FILE);
    if (!file)
        return false;
    const ssize_t size = DVDFileSize(file); // in 2048-byte blocks
    bool copied = false;
    if (size > 0 && size * 2048 <= MaxInfoFileBytes) {
        std::vector<unsigned char> bytes(size_t(size) * 2048);
        const ssize_t read = DVDReadBytes(file, bytes.data(), bytes.size());
        if (read > 0) {
            QFile out(folder + InfoName(titleSet, backup));
            copied = out.open(QIODevice::WriteOnly) && out.write(reinterpret_cast<const char*>(bytes.data()),
                                                                 qint64(read)) == qint64(read);
        }
    }
    DVDCloseFile(file);
    return copied;
}

} // namespace

bool IsDiscImagePath(const QString& path) {
    return path.endsWith(".iso", Qt::CaseInsensitive) && QFileInfo(path).isFile();
}

TDiscImageFiles::TDiscImageFiles(const QString& image) {
    if (!FFolder.isValid()) {
        FError = QStringLiteral("%1: cannot make a temporary folder: %2").arg(image, FFolder.errorString());
        return;
    }
    static const dvd_logger_cb logger = {&Quiet};
    dvd_reader_t* dvd = DVDOpen2(nullptr, &logger, QFile::encodeName(image).constData());
    if (!dvd) {
        FError = QStringLiteral("%1: not a DVD image the DVD library can open").arg(image);
        return;
    }
    const bool menu = CopyInfoFile(dvd, 0, false, Folder()) | CopyInfoFile(dvd, 0, true, Folder());
    for (int set = 1; menu && set <= 99; ++set)
        if (!(CopyInfoFile(dvd, set, false, Folder()) | CopyInfoFile(dvd, set, true, Folder())))
            break;
    DVDClose(dvd);
    if (!menu)
        FError = QStringLiteral("%1: no DVD-Video in this image (it holds no VIDEO_TS.IFO)").arg(image);
}
