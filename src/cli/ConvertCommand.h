#pragma once

#include <QStringList>

// velloric-cli convert PATH [options]: converts rows of the disc at PATH with the window's driver.
// Returns the exit code: 0 all converted, 1 an item failed, 2 bad arguments or disc, 130 cancelled.
int RunConvertCommand(const QStringList& args, const QString& programDir);

extern const char* const kConvertUsage;
