#include "InfoFileCheck.h"

#include <QFile>
#include <QIODevice>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr qint64 kSector = 2048;
constexpr qint64 kChainSize = 236; // the fixed part of a program chain

// A failed check carries its problem text up to the caller.
struct TProblem {
    QString Text;
};

// Big-endian reads at absolute offsets; reading past the end of the file is a problem, never a crash.
class TBoundedReader {
public:
    explicit TBoundedReader(QIODevice& device) : FDevice(device), FSize(device.size()) {}

    qint64 Size() const { return FSize; }

    uint32_t Read(qint64 pos, int count, const char* what) {
        Need(pos, count, what);
        uint8_t bytes[4];
        if (!FDevice.seek(pos) || FDevice.read(reinterpret_cast<char*>(bytes), count) != count)
            throw TProblem{QStringLiteral("%1 cannot be read").arg(QLatin1String(what))};
        uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | bytes[i];
        return value;
    }

    // The bytes [pos, pos + count) lie inside the file.
    void Need(qint64 pos, qint64 count, const char* what) const {
        if (pos < 0 || count < 0 || pos + count > FSize)
            throw TProblem{QStringLiteral("%1 lies past the end of the file").arg(QLatin1String(what))};
    }

    bool HasIdentifier(const char* identifier) {
        char text[12];
        return FSize >= 12 && FDevice.seek(0) && FDevice.read(text, 12) == 12 &&
               std::memcmp(text, identifier, 12) == 0;
    }

private:
    QIODevice& FDevice;
    qint64 FSize;
};

// A table that starts with a count (or two) and the offset of its last byte, relative to its start.
// Returns the table's length in bytes; start 0 (the table is absent) gives 0.
qint64 CheckTable(TBoundedReader& in, qint64 start, qint64 lastByteAt, qint64 headerSize, const char* what) {
    if (start == 0)
        return 0;
    in.Need(start, headerSize, what);
    const qint64 length = qint64(in.Read(start + lastByteAt, 4, what)) + 1;
    if (length < headerSize)
        throw TProblem{QStringLiteral("%1 is shorter than its header").arg(QLatin1String(what))};
    in.Need(start, length, what);
    return length;
}

// Entries of a fixed size after a header must fit in the table's length.
void CheckEntries(qint64 count, qint64 entrySize, qint64 headerSize, qint64 length, const char* what) {
    if (headerSize + count * entrySize > length)
        throw TProblem{QStringLiteral("%1 holds more entries than fit in it").arg(QLatin1String(what))};
}

// One program chain at an absolute position: its fixed part and the four lists its offsets point at.
void CheckChain(TBoundedReader& in, qint64 at) {
    const char* what = "a program chain";
    in.Need(at, kChainSize, what);
    const qint64 programs = in.Read(at + 2, 1, what);
    const qint64 cells = in.Read(at + 3, 1, what);
    const qint64 commands = in.Read(at + 0xE4, 2, what);
    const qint64 programMap = in.Read(at + 0xE6, 2, what);
    const qint64 cellPlayback = in.Read(at + 0xE8, 2, what);
    const qint64 cellPosition = in.Read(at + 0xEA, 2, what);
    if (commands != 0) {
        const char* table = "the command table of a program chain";
        in.Need(at + commands, 8, table);
        const qint64 count = qint64(in.Read(at + commands, 2, table)) + in.Read(at + commands + 2, 2, table) +
                             in.Read(at + commands + 4, 2, table);
        const qint64 length = qint64(in.Read(at + commands + 6, 2, table)) + 1;
        CheckEntries(count, 8, 8, length, table);
        in.Need(at + commands, length, table);
    }
    if (programs != 0)
        in.Need(at + programMap, programs, "the program map of a program chain");
    if (cells != 0) {
        in.Need(at + cellPlayback, cells * 24, "the cell table of a program chain");
        in.Need(at + cellPosition, cells * 4, "the cell positions of a program chain");
    }
}

// A table that starts with a 2-byte entry count and the offset of its last byte, then entries of a fixed
// size, each holding the offset of a record inside the table. An absent table (start 0) has no entries.
class TEntryTable {
public:
    TEntryTable(TBoundedReader& in, qint64 start, qint64 entrySize, const char* what)
        : FIn(in), FStart(start), FEntrySize(entrySize), FWhat(what) {
        FLength = CheckTable(in, start, 4, 8, what);
        if (FLength == 0)
            return;
        FCount = in.Read(start, 2, what);
        CheckEntries(FCount, entrySize, 8, FLength, what);
    }

    qint64 Length() const { return FLength; }
    qint64 Count() const { return FCount; }

    // The offset held `at` bytes into entry i (`bytes` wide); the record [offset, offset + minSize) must
    // lie inside the table and start no earlier than `from`.
    qint64 Offset(qint64 i, qint64 at, int bytes, qint64 from, qint64 minSize) const {
        const qint64 offset = FIn.Read(FStart + 8 + FEntrySize * i + at, bytes, FWhat);
        if (offset < from || offset + minSize > FLength)
            throw TProblem{QStringLiteral("%1 points past its end").arg(QLatin1String(FWhat))};
        return offset;
    }

private:
    TBoundedReader& FIn;
    qint64 FStart;
    qint64 FEntrySize;
    const char* FWhat;
    qint64 FLength = 0;
    qint64 FCount = 0;
};

// A program chain information table: search pointers, each to a chain inside the table.
void CheckChainTable(TBoundedReader& in, qint64 start, const char* what) {
    const TEntryTable table(in, start, 8, what);
    for (qint64 i = 0; i < table.Count(); ++i)
        CheckChain(in, start + table.Offset(i, 4, 4, 0, kChainSize));
}

// Menus: one chain table per language unit.
void CheckMenuTable(TBoundedReader& in, qint64 start) {
    const TEntryTable table(in, start, 8, "the menu table");
    for (qint64 i = 0; i < table.Count(); ++i)
        CheckChainTable(in, start + table.Offset(i, 4, 4, 8, 8), "a menu language unit");
}

// A table of 4-byte offsets, each to a record of at least minSize bytes inside the table.
TEntryTable CheckOffsetTable(TBoundedReader& in, qint64 start, qint64 minSize, const char* what) {
    TEntryTable table(in, start, 4, what);
    for (qint64 i = 0; i < table.Count(); ++i)
        table.Offset(i, 0, 4, 8 + 4 * table.Count(), minSize);
    return table;
}

void CheckTimeMaps(TBoundedReader& in, qint64 start) {
    const char* what = "the time map table";
    const TEntryTable table = CheckOffsetTable(in, start, 4, what);
    for (qint64 i = 0; i < table.Count(); ++i) {
        const qint64 offset = table.Offset(i, 0, 4, 0, 0);
        const qint64 entries = in.Read(start + offset + 2, 2, what);
        if (offset + 4 + 4 * entries > table.Length())
            throw TProblem{QStringLiteral("a time map runs past its table")};
    }
}

void CheckParentalTable(TBoundedReader& in, qint64 start) {
    const char* what = "the parental table";
    const TEntryTable table(in, start, 8, what);
    if (table.Count() == 0)
        return;
    const qint64 titleSets = in.Read(start + 2, 2, what);
    for (qint64 i = 0; i < table.Count(); ++i)
        table.Offset(i, 4, 2, 0, 8 * (titleSets + 1) * 2);
}

// Sector numbers in the header; a table at sector 0 is absent.
qint64 TableAt(TBoundedReader& in, qint64 field) {
    return qint64(in.Read(field, 4, "the file header")) * kSector;
}

void CheckVideoManager(TBoundedReader& in) {
    if (!in.HasIdentifier("DVDVIDEO-VMG"))
        throw TProblem{QStringLiteral("not a DVD video-manager information file")};
    in.Need(0, 0x100, "the file header");

    const qint64 titles = TableAt(in, 0xC4);
    if (titles == 0)
        throw TProblem{QStringLiteral("the file has no title table")};
    const char* what = "the title table";
    const qint64 length = CheckTable(in, titles, 4, 8, what);
    CheckEntries(in.Read(titles, 2, what), 12, 8, length, what);

    const qint64 firstPlay = in.Read(0x84, 4, "the file header");
    if (firstPlay != 0)
        CheckChain(in, firstPlay);
    CheckMenuTable(in, TableAt(in, 0xC8));
    CheckParentalTable(in, TableAt(in, 0xCC));
    CheckOffsetTable(in, TableAt(in, 0xD0), 356, "the title-set attribute table");
    CheckTable(in, TableAt(in, 0xD4), 16, 20, "the text table");
    CheckTable(in, TableAt(in, 0xD8), 4, 8, "the menu cell table");
    CheckTable(in, TableAt(in, 0xDC), 0, 4, "the menu address map");
}

void CheckTitleSet(TBoundedReader& in) {
    if (!in.HasIdentifier("DVDVIDEO-VTS"))
        throw TProblem{QStringLiteral("not a DVD title-set information file")};
    in.Need(0, 0x400, "the file header");

    // Without a part-of-title table the library reads no chain for the set's titles, which is no hazard.
    CheckOffsetTable(in, TableAt(in, 0xC8), 4, "the part-of-title table");
    CheckChainTable(in, TableAt(in, 0xCC), "the program chain table");
    CheckMenuTable(in, TableAt(in, 0xD0));
    CheckTimeMaps(in, TableAt(in, 0xD4));
    CheckTable(in, TableAt(in, 0xD8), 4, 8, "the menu cell table");
    CheckTable(in, TableAt(in, 0xDC), 0, 4, "the menu address map");
    CheckTable(in, TableAt(in, 0xE0), 4, 8, "the cell table");
    CheckTable(in, TableAt(in, 0xE4), 0, 4, "the address map");
}

template <typename Check> QString Run(QIODevice& device, Check check) {
    TBoundedReader in(device);
    try {
        check(in);
    } catch (const TProblem& problem) {
        return problem.Text;
    }
    return {};
}

} // namespace

QString NonRegularFileProblem(const QString& path) {
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("cannot open the file: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISREG(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("not a regular file (a folder)");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("not a regular file (a FIFO)");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("not a regular file (a device)");
    return QStringLiteral("not a regular file");
}

QString CheckVideoManagerFile(QIODevice& device) {
    return Run(device, CheckVideoManager);
}

QString CheckTitleSetFile(QIODevice& device) {
    return Run(device, CheckTitleSet);
}
