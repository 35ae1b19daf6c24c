#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// A file that cannot be written; the message names the file and the reason.
class EIniWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The lines of an INI text: a line ends at CR, LF or CR LF, a last line without an end still counts,
// and a NUL byte ends the text.
QStringList SplitIniLines(const QByteArray& bytes);

// The lines of the file at path, or no lines when it cannot be read.
QStringList ReadIniLines(const QString& path);

// Writes every line followed by CR LF through a temporary file renamed over the old one, so a failed
// write leaves the old file whole. Throws EIniWriteError with messagePrefix, the path and the reason.
void WriteIniLines(const QString& path, const QStringList& lines, const QString& messagePrefix);

// Position of needle in text from `from` on, comparing the letters A to Z without regard to case and
// everything else exactly; -1 when absent.
qsizetype IndexOfNoCase(const QString& text, const QString& needle, qsizetype from = 0);
bool SameNoCase(const QString& a, const QString& b);

// A signed 32-bit integer: leading blanks, a sign, decimal digits or hexadecimal after "$" or "0x".
// Anything else (a trailing blank, letters, an empty text, out of range) does not convert.
bool TextToInt(const QString& text, int& value);
