#pragma once

#include "IfoTypes.h"

#include <QString>
#include <stdexcept>

class QIODevice;

// Raised for every failure of the reader; the message names the file and the problem.
class EIfoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the title-set information file at path. Throws EIfoError; never returns a partial record.
TIFO ReadIfo(const QString& path);

// The same parse over an open device; name is what error messages call it.
TIFO ReadIfo(QIODevice& device, const QString& name);

// Display name of a two-byte language code, "???" when the table has no such code.
std::string LookupLanguage(const std::string& code);

// DVD playback times (4 bytes: BCD hours, minutes, seconds, frame-rate code and BCD frames).
// These throw std::invalid_argument with the texts the reader reports.
std::string BcdTimeToText(const uint8_t time[4]);
int32_t BcdTimeToMs(const uint8_t time[4]);
std::string MsToTimeText(int64_t ms);
