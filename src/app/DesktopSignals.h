#pragma once

#include <QString>
#include <memory>

// What the program tells the desktop about a run: a notification when it ends, and the total progress on
// the task bar entry. Both do nothing where the desktop lacks them.
class TDesktopSignals {
public:
    virtual ~TDesktopSignals() = default;
    virtual void Notify(const QString& summary, const QString& body, bool failed) = 0;
    // fraction 0..1; shown false hides the bar
    virtual void SetTaskBarProgress(double fraction, bool shown) = 0;
};

// The freedesktop Notifications service and the launcher-entry signal on the session bus.
class TFreedesktopSignals : public TDesktopSignals {
public:
    explicit TFreedesktopSignals(QString desktopId = QStringLiteral("velloric.desktop"));
    void Notify(const QString& summary, const QString& body, bool failed) override;
    void SetTaskBarProgress(double fraction, bool shown) override;

private:
    QString FDesktopId;
    // A new notification replaces the one before; the answer may come after this object is gone.
    std::shared_ptr<uint> FLastNotification = std::make_shared<uint>(0);
};
