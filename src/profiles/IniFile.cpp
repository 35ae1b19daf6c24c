#include "IniFile.h"

namespace {

constexpr qsizetype kMaxValue = 2047;

QString KeyName(const QString& line) {
    const qsizetype eq = line.indexOf('=');
    return eq < 0 ? QString() : line.left(eq).trimmed();
}

struct TSpan {
    int Header = -1; // line index of the section header, -1 when absent
    int End = -1;    // index of the next header, or the line count
};

TSpan FindSection(const QStringList& lines, const QString& section) {
    TSpan span;
    for (int i = 0; i < lines.size(); ++i) {
        if (!IsSectionHeader(lines[i]))
            continue;
        if (span.Header >= 0) {
            span.End = i;
            return span;
        }
        const QString name = SectionNameOf(lines[i]);
        if (!name.isNull() && SameNoCase(name, section))
            span.Header = i;
    }
    span.End = int(lines.size());
    return span;
}

int FindKey(const QStringList& lines, const TSpan& span, const QString& key) {
    for (int i = span.Header + 1; span.Header >= 0 && i < span.End; ++i)
        if (const QString name = KeyName(lines[i]); !name.isEmpty() && SameNoCase(name, key))
            return i;
    return -1;
}

QString ValueOf(const QString& line) {
    QString value = line.mid(line.indexOf('=') + 1).trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(kMaxValue);
}

int ToInteger(const QString& text, int defaultValue) {
    if (text.isEmpty())
        return defaultValue;
    bool ok = false;
    int value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        value = int(text.mid(2).toUInt(&ok, 16));
    else
        value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

} // namespace

TIniSnapshot::TIniSnapshot(const QString& fileName) : FLines(ReadIniLines(fileName)) {
    QString section; // folded name of the section being read; null before the first header
    for (int i = 0; i < FLines.size(); ++i) {
        const QString& line = FLines[i];
        if (IsSectionHeader(line)) {
            if (!section.isNull())
                FSections[section].second = i;
            const QString name = SectionNameOf(line);
            // Only the first section of a name counts; the lines of a later one are not its keys.
            section = name.isNull() || FSections.contains(FoldNoCase(name)) ? QString() : FoldNoCase(name);
            if (!section.isNull())
                FSections.insert(section, {i, int(FLines.size())});
            continue;
        }
        if (section.isNull())
            continue;
        const QString key = KeyName(line);
        if (key.isEmpty())
            continue;
        const QString id = section + "\n" + FoldNoCase(key);
        if (!FKeys.contains(id)) // the first line of a key counts
            FKeys.insert(id, i);
    }
}

QString TIniSnapshot::ReadString(const QString& section, const QString& key,
                                 const QString& defaultValue) const {
    const auto at = FKeys.constFind(FoldNoCase(section) + "\n" + FoldNoCase(key));
    return at == FKeys.constEnd() ? defaultValue : ValueOf(FLines[*at]);
}

int TIniSnapshot::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    return ToInteger(ReadString(section, key, QString()), defaultValue);
}

bool TIniSnapshot::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

int TIniSnapshot::SectionLineCount(const QString& section) const {
    const auto at = FSections.constFind(FoldNoCase(section));
    return at == FSections.constEnd() ? 0 : at->second - at->first;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    return TIniSnapshot(FFileName).ReadString(section, key, defaultValue);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    return ToInteger(ReadString(section, key, QString()), defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const TIniText read = ReadIniText(FFileName);
    QStringList lines = read.Lines;
    const TSpan span = FindSection(lines, section);
    const QString line = key + "=" + value;
    if (span.Header < 0) {
        lines << "[" + section + "]" << line;
    } else if (const int at = FindKey(lines, span, key); at >= 0) {
        lines[at] = line;
    } else {
        // After the section's last non-blank line, so the blank line before the next section stays.
        int end = span.End;
        while (end - 1 > span.Header && lines[end - 1].trimmed().isEmpty())
            --end;
        lines.insert(end, line);
    }
    WriteIniLines(FFileName, read, lines, QStringLiteral("Unable to write to"));
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}
