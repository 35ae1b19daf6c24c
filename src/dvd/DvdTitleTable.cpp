#include "DvdTitleTable.h"

#include "LibraryChild.h"

#include <QFile>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>

namespace {

// Records of the stream: a code, then its numbers.
enum : int32_t {
    kOpened = 1,  // 0 or 1
    kReading = 2, // title-set number, 0 for the menu; a crash before the next kRead names this file
    kRead = 3,    // title-set number, 0 or 1
    kTitles = 4,  // count, then per title: title-set number, angles, title number within the set
    kChains = 5,  // title-set number, count, then per title of the set: title index, chain number
    kLog = 6,     // length, then one character per number: the library's last error message
    kEnd = 7,
};

struct TLog {
    char Text[512] = "";
};

void Log(void* self, dvd_logger_level_t level, const char* format, va_list args) {
    if (level == DVD_LOGGER_LEVEL_ERROR)
        std::vsnprintf(static_cast<TLog*>(self)->Text, sizeof TLog::Text, format, args);
}

class TWriter {
public:
    explicit TWriter(const std::function<void(const int32_t*, size_t)>& sink) : FSink(sink) {}
    void Put(std::initializer_list<int32_t> values) { FSink(values.begin(), values.size()); }
    void PutLog(const TLog& log) {
        const size_t length = std::strlen(log.Text);
        std::vector<int32_t> values{kLog, int32_t(length)};
        for (size_t i = 0; i < length; ++i)
            values.push_back(uint8_t(log.Text[i]));
        FSink(values.data(), values.size());
    }

private:
    const std::function<void(const int32_t*, size_t)>& FSink;
};

struct TTitleEntry {
    int Set, Angles, Number;
};

int ChainOf(const ifo_handle_t* vts, int number) {
    if (!vts || !vts->vts_ptt_srpt || number < 1 || number > vts->vts_ptt_srpt->nr_of_srpts)
        return 0;
    const ttu_t& ttu = vts->vts_ptt_srpt->title[number - 1];
    return ttu.nr_of_ptts >= 1 && ttu.ptt ? ttu.ptt[0].pgcn : 0;
}

// Reads the stream into the table; returns the set whose read was under way when it ended, -1 if none.
int Parse(const std::vector<int32_t>& s, TDvdTitleTable& table, bool& opened, bool& menuRead, bool& complete,
          QString& log) {
    int reading = -1;
    size_t i = 0;
    const auto next = [&]() -> int32_t { return i < s.size() ? s[i++] : 0; };
    while (i < s.size()) {
        switch (next()) {
        case kOpened:
            opened = next() != 0;
            break;
        case kReading:
            reading = next();
            break;
        case kRead: {
            const int32_t set = next();
            const bool read = next() != 0;
            if (set == 0)
                menuRead = read;
            reading = -1;
            break;
        }
        case kTitles: {
            const int32_t count = next();
            for (int32_t t = 0; t < count && i < s.size(); ++t) {
                TDvdTitle title;
                title.TitleSet = next();
                title.Angles = next();
                next();
                table.Titles.push_back(title);
            }
            break;
        }
        case kChains: {
            next();
            const int32_t count = next();
            for (int32_t t = 0; t < count && i < s.size(); ++t) {
                const int32_t index = next();
                const int32_t chain = next();
                if (index >= 0 && size_t(index) < table.Titles.size())
                    table.Titles[size_t(index)].Chain = chain;
            }
            break;
        }
        case kLog: {
            const int32_t length = next();
            log.clear();
            for (int32_t c = 0; c < length && i < s.size(); ++c)
                log += QChar(char16_t(uint8_t(next())));
            log = log.trimmed();
            break;
        }
        case kEnd:
            complete = true;
            break;
        default:
            return reading;
        }
    }
    return reading;
}

TDvdTitleTable Interpret(const std::vector<int32_t>& stream, const std::function<QString(int)>& files,
                         const QString& fault) {
    TDvdTitleTable table;
    bool opened = false, menuRead = false, complete = false;
    QString log;
    const int reading = Parse(stream, table, opened, menuRead, complete, log);
    const QString detail = log.isEmpty() ? QString() : " (" + log + ")";
    if (complete && menuRead && fault.isEmpty())
        return table;
    if (reading >= 0)
        table.Error = files(reading) + ": " +
                      (fault.isEmpty() ? QStringLiteral("the DVD library stopped reading it") : fault) +
                      detail;
    else if (!fault.isEmpty())
        table.Error = files(0) + ": " + fault;
    else if (!opened)
        table.Error = files(0) + ": the DVD library cannot open the disc" + detail;
    else if (!menuRead)
        table.Error = files(0) + ": the DVD library cannot read its title table" + detail;
    else
        table.Error = files(0) + ": the DVD library stopped reading the disc";
    table.Titles.clear();
    return table;
}

} // namespace

void WriteDvdTitleTable(const char* folder, const std::function<void(const int32_t*, size_t)>& sink) {
    TWriter out(sink);
    TLog log;
    // DVDOpen2 with a logger keeps the library from printing on standard output.
    dvd_logger_cb logger = {&Log};
    dvd_reader_t* dvd = DVDOpen2(&log, &logger, folder);
    out.Put({kOpened, dvd ? 1 : 0});
    if (!dvd) {
        out.PutLog(log);
        return;
    }
    log.Text[0] = '\0'; // opening a folder logs that it has no device: not a problem of the files
    out.Put({kReading, 0});
    ifo_handle_t* vmg = ifoOpen(dvd, 0);
    out.Put({kRead, 0, vmg && vmg->tt_srpt ? 1 : 0});
    std::vector<TTitleEntry> titles;
    if (vmg && vmg->tt_srpt)
        for (int i = 0; i < vmg->tt_srpt->nr_of_srpts; ++i) {
            const title_info_t& t = vmg->tt_srpt->title[i];
            titles.push_back({t.title_set_nr, t.nr_of_angles, t.vts_ttn});
        }
    else
        out.PutLog(log);
    out.Put({kTitles, int32_t(titles.size())});
    for (const TTitleEntry& t : titles)
        out.Put({t.Set, t.Angles, t.Number});

    std::map<int, std::vector<int>> bySet;
    for (size_t i = 0; i < titles.size(); ++i)
        if (titles[i].Set > 0)
            bySet[titles[i].Set].push_back(int(i));
    for (const auto& [set, indexes] : bySet) {
        out.Put({kReading, set});
        ifo_handle_t* vts = ifoOpen(dvd, set);
        out.Put({kRead, set, vts ? 1 : 0});
        out.Put({kChains, set, int32_t(indexes.size())});
        for (int index : indexes)
            out.Put({index, ChainOf(vts, titles[size_t(index)].Number)});
        if (vts)
            ifoClose(vts);
    }
    if (vmg)
        ifoClose(vmg);
    DVDClose(dvd);
    out.Put({kEnd});
}

TDvdTitleTable ReadDvdTitleTableHere(const QString& folder, const std::function<QString(int)>& files) {
    std::vector<int32_t> stream;
    WriteDvdTitleTable(QFile::encodeName(folder).constData(), [&stream](const int32_t* values, size_t count) {
        stream.insert(stream.end(), values, values + count);
    });
    return Interpret(stream, files, {});
}

TDvdTitleTable ReadDvdTitleTable(const QString& folder, const std::function<QString(int)>& files,
                                 int timeoutMs, TDvdTableWriter writer) {
    const QByteArray path = QFile::encodeName(folder);
    const TChildOutput out = RunInLibraryChild(
        [&](int fd) {
            writer(path.constData(), [fd](const int32_t* values, size_t count) {
                WriteFromChild(fd, values, count * sizeof(int32_t));
            });
        },
        timeoutMs);
    std::vector<int32_t> stream(size_t(out.Bytes.size()) / sizeof(int32_t));
    std::memcpy(stream.data(), out.Bytes.constData(), stream.size() * sizeof(int32_t));
    return Interpret(stream, files, out.Fault);
}
