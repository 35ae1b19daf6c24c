#include "DesktopSignals.h"

#include "tasks/ProductInfo.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

TFreedesktopSignals::TFreedesktopSignals(QString desktopId) : FDesktopId(std::move(desktopId)) {}

void TFreedesktopSignals::Notify(const QString& summary, const QString& body, bool failed) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                       "org.freedesktop.Notifications", "Notify");
    QVariantMap hints;
    hints["desktop-entry"] = QString(FDesktopId).remove(".desktop");
    hints["urgency"] = QVariant::fromValue<uchar>(failed ? 2 : 1);
    call << QString::fromUtf8(kProductTitle) << *FLastNotification << QStringLiteral("velloric") << summary
         << body << QStringList() << hints << int(-1);
    // Asynchronous: a desktop whose service is slow or absent must not hold the window up.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [last = FLastNotification, watcher] {
                         const QDBusPendingReply<uint> reply = *watcher;
                         if (reply.isValid())
                             *last = reply.value();
                         watcher->deleteLater();
                     });
}

void TFreedesktopSignals::SetTaskBarProgress(double fraction, bool shown) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal("/io/velloric/Velloric/LauncherEntry",
                                                     "com.canonical.Unity.LauncherEntry", "Update");
    QVariantMap properties;
    properties["progress"] = qBound(0.0, fraction, 1.0);
    properties["progress-visible"] = shown;
    signal << "application://" + FDesktopId << properties;
    bus.send(signal);
}
