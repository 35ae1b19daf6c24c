#pragma once

#include "QtPrinters.h"

#include <QFileInfo>
#include <QString>

// Folders the build hands to the tests.
inline QString RealIfoDir() {
    return QStringLiteral(VELLORIC_REAL_IFO_DIR);
}
inline QString SampleDiscDir(const QString& standard) {
    return QStringLiteral(VELLORIC_SAMPLE_DIR) + "/" + standard;
}
inline QString ProgramBinDir() {
    return QStringLiteral(VELLORIC_BIN_DIR);
}

// The real IFO sets live beside the repository. A test that needs them is skipped where they are absent,
// except under CI=true: CI runs every test, and a missing fixture folder fails it.
#define REQUIRE_REAL_IFO(path)                                                                               \
    if (!QFileInfo::exists(path)) {                                                                          \
        if (qEnvironmentVariable("CI") == "true")                                                            \
            FAIL() << "real IFO fixtures missing under CI: " << (path).toStdString();                        \
        GTEST_SKIP() << "real IFO fixtures not present";                                                     \
    }
