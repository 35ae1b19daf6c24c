#pragma once

#include "convert/PictureScan.h"

#include <QString>
#include <QStringList>

class TDvdStreamReader;

// What the engine does to the pictures with the profile's "Auto" deinterlacing.
enum class TFieldTreatment {
    Unknown,     // no picture header found: nothing is done
    Progressive, // whole frames: nothing is done
    Interlaced,  // fields of different times woven: deinterlaced
    Film,        // film frames with 3:2 pulldown flags: shown at the film's own rate
    HardFilm,    // film whose 3:2 pulldown is woven into interlaced pictures: the film frames are rebuilt
};

struct TFieldChoice {
    TFieldTreatment Treatment = TFieldTreatment::Unknown;
    bool TopFieldFirst = true;
    QString Filter;      // FFmpeg's video filter; empty: none
    QString Description; // for the user: what was found and what is done
};

// The choice for a scanned title. A progressive title is never filtered: deinterlacing whole frames
// only blurs them.
TFieldChoice ChooseFieldTreatment(const TPictureScan& scan);
// An interlaced choice at 29.97 pictures a second made again for pictures found to be hard telecined film.
TFieldChoice HardTelecineChoice(const TFieldChoice& interlaced, int moving, int repeating);

// The profile's filter value that asks for the title's own treatment.
inline const QString kAutoFieldFilter = QStringLiteral("auto");

// Whether the profile's arguments ask for "-vf auto".
bool AsksForAutoFields(const QStringList& profile);
// The profile's arguments with "-vf auto" replaced by the chosen filter, or taken out when there is none.
QStringList WithFieldFilter(QStringList profile, const QString& filter);

// Scans the picture headers of a sample spread over the reader's range (a few hundred pictures) and
// chooses. The reader is left where it was: the scan reads the disc on its own.
TFieldChoice ChooseFieldTreatment(const TDvdStreamReader& reader);
