#pragma once

#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// Converts the chosen row of a disc with `velloric-cli convert --engine direct` and puts the output at
// outputFile (the output the profile makes has outputFile's extension). Returns the exit code; errors gets
// what the tool wrote on standard error.
inline int ConvertDirect(const QString& disc, const QString& outputFile, const QStringList& choice,
                         QString* errors = nullptr) {
    QTemporaryDir out(QFileInfo(outputFile).absolutePath() + "/direct-XXXXXX");
    QProcess p;
    p.start(ProgramBinDir() + "/velloric-cli",
            QStringList{"convert", disc, "--engine", "direct", "--output", out.path(), "--work-dir",
                        out.path(), "--overwrite", "overwrite"} +
                choice);
    p.waitForFinished(180000);
    if (errors)
        *errors = QString::fromLocal8Bit(p.readAllStandardError());
    const QStringList made = QDir(out.path()).entryList({"*." + QFileInfo(outputFile).suffix()}, QDir::Files);
    QFile::remove(outputFile);
    if (made.size() == 1)
        QFile::rename(out.filePath(made[0]), outputFile);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
