#include "NewIniFile.h"

#include <algorithm>

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

void TNewInifile::IndexHeaders() const {
    if (FIndexedLines.constData() == FLines.constData() && FIndexedLines.size() == FLines.size())
        return;
    FIndexedLines = FLines;
    FHeaders.clear();
    FFirstHeader.clear();
    // Only a line that begins with "[" is a header: a "[" inside a value neither starts nor ends one.
    for (int i = 0; i < FLines.size(); ++i) {
        if (!IsSectionHeader(FLines[i]))
            continue;
        FHeaders.push_back(i);
        const QString name = SectionNameOf(FLines[i]);
        if (!name.isNull() && !FFirstHeader.contains(FoldNoCase(name)))
            FFirstHeader.insert(FoldNoCase(name), i);
    }
}

int TNewInifile::IndexOfSection(const QString& section) const {
    IndexHeaders();
    return FFirstHeader.value(FoldNoCase(section), -1);
}

TNewInifile::TSpan TNewInifile::SpanOf(const QString& section) const {
    TSpan span;
    span.Header = IndexOfSection(section);
    if (span.Header < 0)
        return span;
    const auto next = std::upper_bound(FHeaders.begin(), FHeaders.end(), span.Header);
    span.End = next == FHeaders.end() ? int(FLines.size()) : *next;
    return span;
}

int TNewInifile::SectionLineCount(const QString& section) const {
    const TSpan span = SpanOf(section);
    return span.Header < 0 ? 0 : span.End - span.Header;
}

int TNewInifile::KeyLine(const TSpan& span, const QString& key, qsizetype* valueAt) const {
    if (span.Header < 0)
        return -1;
    // The key followed by "=" anywhere in a line of the section, the rest of the header line first.
    const QString pattern = key + "=";
    for (int i = span.Header; i < span.End; ++i) {
        const qsizetype from = i == span.Header ? HeaderEnd(FLines[i]) : 0;
        if (const qsizetype at = IndexOfNoCase(FLines[i], pattern, from); at >= 0) {
            *valueAt = at + pattern.size();
            return i;
        }
    }
    return -1;
}

int TNewInifile::IndexOfKey(const QString& section, const QString& key) const {
    const TSpan span = SpanOf(section);
    qsizetype at = 0;
    const int line = KeyLine(span, key, &at);
    return line < 0 ? -1 : line - span.Header;
}

QString TNewInifile::ReadString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    qsizetype at = 0;
    const int line = KeyLine(SpanOf(section), key, &at);
    return line < 0 ? defaultValue : FLines[line].mid(at);
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
