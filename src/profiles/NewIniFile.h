#pragma once

#include "IniText.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// The program's own INI store: the whole file as a list of lines, reads by substring search over those
// lines, writes to the lines in memory, and the whole file written back on Close. Lines it does not
// change go back to the file byte for byte.
class TNewInifile {
public:
    explicit TNewInifile(const QString& fileName); // Create: a missing file gives an empty store

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // Number of lines of the section, its header line included; 0 when it is missing.
    int SectionLineCount(const QString& section) const;

    // Writes the lines to the file, replacing it, even when nothing changed. Throws EIniWriteError, also
    // for a file that existed but could not be read (it is left as it is).
    void Close();

    const QString FFileName;
    QStringList FLines;

private:
    struct TSpan {
        int Header = -1; // index in FLines of the header line, -1 when the section is missing
        int End = -1;    // index of the next header line, or the number of lines
    };
    TSpan SpanOf(const QString& section) const;
    // The line of FLines that holds the key in the span, with the position of its value; -1 when none.
    int KeyLine(const TSpan& span, const QString& key, qsizetype* valueAt) const;
    int IndexOfSection(const QString& section) const;
    int IndexOfKey(const QString& section, const QString& key) const;

    TIniText FRead;
    // Header lines of FLines, found once per version of the lines: the copy shares FLines' data until
    // FLines is changed, which gives FLines data of its own and so tells that the index is stale.
    mutable QStringList FIndexedLines;
    mutable std::vector<int> FHeaders;
    mutable QHash<QString, int> FFirstHeader; // folded section name: its first header line
    void IndexHeaders() const;
};
