#pragma once

#include <QString>
#include <QStringList>

// How the pieces of a row become its output, without encoding again: the pieces' video one after the
// other, and the whole range's other pass's sound and subtitle tracks, chapters and tags beside it, all copied.

// The list of the pieces' files that the concat input reads, in order.
QString ConcatList(const QStringList& files);

// The joining encoder's arguments. rest: the file with the range's other streams; empty when there is
// none (a profile without audio). The profile's container choices (-f, -movflags) apply to the joined file.
// The joined file ends at the range's length, seconds, as one pass ends: a piece that starts between two
// pictures repeats its first to fill the gap, which one pass makes up for by leaving out the last.
QStringList JoinArguments(const QString& listFile, const QString& rest, const QStringList& profile,
                          double seconds, const QString& outputPath);
