#pragma once

#include <QStringList>

// velloric-cli convert PATH [options]: converts rows of the disc at PATH with the window's driver.
// Returns the exit code: 0 all converted, 1 an item failed, 2 bad arguments or disc, 3 standard output or
// error closed, 128 + the signal's number when a signal stopped it.
int RunConvertCommand(const QStringList& args, const QString& programDir);

extern const char* const kConvertUsage;
