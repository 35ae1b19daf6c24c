#include "LogindPower.h"

#include <QDBusConnection>
#include <QDBusInterface>

void TLogindPower::PowerOffComputer() {
    QDBusInterface logind("org.freedesktop.login1", "/org/freedesktop/login1",
                          "org.freedesktop.login1.Manager", QDBusConnection::systemBus());
    // false: no interactive authorisation prompt; a refusal is not reported, as the run is over anyway.
    logind.call("PowerOff", false);
}
