#pragma once

#include <QString>

// Plain INI access to single values: whole section and key names matched without regard to case,
// values trimmed and unquoted, every write in the file at once.
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
