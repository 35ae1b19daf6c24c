#pragma once

// A program run to its end, for the tests that start the command-line tool or a reference program.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

struct TRun {
    int ExitCode = -1; // -1 also when the program crashed or did not end in time
    QByteArray Out, Err;
};

inline TRun RunProgram(const QString& program, const QStringList& args, int timeoutMs = 300000) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(timeoutMs);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
