#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

// Folders and pages a run would open on the desktop are left closed while this lives.
class TNoDesktop : public QObject {
    Q_OBJECT
public:
    TNoDesktop() { QDesktopServices::setUrlHandler("file", this, "Open"); }
    ~TNoDesktop() override { QDesktopServices::unsetUrlHandler("file"); }
public slots:
    void Open(const QUrl&) {}
};
