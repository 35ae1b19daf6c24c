#include "NewIniFile.h"

#include "IniText.h"

TNewInifile::TNewInifile(const QString& fileName) : FFileName(fileName), FLines(ReadIniLines(fileName)) {}

QStringList TNewInifile::SectionText(const QString& section) const {
    QString text;
    for (const QString& line : FLines)
        text += line + "\r\n";
    const QString header = "[" + section + "]";
    const qsizetype at = IndexOfNoCase(text, header);
    if (at < 0)
        return {};
    QString rest = text.mid(at + header.size());
    // The section ends at the first "[" after its header, even one inside a value.
    const qsizetype bracket = rest.indexOf('[');
    if (bracket >= 0)
        rest.truncate(bracket);
    // Line 0 is the rest of the header line, usually empty; line i is the i-th line below the header.
    return SplitIniLines(rest.toUtf8());
}

QString TNewInifile::FindValue(const QString& key, const QStringList& lines, const QString& defaultValue) {
    const QString pattern = key + "=";
    for (const QString& line : lines) {
        const qsizetype at = IndexOfNoCase(line, pattern);
        if (at >= 0)
            return line.mid(at + pattern.size());
    }
    return defaultValue;
}

int TNewInifile::IndexOfSection(const QString& section) const {
    const QString header = "[" + section + "]";
    for (int i = 0; i < FLines.size(); ++i)
        if (IndexOfNoCase(FLines[i], header) >= 0)
            return i;
    return -1;
}

int TNewInifile::IndexOfKey(const QString& section, const QString& key) const {
    const QStringList lines = SectionText(section);
    for (int i = 0; i < lines.size(); ++i)
        if (IndexOfNoCase(lines[i], key + "=") >= 0)
            return i;
    return -1;
}

QString TNewInifile::ReadString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    return FindValue(key, SectionText(section), defaultValue);
}

int TNewInifile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    int value = defaultValue;
    return TextToInt(ReadString(section, key, QString::number(defaultValue)), value) ? value : defaultValue;
}

bool TNewInifile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    const QString text = ReadString(section, key, defaultValue ? "-1" : "0");
    int number = 0;
    if (TextToInt(text, number))
        return number != 0;
    if (SameNoCase(text, "True"))
        return true;
    if (SameNoCase(text, "False"))
        return false;
    return defaultValue;
}

void TNewInifile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString line = key + "=" + value;
    const int h = IndexOfSection(section);
    if (h < 0) {
        FLines << "[" + section + "]" << line;
        return;
    }
    const int k = IndexOfKey(section, key);
    if (k < 0) {
        FLines.insert(h + 1, line);
    } else if (k == 0) {
        // The key stands on the header line itself: keep the header, give the key a line of its own.
        const QString header = "[" + section + "]";
        FLines[h] = FLines[h].left(IndexOfNoCase(FLines[h], header) + header.size());
        FLines.insert(h + 1, line);
    } else {
        FLines[h + k] = line;
    }
}

void TNewInifile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TNewInifile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TNewInifile::Close() {
    WriteIniLines(FFileName, FLines, QStringLiteral("Cannot create file"));
}
