#pragma once

#include <QString>

// The DVD library in use: the version it was built against and the library file loaded at run time,
// for example "libdvdread 6.1.3 (libdvdread.so.8.0.0)".
QString DvdReadVersionText();
