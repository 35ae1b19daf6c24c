#pragma once

#include "DiscSource.h"
#include "DvdAccess.h"

#include <QString>
#include <QTemporaryDir>

// The information files (.IFO and .BUP) of a disc, read through the DVD library (DVDOpenFile and
// DVDReadBytes) into a private VIDEO_TS folder, whatever holds the disc: a folder, an image or a drive.
// The bounds checks and the choice between an .IFO and its .BUP then work on that folder alike for all
// three. The library does the reading in a child process, so a damaged image cannot take the program
// down or hang it (TLibraryProcess::Own keeps it here, for the fuzz target).
class TDiscInfoFiles {
public:
    // disc: a VIDEO_TS folder (ending in "/"), an image file or a block device.
    explicit TDiscInfoFiles(const QString& disc, TLibraryProcess process = TLibraryProcess::Child,
                            int timeoutMs = 30000);
    bool IsValid() const { return FError.isEmpty(); }
    QString Error() const { return FError; }
    // The private folder, ending in "/".
    QString Folder() const { return FFolder.path() + "/"; }
    // Whether the library said at its opening that it cannot decrypt (no libdvdcss).
    bool NoDecryption() const { return FNoDecryption; }
    // text with each copy's path put back as the disc names the file: the folder's own entry, or
    // "<image>/VIDEO_TS/<name>".
    QString Named(QString text) const;

private:
    QString SourceName(const QString& name) const;

    QString FDisc;
    TDiscKind FKind;
    QTemporaryDir FFolder;
    bool FNoDecryption = false;
    QString FError;
};
