#include "DvdAccess.h"

#include <cstdarg>
#include <cstdio>
#include <map>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>

namespace {

class TDvdReadAccess final : public TDvdAccess {
public:
    ~TDvdReadAccess() override { Close(); }

    bool OpenDVD(const QString& videoTsPath) override {
        Close();
        FError.clear();
        // DVDOpen2 with a logger keeps libdvdread from printing on standard output.
        static dvd_logger_cb logger = {&TDvdReadAccess::Log};
        FDvd = DVDOpen2(this, &logger, videoTsPath.toLocal8Bit().constData());
        if (!FDvd) {
            SetError(videoTsPath, "the DVD library cannot open it");
            return false;
        }
        FVmg = ifoOpen(FDvd, 0);
        if (!FVmg || !FVmg->tt_srpt) {
            SetError(videoTsPath, "the title table of VIDEO_TS.IFO cannot be read");
            return false;
        }
        return true;
    }

    int GetTitleNum() override { return FVmg && FVmg->tt_srpt ? FVmg->tt_srpt->nr_of_srpts : 0; }

    void GetIndexInfo(int title, int& titleSet, int& chain) override {
        titleSet = chain = -1;
        const title_info_t* info = Title(title);
        if (!info || info->title_set_nr == 0)
            return;
        titleSet = info->title_set_nr - 1;
        const ifo_handle_t* vts = TitleSetIfo(info->title_set_nr);
        if (!vts || !vts->vts_ptt_srpt)
            return;
        const vts_ptt_srpt_t* ptts = vts->vts_ptt_srpt;
        if (info->vts_ttn < 1 || info->vts_ttn > ptts->nr_of_srpts)
            return;
        const ttu_t& ttu = ptts->title[info->vts_ttn - 1];
        if (ttu.nr_of_ptts < 1 || !ttu.ptt || ttu.ptt[0].pgcn < 1)
            return;
        chain = ttu.ptt[0].pgcn - 1;
    }

    int GetTitleAngle(int title) override {
        const title_info_t* info = Title(title);
        return info ? info->nr_of_angles : 0;
    }

    QString ErrorText() const override { return FError; }

private:
    static void Log(void* self, dvd_logger_level_t level, const char* format, va_list args) {
        if (level != DVD_LOGGER_LEVEL_ERROR)
            return;
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        static_cast<TDvdReadAccess*>(self)->FLastLog = QString::fromLocal8Bit(text).trimmed();
    }

    void SetError(const QString& path, const char* problem) {
        FError = QStringLiteral("%1: %2").arg(path, QString::fromLatin1(problem));
        if (!FLastLog.isEmpty())
            FError += " (" + FLastLog + ")";
    }

    const title_info_t* Title(int title) const {
        if (!FVmg || !FVmg->tt_srpt || title < 0 || title >= FVmg->tt_srpt->nr_of_srpts)
            return nullptr;
        return &FVmg->tt_srpt->title[title];
    }

    // Each title set's IFO is opened once per disc; null when it is missing or unreadable.
    const ifo_handle_t* TitleSetIfo(int number) {
        auto found = FTitleSets.find(number);
        if (found == FTitleSets.end())
            found = FTitleSets.emplace(number, ifoOpen(FDvd, number)).first;
        return found->second;
    }

    void Close() {
        for (auto& [number, ifo] : FTitleSets)
            if (ifo)
                ifoClose(ifo);
        FTitleSets.clear();
        if (FVmg)
            ifoClose(FVmg);
        FVmg = nullptr;
        if (FDvd)
            DVDClose(FDvd);
        FDvd = nullptr;
    }

    dvd_reader_t* FDvd = nullptr;
    ifo_handle_t* FVmg = nullptr;
    std::map<int, ifo_handle_t*> FTitleSets;
    QString FError;
    QString FLastLog;
};

} // namespace

std::unique_ptr<TDvdAccess> CreateDvdReadAccess() {
    return std::make_unique<TDvdReadAccess>();
}
