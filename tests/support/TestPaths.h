#pragma once

#include "QtPrinters.h"

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
