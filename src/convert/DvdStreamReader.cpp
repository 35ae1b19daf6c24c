#include "DvdStreamReader.h"
#include "dvd/DiscImage.h"

#include "convert/ProgramStreamPacks.h"
#include "convert/TitleOutline.h"
#include "dvd/InfoFileCheck.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
#include <dvdread/nav_read.h>
#include <dvdread/nav_types.h>

struct TDvdStreamReader::TLibrary {
    dvd_reader_t* Dvd = nullptr;
    ifo_handle_t* Vmg = nullptr;
    ifo_handle_t* Vts = nullptr;
    dvd_file_t* Vobs = nullptr;
    QString LastLog;

    ~TLibrary() {
        if (Vobs)
            DVDCloseFile(Vobs);
        if (Vts)
            ifoClose(Vts);
        if (Vmg)
            ifoClose(Vmg);
        if (Dvd)
            DVDClose(Dvd);
    }

    // The library's errors are kept for the message; nothing reaches standard output.
    static void Log(void* self, dvd_logger_level_t level, const char* format, va_list args) {
        if (level != DVD_LOGGER_LEVEL_ERROR)
            return;
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        static_cast<TLibrary*>(self)->LastLog = QString::fromLocal8Bit(text).trimmed();
    }
};

namespace {

constexpr int kSector = TDvdStreamReader::kSectorBytes;

} // namespace

TDvdStreamReader::TDvdStreamReader() = default;

TDvdStreamReader::~TDvdStreamReader() {
    Close();
}

void TDvdStreamReader::Close() {
    FLib.reset();
    FPrefix.clear();
    FFirstPicturePts = -1;
    FCells.clear();
    FCell = 0;
    FRunLeft = 0;
}

bool TDvdStreamReader::Fail(const QString& text) {
    FError = text;
    if (FLib && !FLib->LastLog.isEmpty())
        FError += " (" + FLib->LastLog + ")";
    Close();
    return false;
}

bool TDvdStreamReader::Open(const QString& discPath, int title, int angle, double startSeconds,
                            double endSeconds) {
    Close();
    FError.clear();
    FBytesRead = 0;
    FOffsetSeconds = 0;
    FAudioIds.clear();
    FSubtitleIds.clear();
    QString folder = discPath;
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    FWhere = QStringLiteral("%1, title %2").arg(folder).arg(title);
    // An image (a regular file) is opened by the library itself.
    if (!IsDiscImagePath(folder)) {
        // Opening a FIFO would block for ever: only a folder with a regular VIDEO_TS.IFO is handed on.
        const QFileInfo ifo(folder + "/VIDEO_TS.IFO"), bup(folder + "/VIDEO_TS.BUP");
        if (!ifo.isFile() && !bup.isFile())
            return Fail(folder + ": no VIDEO_TS.IFO here");
        // The library opens the information and video files it looks for, and opening a FIFO blocks too.
        for (const QString& name :
             QDir(folder).entryList({"*.IFO", "*.BUP", "*.VOB"},
                                    QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
            const QString problem = NonRegularFileProblem(folder + "/" + name);
            if (!problem.isEmpty() && QFileInfo::exists(folder + "/" + name))
                return Fail(folder + "/" + name + ": " + problem);
        }
    }

    FLib = std::make_unique<TLibrary>();
    static const dvd_logger_cb logger = {&TLibrary::Log};
    FLib->Dvd = DVDOpen2(FLib.get(), &logger, folder.toLocal8Bit().constData());
    if (!FLib->Dvd)
        return Fail(folder + ": the DVD library cannot open it");
    FLib->Vmg = ifoOpen(FLib->Dvd, 0);
    const ifo_handle_t* vmg = FLib->Vmg;
    if (!vmg || !vmg->tt_srpt)
        return Fail(folder + ": the title table of VIDEO_TS.IFO cannot be read");
    if (title < 1 || title > vmg->tt_srpt->nr_of_srpts)
        return Fail(FWhere + ": the disc has no such title");
    const title_info_t& info = vmg->tt_srpt->title[title - 1];
    FAngleCount = std::max<int>(1, info.nr_of_angles);
    FLib->Vts = ifoOpen(FLib->Dvd, info.title_set_nr);
    const ifo_handle_t* vts = FLib->Vts;
    if (!vts || !vts->vtsi_mat || !vts->vts_ptt_srpt || !vts->vts_pgcit)
        return Fail(
            FWhere +
            QStringLiteral(": the information file of title set %1 cannot be read").arg(info.title_set_nr));
    if (info.vts_ttn < 1 || info.vts_ttn > vts->vts_ptt_srpt->nr_of_srpts)
        return Fail(FWhere + ": the title set does not list the title");
    const ttu_t& ttu = vts->vts_ptt_srpt->title[info.vts_ttn - 1];
    if (ttu.nr_of_ptts < 1 || !ttu.ptt || ttu.ptt[0].pgcn < 1 ||
        ttu.ptt[0].pgcn > vts->vts_pgcit->nr_of_pgci_srp)
        return Fail(FWhere + ": the title's program chain is missing");
    const pgc_t* pgc = vts->vts_pgcit->pgci_srp[ttu.ptt[0].pgcn - 1].pgc;
    if (!pgc || !pgc->cell_playback || pgc->nr_of_cells == 0)
        return Fail(FWhere + ": the title's program chain has no cells");

    FAspect = vts->vtsi_mat->vts_video_attr.display_aspect_ratio == 3 ? "16:9" : "4:3";
    FOutline = ReadTitleOutline(*vts, *pgc, angle);
    for (const TListedStream& audio : FOutline.Audio)
        FAudioIds.push_back(audio.Id);
    for (const TListedStream& subtitle : FOutline.Subtitles)
        FSubtitleIds.push_back(subtitle.Id);
    FPalette = FOutline.Palette;

    // The chosen angle's cells with their times; an angle block counts once, by its chosen cell.
    std::vector<TCell> cells;
    double at = 0;
    for (int i = 0; i < pgc->nr_of_cells;) {
        int chosen = i, next = i + 1;
        const cell_playback_t& first = pgc->cell_playback[i];
        if (first.block_type == BLOCK_TYPE_ANGLE_BLOCK && first.block_mode == BLOCK_MODE_FIRST_CELL) {
            int last = i;
            while (last + 1 < pgc->nr_of_cells && pgc->cell_playback[last].block_mode != BLOCK_MODE_LAST_CELL)
                ++last;
            chosen = std::min(i + std::max(angle, 0), last);
            next = last + 1;
        }
        const cell_playback_t& c = pgc->cell_playback[chosen];
        const double length = PlaybackSeconds(c.playback_time);
        // A cell that ends before it starts has no sectors to give: inside the range its time would be lost.
        if (c.last_sector < c.first_sector && at + length > startSeconds &&
            (endSeconds <= 0 || at < endSeconds))
            return Fail(FWhere +
                        QStringLiteral(": cell %1 in VTS_%2_0.IFO ends at sector %3, before its start %4")
                            .arg(chosen + 1)
                            .arg(info.title_set_nr, 2, 10, QChar('0'))
                            .arg(c.last_sector)
                            .arg(c.first_sector));
        if (c.last_sector >= c.first_sector)
            cells.push_back({c.first_sector, c.last_sector, at, at + length});
        at += length;
        i = next;
    }
    if (cells.empty())
        return Fail(FWhere + ": the title's cells are empty");
    size_t from = 0, to = cells.size() - 1;
    while (from + 1 < cells.size() && cells[from + 1].Start <= startSeconds)
        ++from;
    if (endSeconds > 0)
        while (to > from && cells[to].Start >= endSeconds)
            --to;
    FCells.assign(cells.begin() + qsizetype(from), cells.begin() + qsizetype(to) + 1);
    FOffsetSeconds = std::max(0.0, startSeconds - FCells.front().Start);

    FLib->Vobs = DVDOpenFile(FLib->Dvd, info.title_set_nr, DVD_READ_TITLE_VOBS);
    if (!FLib->Vobs)
        return Fail(
            FWhere +
            QStringLiteral(": the video files of title set %1 cannot be opened").arg(info.title_set_nr));
    FCell = 0;
    FPack = FCells.front().First;
    FRunLeft = 0;
    FIntoCellSeconds = FOffsetSeconds;
    FOffsetSeconds += LeadSeconds();
    ScanStreamIds();
    return true;
}

// FFmpeg's time 0 is the earliest timestamp of the stream, and the audio packets that open a cell can be
// stamped before its first picture: how far the cell's first picture lies behind that time.
double TDvdStreamReader::LeadSeconds(bool videoAlone) {
    const TCell& cell = FCells.front();
    const int count = int(std::min<uint32_t>(cell.Last - cell.First + 1, 512));
    std::vector<unsigned char> packs(size_t(count) * kSector);
    if (DVDReadBlocks(FLib->Vobs, int(cell.First), size_t(count), packs.data()) != count)
        return 0;
    int64_t earliest = -1, video = -1;
    if (!FirstTimestamps(packs.data(), count, earliest, video))
        return 0;
    int64_t start = video;
    if (IsNavPack(packs.data())) {
        pci_t pci;
        navRead_PCI(&pci, packs.data() + 0x2d);
        start = pci.pci_gi.vobu_s_ptm;
    }
    FFirstPicturePts = start;
    FFirstPackHeader = QByteArray(reinterpret_cast<const char*>(packs.data()), 14);
    if (videoAlone) // FFmpeg times a stream it takes only the video of from that video's first packet
        return start >= 0 && video >= 0 && std::abs(start - video) < 5 * 90000 ? double(start - video) / 90000 : 0;
    const double lead = double(start - earliest) / 90000;
    return start >= 0 && lead > 0 && lead < 5 ? lead : 0;
}

// The streams in the first cell's opening packs, about as much as FFmpeg looks at before it settles on
// the streams it found.
void TDvdStreamReader::ScanStreamIds() {
    FSeenIds.clear();
    const TCell& cell = FCells.front();
    const int count = int(std::min<uint32_t>(cell.Last - cell.First + 1, 2048));
    std::vector<unsigned char> packs(size_t(count) * kSector);
    if (DVDReadBlocks(FLib->Vobs, int(cell.First), size_t(count), packs.data()) == count)
        FSeenIds = StreamIdsIn(packs.data(), count);
}

int TDvdStreamReader::AudioStreamId(int audioIndex) const {
    return audioIndex >= 0 && size_t(audioIndex) < FAudioIds.size() ? FAudioIds[size_t(audioIndex)] : -1;
}

int TDvdStreamReader::SubtitleStreamId(int subtitleChoice) const {
    return subtitleChoice >= 1 && size_t(subtitleChoice) <= FSubtitleIds.size()
               ? FSubtitleIds[size_t(subtitleChoice - 1)]
               : -1;
}

std::array<uint32_t, 16> TDvdStreamReader::Palette() const {
    return FPalette;
}

// Finds the next stretch of sectors to pass on: one VOBU where the cell starts with a navigation pack
// (its search information leads to the next VOBU of the same angle), the rest of the cell otherwise.
bool TDvdStreamReader::NextRun() {
    unsigned char nav[kSector];
    while (FCell < FCells.size()) {
        const TCell& cell = FCells[FCell];
        if (FPack > cell.Last || FPack < cell.First) {
            if (++FCell < FCells.size())
                FPack = FCells[FCell].First;
            continue;
        }
        if (DVDReadBlocks(FLib->Vobs, int(FPack), 1, nav) != 1) {
            FError = FWhere + QStringLiteral(": sector %1 cannot be read").arg(FPack);
            return false;
        }
        uint32_t length = cell.Last - FPack + 1;
        uint32_t next = cell.Last + 1;
        if (IsNavPack(nav)) {
            dsi_t dsi;
            navRead_DSI(&dsi, nav + DSI_START_BYTE);
            if (dsi.dsi_gi.vobu_ea > 0 && dsi.dsi_gi.vobu_ea < length) {
                length = dsi.dsi_gi.vobu_ea + 1;
                const uint32_t step = dsi.vobu_sri.next_vobu & 0x3fffffff;
                next = step != SRI_END_OF_CELL && step > 0 ? FPack + step : FPack + length;
            }
        }
        FRunStart = FPack;
        FRunLeft = length;
        FPack = next;
        return true;
    }
    return false;
}

void TDvdStreamReader::AnnounceSubPicture(int streamId) {
    AnnounceSubPictures({streamId});
}

void TDvdStreamReader::AnnounceSubPictures(const std::vector<int>& streamIds) {
    FPrefix.clear();
    for (int streamId : streamIds)
        if (streamId >= 0x20 && streamId <= 0x3f && FFirstPicturePts >= 0)
            FPrefix += BlankSubPicturePack(FFirstPackHeader, streamId, FFirstPicturePts);
}

qint64 TDvdStreamReader::Read(char* data, qint64 maxBytes) {
    if (!FPrefix.isEmpty() && maxBytes >= FPrefix.size()) {
        const qint64 size = FPrefix.size();
        std::memcpy(data, FPrefix.constData(), size_t(size));
        FPrefix.clear();
        FBytesRead += size;
        return size;
    }
    if (!FLib || !FLib->Vobs)
        return FError.isEmpty() ? 0 : -1;
    while (FRunLeft == 0)
        if (!NextRun())
            return FError.isEmpty() ? 0 : -1;
    const uint32_t count = std::min<uint32_t>(FRunLeft, uint32_t(std::max<qint64>(1, maxBytes / kSector)));
    const ssize_t got =
        DVDReadBlocks(FLib->Vobs, int(FRunStart), count, reinterpret_cast<unsigned char*>(data));
    if (got <= 0) {
        FError = FWhere + QStringLiteral(": sector %1 cannot be read").arg(FRunStart);
        return -1;
    }
    FRunStart += uint32_t(got);
    FRunLeft -= uint32_t(got);
    FBytesRead += got * kSector;
    return got * kSector;
}

bool TDvdStreamReader::WriteAll(int fd, const std::atomic<bool>& stop) {
    // A closed pipe must end the writing, not the program: SIGPIPE is held back in this thread and a
    // pending one taken away before the mask is restored.
    sigset_t pipeSignal, before;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
    std::vector<char> buffer(256 * kSector);
    bool ok = true, open = true;
    while (ok && open && !stop) {
        const qint64 got = Read(buffer.data(), qint64(buffer.size()));
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (qint64 done = 0; done < got && open;) {
            const ssize_t wrote = ::write(fd, buffer.data() + done, size_t(got - done));
            if (wrote >= 0) {
                done += wrote;
            } else if (errno == EAGAIN) { // a pipe that does not block: wait for room, looking at stop
                pollfd room{fd, POLLOUT, 0};
                ::poll(&room, 1, 100);
                open = !stop;
            } else if (errno == EPIPE) { // the encoder has all it wants
                open = false;
            } else if (errno != EINTR) {
                FError = FWhere + ": writing the stream failed: " + qt_error_string(errno);
                ok = false;
                open = false;
            }
        }
    }
    const timespec zero{};
    while (sigtimedwait(&pipeSignal, nullptr, &zero) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return ok;
}

bool TDvdStreamReader::VobuStarts(std::vector<TVobuStart>& vobus) {
    vobus.clear();
    if (!FLib || !FLib->Vobs)
        return false;
    unsigned char nav[kSector];
    for (size_t c = 0; c < FCells.size(); ++c) {
        const TCell& cell = FCells[c];
        for (uint32_t sector = cell.First; sector <= cell.Last;) {
            if (DVDReadBlocks(FLib->Vobs, int(sector), 1, nav) != 1)
                return Fail(FWhere + QStringLiteral(": sector %1 cannot be read").arg(sector));
            if (!IsNavPack(nav))
                break;
            dsi_t dsi;
            navRead_DSI(&dsi, nav + DSI_START_BYTE);
            vobus.push_back({sector, cell.Start + PlaybackSeconds(dsi.dsi_gi.c_eltm), int(c)});
            const uint32_t step = dsi.vobu_sri.next_vobu & 0x3fffffff;
            if (step != SRI_END_OF_CELL && step > 0)
                sector += step;
            else if (dsi.dsi_gi.vobu_ea > 0)
                sector += dsi.dsi_gi.vobu_ea + 1;
            else
                break;
        }
    }
    return true;
}

double TDvdStreamReader::VideoAloneOffsetSeconds() {
    return FIntoCellSeconds + LeadSeconds(true);
}

bool TDvdStreamReader::StartAtVobu(const TVobuStart& vobu) {
    if (!FLib || !FLib->Vobs || vobu.Cell < 0 || size_t(vobu.Cell) >= FCells.size() ||
        vobu.Sector < FCells[size_t(vobu.Cell)].First || vobu.Sector > FCells[size_t(vobu.Cell)].Last)
        return false;
    FCells.erase(FCells.begin(), FCells.begin() + vobu.Cell);
    FCells.front().First = vobu.Sector;
    FCells.front().Start = vobu.Seconds;
    FCell = 0;
    FPack = vobu.Sector;
    FRunLeft = 0;
    FPrefix.clear();
    FOffsetSeconds = LeadSeconds(true);
    return true;
}
