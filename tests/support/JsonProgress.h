#pragma once

// Waiting on a velloric-cli run started with --progress json.
#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

// Reads the run's standard output into seen until a record says the whole run is at percent or beyond, or
// two minutes pass; whether it got there.
inline bool WaitForProgress(QProcess& p, int percent, QByteArray& seen) {
    const auto reached = [&] {
        for (const QByteArray& line : seen.split('\n'))
            if (QJsonDocument::fromJson(line).object()["current"].toInt() >= percent)
                return true;
        return false;
    };
    for (int i = 0; i < 1200 && !reached(); ++i) {
        p.waitForReadyRead(100);
        seen += p.readAllStandardOutput();
    }
    return reached();
}
