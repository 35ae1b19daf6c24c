#include "IniText.h"

#include <QFile>
#include <QSaveFile>

QStringList SplitIniLines(const QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    const QString text = QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines << text.mid(start, i - start);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

QStringList ReadIniLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return SplitIniLines(file.readAll());
}

void WriteIniLines(const QString& path, const QStringList& lines, const QString& messagePrefix) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EIniWriteError(
            QStringLiteral("%1 %2: %3").arg(messagePrefix, path, file.errorString()).toStdString());
}

namespace {
QChar FoldAscii(QChar c) {
    return c >= 'a' && c <= 'z' ? QChar(c.unicode() - 'a' + 'A') : c;
}
} // namespace

qsizetype IndexOfNoCase(const QString& text, const QString& needle, qsizetype from) {
    for (qsizetype i = from; i + needle.size() <= text.size(); ++i) {
        qsizetype j = 0;
        while (j < needle.size() && FoldAscii(text[i + j]) == FoldAscii(needle[j]))
            ++j;
        if (j == needle.size())
            return i;
    }
    return -1;
}

bool SameNoCase(const QString& a, const QString& b) {
    return a.size() == b.size() && IndexOfNoCase(a, b) == 0;
}

bool TextToInt(const QString& text, int& value) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        const int digit = QChar(text[i]).digitValue();
        const char16_t c = text[i].unicode();
        const bool hexLetter = base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
        if (!(c >= '0' && c <= '9') && !hexLetter)
            return false;
        n = n * base + (hexLetter ? (c | 0x20) - 'a' + 10 : digit);
        if (n > 0x100000000LL)
            return false;
    }
    if (negative)
        n = -n;
    // Hexadecimal texts may spell the full 32-bit pattern (0xFFFFFFFF is -1).
    if (base == 16 && !negative && n > 0x7FFFFFFFLL && n <= 0xFFFFFFFFLL)
        n -= 0x100000000LL;
    if (n < -0x80000000LL || n > 0x7FFFFFFFLL)
        return false;
    value = int(n);
    return true;
}
