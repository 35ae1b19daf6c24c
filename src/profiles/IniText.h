#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// A file that cannot be written, or that the program refuses to replace; the message names the file and
// the reason.
class EIniWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bytes as text that turns back into the same bytes: UTF-8 where it is valid, and every other byte kept
// as the lone surrogate U+DC80..U+DCFF. NUL and other control bytes stay characters of their line.
QString DecodeIniBytes(const QByteArray& bytes);
QByteArray EncodeIniText(const QString& text);

// The lines of an INI text: a line ends at CR, LF or CR LF; a last line without an end still counts.
QStringList SplitIniLines(const QString& text);

// An INI file as read. Larger files are refused: no settings file comes near it, and a store reads and
// rewrites the whole file at every use.
struct TIniText {
    static constexpr qint64 MaxSize = 64 * 1024;

    QStringList Lines;
    bool Exists = false;
    QString Problem; // why an existing file could not be read; it must then not be replaced
    // False when the file held bytes that are not UTF-8, control bytes (NUL among them) or lines that
    // are neither a section header, a key, a comment nor blank.
    bool Clean = true;
};

TIniText ReadIniText(const QString& path);

// The lines of the file at path, or no lines when it cannot be read.
QStringList ReadIniLines(const QString& path);

// Writes every line followed by CR LF through a temporary file renamed over the old one, so a failed
// write leaves the old file whole. A file read with a problem is not replaced; one that was not read
// cleanly is first copied to path + ".bak", unless that file exists already (the oldest copy is the one
// worth keeping). Throws EIniWriteError with messagePrefix, the path and the reason.
void WriteIniLines(const QString& path, const TIniText& read, const QStringList& lines,
                   const QString& messagePrefix);

// A section header is a line whose first character other than blanks is "[". Its name is the text up to
// the first "]" without surrounding blanks; a header without "]" has a null name and matches no section.
bool IsSectionHeader(const QString& line);
QString SectionNameOf(const QString& header);

// Position of needle in text from `from` on, comparing the letters A to Z without regard to case and
// everything else exactly; -1 when absent.
qsizetype IndexOfNoCase(const QString& text, const QString& needle, qsizetype from = 0);
bool SameNoCase(const QString& a, const QString& b);
// The text with the letters a to z turned to capitals, for looking names up without regard to case.
QString FoldNoCase(const QString& text);

// A signed 32-bit integer: leading blanks, a sign, decimal digits or hexadecimal after "$" or "0x".
// Anything else (a trailing blank, letters, an empty text, out of range) does not convert.
bool TextToInt(const QString& text, int& value);
