#pragma once

#include "IfoTypes.h"

#include <QString>

struct TDVDInformation {
    QString Standard;     // "PAL" or "NTSC"; empty before the first load
    double FrameRate = 0; // 25 or 29.97
    QString OutputPrefix; // prefix of output names; a load from a folder leaves it alone
    QString DiscPath;     // the folder holding VIDEO_TS.IFO, ending in "/"
};

// One parsed VTS_xx_0.IFO with the title-set number its file name carries.
struct TTitleSet {
    int Number = 0;
    TIFO Ifo;
};
