#pragma once

#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// A program folder of its own for one test or tool: the shipped profiles and either the stand-in encoders or
// the real ones the build linked.
struct TProgramFolder {
    enum TEncoders { Fake, Real };

    QTemporaryDir Dir;
    QString Path = Dir.path() + "/";

    // source: the program folder whose profiles and encoder links are taken (the build's by default).
    explicit TProgramFolder(TEncoders encoders = Fake, const QString& source = ProgramBinDir()) {
        QDir().mkpath(Path + "Profiles");
        const QString shipped = source + "/Profiles/";
        for (const QString& name : QDir(shipped).entryList({"*.apf"}))
            QFile::copy(shipped + name, Path + "Profiles/" + name);
        for (const char* name : {"asapi.dll", "wmaspi.dll"}) {
            const QString target =
                encoders == Real ? QFileInfo(source + "/" + name).canonicalFilePath()
                                 : QStringLiteral(VELLORIC_SOURCE_DIR) + "/tests/data/fake-encoders/" + name;
            QFile::link(target, Path + name);
        }
        qputenv("FAKE_LOG", (Path + "encoders.log").toLocal8Bit());
    }
};
