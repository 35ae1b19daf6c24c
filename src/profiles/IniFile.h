#pragma once

#include "IniText.h"

#include <QHash>
#include <QString>

// The plain access's view of one reading of a file: whole section and key names matched without regard
// to case, a key found only inside its section, values trimmed and unquoted. Looking a key up does not
// depend on the size of the file, so a reader of many keys (a profile) reads the file once through it.
class TIniSnapshot {
public:
    explicit TIniSnapshot(const QString& fileName);

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    // Number of lines of the section, its header line included; 0 when it is missing.
    int SectionLineCount(const QString& section) const;

private:
    QStringList FLines;
    QHash<QString, std::pair<int, int>> FSections; // folded name: header line, next header line
    QHash<QString, int> FKeys;                     // folded section "\n" folded key: its line
};

// Plain INI access to single values: every read looks at the file as it is now, every write is in the
// file at once.
class TIniFile {
public:
    explicit TIniFile(const QString& fileName) : FFileName(fileName) {}

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    // Writes throw EIniWriteError "Unable to write to <file>: <reason>".
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    const QString& FileName() const { return FFileName; }

private:
    QString FFileName;
};
