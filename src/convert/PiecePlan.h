#pragma once

#include "convert/DvdStreamReader.h"

#include <QStringList>
#include <vector>

// How a long row of the direct engine is cut into pieces that encoders make side by side.

// A piece's part of the range, in seconds from the title's start, and the VOBU its reader begins at: the
// one before its own first VOBU, so that the pictures at its start that refer back can be decoded. The
// first piece reads as a whole row does (Preroll -1).
struct TPieceCut {
    double Start = 0, End = 0;
    int Preroll = -1; // index into the VOBUs
};

// Cuts [start, end] into up to count pieces of about equal length at VOBU starts. A cut needs a VOBU
// before it in the same cell (times are only comparable within a cell) and leaves every piece at least
// minSeconds. Times that do not rise from VOBU to VOBU (a damaged or odd disc) or a range too short to cut
// give one piece: the whole range.
std::vector<TPieceCut> PlanPieces(const std::vector<TDvdStreamReader::TVobuStart>& vobus, double start,
                                  double end, int count, double minSeconds = 10);

// How many pieces a row of that length is made in: chosen (1 or more) as it is, up to kMaxPieces; 0 is
// Auto: one piece per core, none under kAutoPiecesFrom seconds, each piece at least kAutoPieceSeconds.
inline constexpr double kAutoPiecesFrom = 60, kAutoPieceSeconds = 30;
inline constexpr int kMaxPieces = 16;
int PieceCount(int chosen, int cores, double seconds);

// The options that hold each of a row's pieces' encoders to its share of the cores: encoders each threaded
// for the whole machine, side by side, spend more on their threads' hand-overs than they gain (two x264
// pieces on two cores took 0.94x the time with one thread each). None where the profile sets its own.
QStringList PieceThreadOptions(const QStringList& profile, int cores, int pieces);
