// The bounds checks that keep a damaged information file away from the DVD library, on the sample disc's
// files with one field changed.
#include "dvd/InfoFileCheck.h"
#include "support/TestPaths.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray SampleFile(const QString& name) {
    QFile file(SampleDiscDir("pal") + "/VIDEO_TS/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(QByteArray& bytes, qint64 at, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char(value >> (8 * (size - 1 - i)));
}

QString Check(const QByteArray& bytes, bool videoManager) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return videoManager ? CheckVideoManagerFile(buffer) : CheckTitleSetFile(buffer);
}

} // namespace

// A chain's cell table holds 24 bytes a cell. Its offset is set so that 4 bytes a cell would still fit in the
// file but the real entries do not: the file is refused before the library reads past its end.
TEST(InfoFileCheck, AChainsCellTableMustHoldEveryCellsEntry) {
    struct Case {
        const char *Name, *File;
        bool VideoManager;
        qint64 Chain; // where the sample's chain starts (the first-play chain, or title 3's)
        int Cells;
    };
    for (const Case& c : {Case{"first-play chain", "VIDEO_TS.IFO", true, 0x400, 1},
                          Case{"title chain", "VTS_02_0.IFO", false, 4112, 3}}) {
        SCOPED_TRACE(c.Name);
        QByteArray bytes = SampleFile(c.File);
        ASSERT_FALSE(bytes.isEmpty()) << "sample disc missing";
        ASSERT_EQ(Check(bytes, c.VideoManager), "");
        const qint64 offset = bytes.size() - c.Chain - 4 * c.Cells - 4; // room for 4 bytes a cell, and 4
        Put(bytes, c.Chain + 3, c.Cells, 1);
        Put(bytes, c.Chain + 0xE8, quint32(offset), 2);
        Put(bytes, c.Chain + 0xEA, quint32(offset), 2); // the cell positions (4 bytes a cell) fit
        EXPECT_EQ(Check(bytes, c.VideoManager), "the cell table of a program chain lies past the end of the file");
        Put(bytes, c.Chain + 0xE8, quint32(offset - 20 * c.Cells), 2); // now the 24 bytes a cell fit
        EXPECT_EQ(Check(bytes, c.VideoManager), "");
    }
}
