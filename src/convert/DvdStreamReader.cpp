#include "DvdStreamReader.h"
#include "dvd/DiscSource.h"

#include "convert/ProgramStreamPacks.h"
#include "convert/TitleOutline.h"
#include "dvd/InfoFileCheck.h"
#include "dvd/ScrambledPacks.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
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
    bool NoDecryption = false; // said at the opening: the library cannot decrypt

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
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        if (SaysNoDecryption(text))
            static_cast<TLibrary*>(self)->NoDecryption = true;
        if (level != DVD_LOGGER_LEVEL_ERROR)
            return;
        static_cast<TLibrary*>(self)->LastLog = QString::fromLocal8Bit(text).trimmed();
    }
};

namespace {

constexpr int kSector = TDvdStreamReader::kSectorBytes;
// How much of the cells after the range is read: the sound of a picture is stored up to about half a
// second behind it.
constexpr int64_t kTailTicks = 90000 * 3 / 2;
// Two VOBUs within a frame of each other continue one timeline.
constexpr int64_t kFrameTicks = 90000 / 25;

// The presentation control information of a navigation pack, which lies 0x2d bytes into it.
pci_t ReadPci(unsigned char* nav) {
    pci_t pci;
    navRead_PCI(&pci, nav + 0x2d);
    return pci;
}

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
    FRangeCells = 0;
    FCell = 0;
    FRunLeft = 0;
    FLastEndPtm = -1;
    FTailLeft = 0;
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
    FScrambled = false;
    FAudioIds.clear();
    FSubtitleIds.clear();
    QString folder = discPath;
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    QString shown = FShownName.isEmpty() ? folder : FShownName;
    while (shown.size() > 1 && shown.endsWith('/'))
        shown.chop(1);
    FWhere = QStringLiteral("%1, title %2").arg(shown).arg(title);
    // An image (a regular file) is opened by the library itself.
    if (!IsDiscFile(folder)) {
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
        return Fail(shown + ": the DVD library cannot open it");
    FLib->Vmg = ifoOpen(FLib->Dvd, 0);
    const ifo_handle_t* vmg = FLib->Vmg;
    if (!vmg || !vmg->tt_srpt)
        return Fail(shown + ": the title table of VIDEO_TS.IFO cannot be read");
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
    FFrameSeconds = vts->vtsi_mat->vts_video_attr.video_format == 1 ? 1.0 / 25 : 1001.0 / 30000;
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
    FRangeCells = FCells.size();
    if (endSeconds > 0)
        FCells.insert(FCells.end(), cells.begin() + qsizetype(to) + 1, cells.end());
    FTailLeft = kTailTicks;
    FLastEndPtm = -1;
    FOffsetSeconds = std::max(0.0, startSeconds - FCells.front().Start);
    FStartSeconds = std::max(startSeconds, FCells.front().Start);

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
    // Scrambled packs would reach the encoder as garbage: such a range is refused here, before any encoder.
    if (FScrambled) {
        FLib->LastLog.clear();
        return Fail(EncryptedTitleText(FWhere, FLib->NoDecryption));
    }
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
    if (IsNavPack(packs.data()))
        start = ReadPci(packs.data()).pci_gi.vobu_s_ptm;
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
    FScrambled = false;
    if (DVDReadBlocks(FLib->Vobs, int(cell.First), size_t(count), packs.data()) == count) {
        FSeenIds = StreamIdsIn(packs.data(), count);
        FScrambled = ScrambledPackCount(packs.data(), count) > 0;
    }
}

bool TDvdStreamReader::VobuBefore(uint32_t& sector, double& leadSeconds) const {
    if (!FLib || !FLib->Vobs || FCells.empty())
        return false;
    const TCell& cell = FCells.front();
    const double into = FStartSeconds - cell.Start;
    unsigned char pack[kSector];
    int64_t first = -1;
    bool found = false;
    for (uint32_t at = cell.First; at >= cell.First && at <= cell.Last;) {
        if (DVDReadBlocks(FLib->Vobs, int(at), 1, pack) != 1 || !IsNavPack(pack))
            break;
        const pci_t pci = ReadPci(pack);
        dsi_t dsi;
        navRead_DSI(&dsi, pack + DSI_START_BYTE);
        if (first < 0)
            first = pci.pci_gi.vobu_s_ptm;
        const double from = double(int64_t(pci.pci_gi.vobu_s_ptm) - first) / 90000;
        if (from > into + 0.001)
            break;
        sector = at;
        leadSeconds = std::max(0.0, into - from);
        found = true;
        const uint32_t step = dsi.vobu_sri.next_vobu & 0x3fffffff;
        if (step == SRI_END_OF_CELL || step == 0)
            break;
        at += step;
    }
    return found;
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

bool TDvdStreamReader::ReadSpread(int spots, int packsEach,
                                  const std::function<void(const unsigned char*, int)>& visit) const {
    if (!FLib || !FLib->Vobs || spots < 1 || packsEach < 1)
        return false;
    uint64_t total = 0;
    for (const TCell& cell : FCells)
        total += cell.Last - cell.First + 1;
    // A place in the range counted in sectors becomes a sector of the cell that holds it.
    const auto sectorAt = [this](uint64_t at, uint32_t& left) {
        for (const TCell& cell : FCells) {
            const uint32_t size = cell.Last - cell.First + 1;
            if (at < size) {
                left = uint32_t(size - at);
                return uint32_t(cell.First + at);
            }
            at -= size;
        }
        left = 0;
        return uint32_t(0);
    };
    std::vector<unsigned char> packs(size_t(packsEach) * kSector);
    const bool whole = total <= uint64_t(spots) * uint64_t(packsEach);
    const uint64_t places = whole ? (total + uint64_t(packsEach) - 1) / uint64_t(packsEach) : uint64_t(spots);
    for (uint64_t k = 0; k < places; ++k) {
        const uint64_t at = whole ? k * uint64_t(packsEach)
                                  : (places > 1 ? k * (total - uint64_t(packsEach)) / (places - 1) : 0);
        uint32_t left = 0;
        const uint32_t first = sectorAt(at, left);
        const int count = int(std::min<uint32_t>(left, uint32_t(packsEach)));
        if (count <= 0)
            continue;
        if (DVDReadBlocks(FLib->Vobs, int(first), size_t(count), packs.data()) != count)
            return false;
        visit(packs.data(), count);
    }
    return true;
}

// Finds the next stretch of sectors to pass on: one VOBU where the cell starts with a navigation pack
// (its search information leads to the next VOBU of the same angle), the rest of the cell otherwise.
bool TDvdStreamReader::NextRun() {
    unsigned char pack[kSector];
    while (FCell < FCells.size()) {
        const TCell& cell = FCells[FCell];
        if (FPack > cell.Last || FPack < cell.First) {
            if (++FCell < FCells.size())
                FPack = FCells[FCell].First;
            continue;
        }
        if (DVDReadBlocks(FLib->Vobs, int(FPack), 1, pack) != 1) {
            FError = FWhere + QStringLiteral(": sector %1 cannot be read").arg(FPack);
            return false;
        }
        uint32_t length = cell.Last - FPack + 1;
        uint32_t next = cell.Last + 1;
        const bool nav = IsNavPack(pack);
        if (nav) {
            dsi_t dsi;
            navRead_DSI(&dsi, pack + DSI_START_BYTE);
            if (dsi.dsi_gi.vobu_ea > 0 && dsi.dsi_gi.vobu_ea < length) {
                length = dsi.dsi_gi.vobu_ea + 1;
                const uint32_t step = dsi.vobu_sri.next_vobu & 0x3fffffff;
                next = step != SRI_END_OF_CELL && step > 0 ? FPack + step : FPack + length;
            }
        }
        if (FCell >= FRangeCells && !(nav && PassOnTail(pack))) {
            FCell = FCells.size();
            return false;
        }
        if (nav && FCell < FRangeCells) {
            FLastEndPtm = ReadPci(pack).pci_gi.vobu_e_ptm;
        } else if (!nav) {
            FLastEndPtm = -1;
        }
        FRunStart = FPack;
        FRunLeft = length;
        FPack = next;
        return true;
    }
    return false;
}

// Whether the VOBU after the range that begins with this navigation pack is passed on: while it continues
// the range's timeline and the tail's time is not used up.
bool TDvdStreamReader::PassOnTail(unsigned char* nav) {
    const pci_t pci = ReadPci(nav);
    const int64_t start = pci.pci_gi.vobu_s_ptm, end = pci.pci_gi.vobu_e_ptm;
    if (FTailLeft <= 0 || FLastEndPtm < 0 || std::abs(start - FLastEndPtm) > kFrameTicks || end <= start)
        return false;
    FTailLeft -= end - start;
    FLastEndPtm = end;
    return true;
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
    for (size_t c = 0; c < FRangeCells; ++c) {
        const TCell& cell = FCells[c];
        int64_t first = -1; // the presentation time of the cell's first picture
        for (uint32_t sector = cell.First; sector <= cell.Last;) {
            if (DVDReadBlocks(FLib->Vobs, int(sector), 1, nav) != 1)
                return Fail(FWhere + QStringLiteral(": sector %1 cannot be read").arg(sector));
            if (!IsNavPack(nav))
                break;
            const pci_t pci = ReadPci(nav);
            dsi_t dsi;
            navRead_DSI(&dsi, nav + DSI_START_BYTE);
            if (first < 0)
                first = pci.pci_gi.vobu_s_ptm;
            vobus.push_back(
                {sector, cell.Start + double(int64_t(pci.pci_gi.vobu_s_ptm) - first) / 90000, int(c)});
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
    if (!FLib || !FLib->Vobs || vobu.Cell < 0 || size_t(vobu.Cell) >= FRangeCells ||
        vobu.Sector < FCells[size_t(vobu.Cell)].First || vobu.Sector > FCells[size_t(vobu.Cell)].Last)
        return false;
    FCells.erase(FCells.begin(), FCells.begin() + vobu.Cell);
    FRangeCells -= size_t(vobu.Cell);
    FCells.front().First = vobu.Sector;
    FCells.front().Start = vobu.Seconds;
    FCell = 0;
    FPack = vobu.Sector;
    FRunLeft = 0;
    FPrefix.clear();
    FOffsetSeconds = LeadSeconds(true);
    return true;
}
