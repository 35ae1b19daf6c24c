#include "IniFile.h"

#include "IniText.h"

namespace {

constexpr qsizetype kMaxValue = 2047;

// The section name of a header line, or a null string for any other line.
QString HeaderName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith('['))
        return {};
    const qsizetype close = t.indexOf(']');
    return close < 0 ? QString() : t.mid(1, close - 1).trimmed();
}

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
        const QString name = HeaderName(lines[i]);
        if (name.isNull())
            continue;
        if (span.Header >= 0) {
            span.End = i;
            return span;
        }
        if (SameNoCase(name, section))
            span.Header = i;
    }
    span.End = int(lines.size());
    return span;
}

int FindKey(const QStringList& lines, const TSpan& span, const QString& key) {
    for (int i = span.Header + 1; span.Header >= 0 && i < span.End; ++i)
        if (SameNoCase(KeyName(lines[i]), key) && !KeyName(lines[i]).isEmpty())
            return i;
    return -1;
}

} // namespace

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const QStringList lines = ReadIniLines(FFileName);
    const int at = FindKey(lines, FindSection(lines, section), key);
    if (at < 0)
        return defaultValue;
    const QString& line = lines[at];
    QString value = line.mid(line.indexOf('=') + 1).trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(kMaxValue);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    const QString text = ReadString(section, key, QString());
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

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    QStringList lines = ReadIniLines(FFileName);
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
    WriteIniLines(FFileName, lines, QStringLiteral("Unable to write to"));
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}
