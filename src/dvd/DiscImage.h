#pragma once

#include <QString>
#include <QTemporaryDir>

// A disc image (an ISO 9660/UDF file ending in .iso, any case) holds a disc as a folder does.
bool IsDiscImagePath(const QString& path);

// The information files (.IFO and .BUP) of a disc image, copied through libdvdread into a temporary
// VIDEO_TS folder, so that the checks made on a folder's files hold for an image's too.
class TDiscImageFiles {
public:
    explicit TDiscImageFiles(const QString& image);
    bool IsValid() const { return FError.isEmpty(); }
    QString Error() const { return FError; }
    // The temporary folder, ending in "/".
    QString Folder() const { return FFolder.path() + "/"; }

private:
    QTemporaryDir FFolder;
    QString FError;
};
