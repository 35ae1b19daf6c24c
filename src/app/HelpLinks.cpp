#include "HelpLinks.h"

#include "ProductInfo.h"

#ifndef VELLORIC_HOME_PAGE
#define VELLORIC_HOME_PAGE ""
#endif

QString ManualPath(const QString& programDir) {
    return programDir + "help/index.html";
}

QUrl HomePage(const QString& programDir) {
    const QString address = QStringLiteral(VELLORIC_HOME_PAGE);
    return address.isEmpty() ? QUrl::fromLocalFile(ManualPath(programDir)) : QUrl(address);
}

QString HomePageLinkText() {
    const QString address = QStringLiteral(VELLORIC_HOME_PAGE);
    return QStringLiteral("%1 - %2").arg(kMakerName,
                                         address.isEmpty() ? QStringLiteral("the user manual") : address);
}
