#pragma once

#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// A program folder of its own for one test: the shipped profiles and either the stand-in encoders or
// the real ones the build linked.
struct TProgramFolder {
    enum TEncoders { Fake, Real };

    QTemporaryDir Dir;
    QString Path = Dir.path() + "/";

    explicit TProgramFolder(TEncoders encoders = Fake) {
        QDir().mkpath(Path + "Profiles");
        const QString shipped = ProgramBinDir() + "/Profiles/";
        for (const QString& name : QDir(shipped).entryList({"*.apf"}))
            QFile::copy(shipped + name, Path + "Profiles/" + name);
        for (const char* name : {"asapi.dll", "wmaspi.dll"}) {
            const QString target =
                encoders == Real ? QFileInfo(ProgramBinDir() + "/" + name).canonicalFilePath()
                                 : QStringLiteral(VELLORIC_SOURCE_DIR) + "/tests/data/fake-encoders/" + name;
            QFile::link(target, Path + name);
        }
        qputenv("FAKE_LOG", (Path + "encoders.log").toLocal8Bit());
    }
};
