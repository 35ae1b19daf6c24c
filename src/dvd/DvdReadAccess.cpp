#include "DvdAccess.h"

#include "DiscView.h"
#include "DvdTitleTable.h"

namespace {

// libdvdread reads the disc through a view that holds only the good copy of each information file
// (DiscView.h), in a child process that a fault of the library cannot take down (DvdTitleTable.h).
class TDvdReadAccess final : public TDvdAccess {
public:
    explicit TDvdReadAccess(TLibraryProcess process) : FProcess(process) {}

    bool OpenDVD(const QString& videoTsPath) override {
        FTitles.clear();
        FError.clear();
        const QString folder = videoTsPath.endsWith('/') ? videoTsPath : videoTsPath + '/';
        auto view = std::make_unique<TDiscView>(folder);
        if (!view->IsValid()) {
            FError = view->Error();
            return false;
        }
        TDvdTitleTable table = Read(*view);
        // The library may refuse a menu file that passed our checks; as the library itself would, try the
        // backup then.
        const QString menu = view->FileOf(0);
        if (!table.Error.isEmpty() && table.Error.startsWith(menu + ": ") &&
            menu.endsWith(".IFO", Qt::CaseInsensitive)) {
            view = std::make_unique<TDiscView>(folder, table.Error.mid(menu.size() + 2));
            table = view->IsValid() ? Read(*view) : TDvdTitleTable{{}, view->Error()};
        }
        if (!table.Error.isEmpty()) {
            FError =
                view->MenuPassedOver().isEmpty() ? table.Error : view->MenuPassedOver() + "; " + table.Error;
            return false;
        }
        FTitles = table.Titles;
        return true;
    }

    int GetTitleNum() override { return int(FTitles.size()); }

    void GetIndexInfo(int title, int& titleSet, int& chain) override {
        titleSet = chain = -1;
        if (title < 0 || size_t(title) >= FTitles.size() || FTitles[size_t(title)].TitleSet == 0)
            return;
        titleSet = FTitles[size_t(title)].TitleSet - 1;
        chain = FTitles[size_t(title)].Chain - 1;
    }

    int GetTitleAngle(int title) override {
        return title >= 0 && size_t(title) < FTitles.size() ? FTitles[size_t(title)].Angles : 0;
    }

    QString ErrorText() const override { return FError; }
    TLibraryProcess Process() const override { return FProcess; }

private:
    TDvdTitleTable Read(const TDiscView& view) const {
        const auto fileOf = [&view](int number) { return view.FileOf(number); };
        return FProcess == TLibraryProcess::Child ? ReadDvdTitleTable(view.Path(), fileOf)
                                                  : ReadDvdTitleTableHere(view.Path(), fileOf);
    }

    TLibraryProcess FProcess;
    std::vector<TDvdTitle> FTitles;
    QString FError;
};

} // namespace

std::unique_ptr<TDvdAccess> CreateDvdReadAccess(TLibraryProcess process) {
    return std::make_unique<TDvdReadAccess>(process);
}
