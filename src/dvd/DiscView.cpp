#include "DiscView.h"

#include "InfoFileChoice.h"
#include "tasks/RunLeftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString InfoStem(int number) {
    return number == 0 ? QStringLiteral("VIDEO_TS")
                       : QStringLiteral("VTS_%1_0").arg(number, 2, 10, QLatin1Char('0'));
}

} // namespace

TDiscView::TDiscView(const QString& videoTs, const QString& menuProblem)
    : FSource(videoTs), FFolder(RunLeftovers::ViewFolderTemplate()) {
    if (!FFolder.isValid()) {
        FError = QStringLiteral("%1: cannot make a temporary folder: %2").arg(videoTs, FFolder.errorString());
        return;
    }
    const TInfoFileChoice menu = ChooseVideoManagerFile(videoTs, menuProblem);
    if (!menu.Error.isEmpty()) {
        FError = menu.Error;
        return;
    }
    FFiles[0] = menu.Path;
    FMenuPassedOver = menu.PassedOver;
    bool linked = Link(menu.Path, "VIDEO_TS.IFO") && Link(menu.Path, "VIDEO_TS.BUP");
    for (int number : TitleSetNumbers(videoTs)) {
        const TInfoFileChoice set = ChooseTitleSetFile(videoTs, number);
        if (set.Path.isEmpty())
            continue;
        FFiles[number] = set.Path;
        linked =
            Link(set.Path, InfoStem(number) + ".IFO") && Link(set.Path, InfoStem(number) + ".BUP") && linked;
    }
    for (const QString& name : QDir(videoTs).entryList({"*.VOB"}, QDir::Files))
        linked = Link(videoTs + name, name.toUpper()) && linked;
    if (!linked)
        FError = QStringLiteral("%1: cannot link the disc's files into %2").arg(videoTs, FFolder.path());
}

QString TDiscView::FileOf(int number) const {
    const auto found = FFiles.find(number);
    return found != FFiles.end() ? found->second : FindEntry(FSource, InfoStem(number) + ".IFO");
}

bool TDiscView::Link(const QString& target, const QString& name) {
    const QString resolved = QFileInfo(target).canonicalFilePath();
    return !resolved.isEmpty() && QFile::link(resolved, FFolder.path() + "/" + name);
}
