#pragma once

#include <QString>
#include <QStringList>

// The program's own INI store: the whole file as a list of lines, reads by substring search over those
// lines, writes to the lines in memory, and the whole file written back on Close.
class TNewInifile {
public:
    explicit TNewInifile(const QString& fileName); // Create: a missing file gives an empty store

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // Writes the lines to the file, replacing it, even when nothing changed. Throws EIniWriteError.
    void Close();

    const QString FFileName;
    QStringList FLines;

private:
    QStringList SectionText(const QString& section) const;
    static QString FindValue(const QString& key, const QStringList& lines, const QString& defaultValue);
    int IndexOfSection(const QString& section) const;
    int IndexOfKey(const QString& section, const QString& key) const;
};
