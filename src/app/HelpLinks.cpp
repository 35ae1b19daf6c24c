#include "HelpLinks.h"

#include "tasks/ProductInfo.h"

#ifndef VELLORIC_HOME_PAGE
#define VELLORIC_HOME_PAGE ""
#endif

QUrl HomePage(const QString& helpFile) {
    const QString address = QStringLiteral(VELLORIC_HOME_PAGE);
    return address.isEmpty() ? QUrl::fromLocalFile(helpFile) : QUrl(address);
}

QString HomePageLinkText() {
    const QString address = QStringLiteral(VELLORIC_HOME_PAGE);
    return QStringLiteral("%1 - %2").arg(kMakerName,
                                         address.isEmpty() ? QStringLiteral("the user manual") : address);
}

QString HomePageKind(const QUrl& page) {
    return page.isLocalFile() ? QStringLiteral("the manual") : QStringLiteral("the web page");
}
