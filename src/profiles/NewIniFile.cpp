#include "NewIniFile.h"

namespace {

// Index just after the "]" that closes a header line's name, or the line's length when it has none.
qsizetype HeaderEnd(const QString& header) {
    const qsizetype close = header.indexOf(']', header.indexOf('['));
    return close < 0 ? header.size() : close + 1;
}

} // namespace

TNewInifile::TNewInifile(const QString& fileName) : FFileName(fileName), FRead(ReadIniText(fileName)) {
    FLines = FRead.Lines;
}

int TNewInifile::IndexOfSection(const QString& section) const {
    // Only a line that begins with "[" is a header: a "[" inside a value neither starts nor ends one.
    for (int i = 0; i < FLines.size(); ++i)
        if (IsSectionHeader(FLines[i]) && SameNoCase(SectionNameOf(FLines[i]), section))
            return i;
    return -1;
}

TNewInifile::TSpan TNewInifile::SpanOf(const QString& section) const {
    TSpan span;
    span.Header = IndexOfSection(section);
    if (span.Header < 0)
        return span;
    span.End = span.Header + 1;
    while (span.End < FLines.size() && !IsSectionHeader(FLines[span.End]))
        ++span.End;
    return span;
}

QStringList TNewInifile::SectionText(const QString& section) const {
    const TSpan span = SpanOf(section);
    if (span.Header < 0)
        return {};
    // Line 0 is the rest of the header line, usually empty; line i is the i-th line below the header.
    QStringList lines{FLines[span.Header].mid(HeaderEnd(FLines[span.Header]))};
    lines += FLines.mid(span.Header + 1, span.End - span.Header - 1);
    return lines;
}

int TNewInifile::SectionLineCount(const QString& section) const {
    const TSpan span = SpanOf(section);
    return span.Header < 0 ? 0 : span.End - span.Header;
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
        FLines[h] = FLines[h].left(HeaderEnd(FLines[h]));
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
    WriteIniLines(FFileName, FRead, FLines, QStringLiteral("Cannot create file"));
}
