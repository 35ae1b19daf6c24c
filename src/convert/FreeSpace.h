#pragma once

#include <QString>
#include <QStringList>

struct TMencOutputSettings;

// Rough sizes of what an item writes, from the profile's bit rates and the range's length.
qint64 WorkFileBytes(const TMencOutputSettings& settings, double seconds);
qint64 OutputFileBytes(const QStringList& stageTwoArguments, double seconds);

// Empty when the folders have room; otherwise the message for the user. Only a plainly too small folder is
// refused (less than half the estimate): bit rates are targets, and the stream lengths are checked after
// the item anyway. Folders on one filesystem share its free space.
QString SpaceProblem(const QString& workDir, qint64 workBytes, const QString& outputDir, qint64 outputBytes);
