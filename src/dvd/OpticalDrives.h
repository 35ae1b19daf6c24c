#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// One optical drive and the disc in it.
struct TOpticalDrive {
    QString Device;     // "/dev/sr0"
    QString MountPoint; // where its disc is mounted; empty when it is not
    QString Label;      // the disc's volume label; empty when it has none or none could be read
    bool HasMedium = false;
};

// Where the drives are found. The defaults are the running system's; tests point them at fixtures.
struct TDriveSources {
    QString CdromInfoPath = "/proc/sys/dev/cdrom/info";
    QString MountsPath = "/proc/self/mounts";
    QString ByLabelDir = "/dev/disk/by-label"; // udev's links from labels to devices
    // The volume label of a device; nullopt when it cannot be read (no medium, no permission).
    std::function<std::optional<QString>(const QString& device)> ReadLabel;
};

// The volume label of a block device or an image file, read with libblkid: nullopt when the file cannot
// be opened or probed, an empty text when the file system has no label.
std::optional<QString> ReadVolumeLabel(const QString& path);

// The optical drives the kernel lists, in device name order (sr0, sr1, ...), each with its mount point
// and its disc's label.
std::vector<TOpticalDrive> ListOpticalDrives(const TDriveSources& sources = {});

// A mount point as /proc/self/mounts writes it, with its octal escapes ("\040" for a blank) undone.
QString UnescapeMountField(const QString& field);

// The Open-DVD dialog's drive list: one entry per drive, its folder and the label that becomes the output
// prefix, and the entry selected at first (the last drive holding a labelled disc, else the first).
struct TDriveEntry {
    QString Text;  // root + " [" + label + "]"; "No Disc" stands for an empty label
    QString Root;  // the mount point with "/" appended, or the device when the disc is not mounted
    QString Label; // what the prefix becomes when this entry is opened
};
struct TDriveList {
    std::vector<TDriveEntry> Entries;
    int Selected = -1;
};
TDriveList FillDriveList(const std::vector<TOpticalDrive>& drives);

// The VIDEO_TS folder under an entry's root, ending in "/".
QString VideoTsFolderOf(const QString& root);

// What opening an entry opens: a drive whose disc is not mounted is read directly through its device; a
// mounted disc by its VIDEO_TS folder, or by the one disc image (.iso) its root holds. Empty when none.
QString DiscOfEntry(const TDriveEntry& entry);
