#pragma once

#include <QString>

// What a path the user names holds: a disc folder, a disc image or a drive read directly. The DVD library
// opens all three the same way; only a folder's files can be handed to other programs one by one.
enum class TDiscKind {
    Folder, // a VIDEO_TS folder, or a folder (a mount point) holding one
    Image,  // an ISO 9660/UDF image file: any *.iso, or a regular file that starts as one
    Device, // a block device: an optical drive, or a loop device of an image
    Other,  // anything else: a missing path, or a file that is no disc
};

TDiscKind DiscKindOf(const QString& path);

// An image or a device: a disc that is one file, which the encoders are given as it is.
bool IsDiscFile(const QString& path);

// Whether the file's first sectors are those of an ISO 9660/UDF volume the DVD library reads: a volume
// recognition sequence at sector 16 and a UDF anchor at sector 256.
bool HasDiscImageSignature(const QString& path);

// An image's name without its extension; a device's last part.
QString DiscFileStem(const QString& path);
