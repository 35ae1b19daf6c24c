#include "DvdAccess.h"

#include "DvdTitleTable.h"
#include "InfoFileChoice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>

namespace {

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// libdvdread picks between an .IFO and its .BUP by itself, reads the first damaged one it meets and can
// crash on it. It is therefore given a private folder holding, under both names, only the copy of each
// information file that passed our checks, and it runs in a child process (DvdTitleTable.h).
class TDvdReadAccess final : public TDvdAccess {
public:
    explicit TDvdReadAccess(TLibraryProcess process) : FProcess(process) {}

    bool OpenDVD(const QString& videoTsPath) override {
        FTitles.clear();
        FError.clear();
        const QString folder = videoTsPath.endsWith('/') ? videoTsPath : videoTsPath + '/';
        const TInfoFileChoice menu = ChooseVideoManagerFile(folder);
        if (!menu.Error.isEmpty()) {
            FError = menu.Error;
            return false;
        }
        QTemporaryDir view;
        if (!view.isValid()) {
            FError =
                QStringLiteral("%1: cannot make a temporary folder: %2").arg(videoTsPath, view.errorString());
            return false;
        }
        std::map<int, QString> files{{0, menu.Path}};
        bool linked = Link(view.path(), "VIDEO_TS", menu.Path);
        for (int number : TitleSetNumbers(folder)) {
            const TInfoFileChoice set = ChooseTitleSetFile(folder, number);
            const QString stem = "VTS_" + TwoDigits(number) + "_0";
            files[number] = set.Path.isEmpty() ? FindEntry(folder, stem + ".IFO") : set.Path;
            if (!set.Path.isEmpty())
                linked = Link(view.path(), stem, set.Path) && linked;
        }
        if (!linked) {
            FError =
                QStringLiteral("%1: cannot link the information files into %2").arg(videoTsPath, view.path());
            return false;
        }
        const auto fileOf = [&](int number) {
            const auto found = files.find(number);
            return found != files.end() ? found->second : folder + "VTS_" + TwoDigits(number) + "_0.IFO";
        };
        const TDvdTitleTable table = FProcess == TLibraryProcess::Child
                                         ? ReadDvdTitleTable(view.path(), fileOf)
                                         : ReadDvdTitleTableHere(view.path(), fileOf);
        if (!table.Error.isEmpty()) {
            FError = table.Error;
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

private:
    static bool Link(const QString& view, const QString& stem, const QString& target) {
        const QString resolved = QFileInfo(target).canonicalFilePath();
        return !resolved.isEmpty() && QFile::link(resolved, view + "/" + stem + ".IFO") &&
               QFile::link(resolved, view + "/" + stem + ".BUP");
    }

    TLibraryProcess FProcess;
    std::vector<TDvdTitle> FTitles;
    QString FError;
};

} // namespace

std::unique_ptr<TDvdAccess> CreateDvdReadAccess(TLibraryProcess process) {
    return std::make_unique<TDvdReadAccess>(process);
}
