#include "dvd/OpticalDrives.h"

#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

const QString kData = QStringLiteral(VELLORIC_SOURCE_DIR) + "/tests/data/drives/";

TDriveSources Fixture(const QString& info, const QString& mounts,
                      std::function<std::optional<QString>(const QString&)> labels) {
    TDriveSources sources;
    sources.CdromInfoPath = kData + info;
    sources.MountsPath = kData + mounts;
    sources.ByLabelDir = kData + "no-such-dir";
    sources.ReadLabel = std::move(labels);
    return sources;
}

// The smallest ISO 9660 image libblkid recognises: an empty system area, a primary volume descriptor
// naming the volume, and the set terminator.
QByteArray IsoImage(const QByteArray& volumeId) {
    QByteArray image(18 * 2048, '\0');
    char* pvd = image.data() + 16 * 2048;
    pvd[0] = 1;
    std::memcpy(pvd + 1, "CD001", 5);
    pvd[6] = 1;
    std::memset(pvd + 8, ' ', 64);
    std::memcpy(pvd + 40, volumeId.constData(), size_t(volumeId.size()));
    pvd[80] = 18; // volume space size, little- then big-endian
    pvd[87] = 18;
    pvd[120] = 1; // volume set size
    pvd[123] = 1;
    pvd[128] = 0; // logical block size 2048
    pvd[129] = 8;
    pvd[130] = 8;
    char* terminator = pvd + 2048;
    terminator[0] = char(255);
    std::memcpy(terminator + 1, "CD001", 5);
    terminator[6] = 1;
    return image;
}

} // namespace

TEST(OpticalDrives, ListsDrivesInNameOrderWithMountPointsAndLabels) {
    const auto drives = ListOpticalDrives(Fixture("cdrom-info-two", "mounts-sr0", [](const QString& device) {
        return device == "/dev/sr0" ? std::optional<QString>("MY DISC") : std::nullopt;
    }));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].Device, "/dev/sr0");
    EXPECT_EQ(drives[0].MountPoint, "/media/user/MY DISC"); // "\040" undone
    EXPECT_EQ(drives[0].Label, "MY DISC");
    EXPECT_TRUE(drives[0].HasMedium);
    EXPECT_EQ(drives[1].Device, "/dev/sr1"); // the kernel lists it first
    EXPECT_EQ(drives[1].MountPoint, "");
    EXPECT_FALSE(drives[1].HasMedium);

    EXPECT_TRUE(ListOpticalDrives(Fixture("cdrom-info-none", "mounts-sr0", {})).empty());
    EXPECT_TRUE(ListOpticalDrives(Fixture("missing-file", "missing-file", {})).empty());
}

TEST(OpticalDrives, DriveListEntriesAndTheDriveSelectedAtFirst) {
    const auto drive = [](QString device, QString mount, QString label) {
        return TOpticalDrive{device, mount, label, true};
    };
    struct Case {
        const char* What;
        std::vector<TOpticalDrive> Drives;
        QStringList Texts;
        int Selected;
    };
    const Case cases[] = {
        {"two labelled discs: the last is selected",
         {drive("/dev/sr0", "/media/a", "FIRST"), drive("/dev/sr1", "/media/b", "SECOND")},
         {"/media/a/ [FIRST]", "/media/b/ [SECOND]"},
         1},
        {"a disc without a label is listed as No Disc and not selected",
         {drive("/dev/sr0", "/media/a", "MY_DISC"), drive("/dev/sr1", "/media/b", "")},
         {"/media/a/ [MY_DISC]", "/media/b/ [No Disc]"},
         0},
        {"an empty drive shows its device",
         {drive("/dev/sr0", "", ""), drive("/dev/sr1", "/media/b", "B")},
         {"/dev/sr0 [No Disc]", "/media/b/ [B]"},
         1},
        {"no labelled disc: the first entry", {drive("/dev/sr0", "", "")}, {"/dev/sr0 [No Disc]"}, 0},
        {"no drive: no selection", {}, {}, -1},
    };
    for (const Case& c : cases) {
        const TDriveList list = FillDriveList(c.Drives);
        QStringList texts;
        for (const TDriveEntry& entry : list.Entries)
            texts << entry.Text;
        EXPECT_EQ(texts, c.Texts) << c.What;
        EXPECT_EQ(list.Selected, c.Selected) << c.What;
    }
}

TEST(OpticalDrives, LabelsKeepBracketsAndEmptyLabelsBecomeTheNoDiscPrefix) {
    const TDriveList list =
        FillDriveList({{"/dev/sr0", "/media/x", "A[1]B", true}, {"/dev/sr1", "/media/y", "", true}});
    EXPECT_EQ(list.Entries[0].Label, "A[1]B");
    EXPECT_EQ(list.Entries[0].Text, "/media/x/ [A[1]B]");
    EXPECT_EQ(list.Entries[1].Label, "No Disc");
    EXPECT_EQ(VideoTsFolderOf(list.Entries[0].Root), "/media/x/VIDEO_TS/");
    EXPECT_EQ(VideoTsFolderOf("/dev/sr1"), "/dev/sr1/VIDEO_TS/");
}

TEST(OpticalDrives, ReadsTheVolumeLabelOfAnImageFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("disc.iso");
    QFile image(path);
    ASSERT_TRUE(image.open(QIODevice::WriteOnly));
    image.write(IsoImage("MY_DISC"));
    image.close();
    EXPECT_EQ(ReadVolumeLabel(path), std::optional<QString>("MY_DISC"));

    QFile blank(dir.filePath("blank.img"));
    ASSERT_TRUE(blank.open(QIODevice::WriteOnly));
    blank.write(QByteArray(64 * 1024, '\0'));
    blank.close();
    EXPECT_EQ(ReadVolumeLabel(blank.fileName()), std::nullopt); // no file system
    EXPECT_EQ(ReadVolumeLabel(dir.filePath("absent.iso")), std::nullopt);
}

TEST(OpticalDrives, AMountedDiscWithAnUnreadableDeviceTakesItsLabelFromTheUdevLinks) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("by-label"));
    QFile::link("/dev/sr0", dir.filePath("by-label/HOLIDAY\\x202019"));
    TDriveSources sources =
        Fixture("cdrom-info-two", "mounts-sr0", [](const QString&) { return std::nullopt; });
    sources.ByLabelDir = dir.filePath("by-label");
    const auto drives = ListOpticalDrives(sources);
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].Label, "HOLIDAY 2019");
    EXPECT_EQ(drives[1].Label, ""); // not mounted: no medium, no link looked at
}
