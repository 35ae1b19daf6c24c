#pragma once

#include "TestPaths.h"

// velloric-direct, the direct engine run on one row, built beside the test programs.
inline QString DirectToolPath() {
    return ProgramBinDir() + "/../tests/velloric-direct";
}
