#pragma once

#include "SleepLock.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

// A systemd-logind "sleep" inhibitor lock in "block" mode, asked for without waiting and held until this
// object is destroyed (the lock ends when its file descriptor is closed). Without a system bus or a
// login manager there is no lock and the program runs on.
class TLogindSleepLock : public QObject, public TSleepLock {
    Q_OBJECT
public:
    TLogindSleepLock(const QString& who, const QString& why,
                     const QDBusConnection& bus = QDBusConnection::systemBus());
    bool Held() const override { return FLock.isValid(); }

signals:
    void Answered(bool held);

private:
    QDBusUnixFileDescriptor FLock;
};
