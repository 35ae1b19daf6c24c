#include "LogindSleepLock.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

TLogindSleepLock::TLogindSleepLock(const QString& who, const QString& why, const QDBusConnection& bus) {
    if (!bus.isConnected()) {
        QTimer::singleShot(0, this, [this] { emit Answered(false); });
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                       "org.freedesktop.login1.Manager", "Inhibit");
    call << QStringLiteral("sleep") << who << why << QStringLiteral("block");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection(bus).asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (!reply.isError())
            FLock = reply.value();
        w->deleteLater();
        emit Answered(Held());
    });
}
