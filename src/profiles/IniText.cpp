#include "IniText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool IsContinuation(uchar b) {
    return (b & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at bytes[i], or 0 when the byte there does not start one.
int Utf8Length(const QByteArray& bytes, qsizetype i) {
    const auto at = [&](qsizetype k) { return k < bytes.size() ? uchar(bytes[k]) : uchar(0); };
    const uchar b = at(i);
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return IsContinuation(at(i + 1)) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        // No overlong forms (E0 80..9F) and no surrogates (ED A0..BF).
        const uchar lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
        return at(i + 1) >= lo && at(i + 1) <= hi && IsContinuation(at(i + 2)) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        // No overlong forms (F0 80..8F) and nothing above U+10FFFF (F4 90..).
        const uchar lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
        return at(i + 1) >= lo && at(i + 1) <= hi && IsContinuation(at(i + 2)) && IsContinuation(at(i + 3))
                   ? 4
                   : 0;
    }
    return 0;
}

constexpr char16_t kEscapeBase = 0xDC00; // a byte b that is not UTF-8 becomes U+DC00 + b (b >= 0x80)

bool IsEscapedByte(char16_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

bool IsCleanLine(const QString& line) {
    for (const QChar c : line)
        if ((c.unicode() < 0x20 && c != '\t') || IsEscapedByte(c.unicode()))
            return false;
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i == line.size() || line[i] == ';' || line[i] == '#')
        return true; // blank or a comment
    if (IsSectionHeader(line))
        return line.indexOf(']', line.indexOf('[')) > 0;
    return line.contains('=');
}

} // namespace

QString DecodeIniBytes(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = Utf8Length(bytes, i);
        if (length == 0) {
            text += QChar(char16_t(kEscapeBase + uchar(bytes[i])));
            ++i;
        } else {
            text += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        }
    }
    return text;
}

QByteArray EncodeIniText(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0; // start of the run of ordinary text not yet encoded
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsEscapedByte(text[i].unicode()))
            continue;
        bytes += QStringView(text).mid(start, i - start).toUtf8();
        if (i < text.size())
            bytes += char(text[i].unicode() - kEscapeBase);
        start = i + 1;
    }
    return bytes;
}

QStringList SplitIniLines(const QString& text) {
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

TIniText ReadIniText(const QString& path) {
    TIniText read;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return read;
    read.Exists = true;
    read.Clean = false;
    // A FIFO or a device would block the program or never end; a folder holds no settings.
    if (!info.isFile()) {
        read.Problem = info.isDir()    ? QStringLiteral("it is a folder, not a file")
                       : info.exists() ? QStringLiteral("it is not a regular file")
                                       : QStringLiteral("it is a link to nothing");
        return read;
    }
    if (info.size() > TIniText::MaxSize) {
        read.Problem = QStringLiteral("the file is too large (%1 bytes; a settings file holds at most %2)")
                           .arg(info.size())
                           .arg(TIniText::MaxSize);
        return read;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.Problem = file.errorString();
        return read;
    }
    // What the file holds, not what its size said: it may have grown since.
    const QByteArray bytes = file.read(TIniText::MaxSize + 1);
    if (bytes.size() > TIniText::MaxSize) {
        read.Problem = QStringLiteral("the file is too large (a settings file holds at most %1 bytes)")
                           .arg(TIniText::MaxSize);
        return read;
    }
    read.Lines = SplitIniLines(DecodeIniBytes(bytes));
    read.Clean = true;
    for (const QString& line : read.Lines)
        if (!IsCleanLine(line)) {
            read.Clean = false;
            break;
        }
    return read;
}

QStringList ReadIniLines(const QString& path) {
    return ReadIniText(path).Lines;
}

void WriteIniLines(const QString& path, const TIniText& read, const QStringList& lines,
                   const QString& messagePrefix) {
    const auto fail = [&](const QString& reason) {
        throw EIniWriteError(QStringLiteral("%1 %2: %3").arg(messagePrefix, path, reason).toStdString());
    };
    if (!read.Problem.isEmpty())
        fail(read.Problem + "; the file was left as it is");
    const QString backup = path + ".bak";
    if (read.Exists && !read.Clean && !QFileInfo::exists(backup) && !QFile::copy(path, backup))
        fail("cannot keep a copy of it in " + backup);
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += EncodeIniText(line) + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        fail(file.errorString());
}

bool IsSectionHeader(const QString& line) {
    for (const QChar c : line) {
        if (c == '[')
            return true;
        if (c != ' ' && c != '\t' && c != QChar(0xFEFF))
            return false;
    }
    return false;
}

QString SectionNameOf(const QString& header) {
    const qsizetype open = header.indexOf('[');
    const qsizetype close = header.indexOf(']', open + 1);
    if (close < 0)
        return {};
    const QString name = header.mid(open + 1, close - open - 1).trimmed();
    return name.isNull() ? QStringLiteral("") : name;
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

QString FoldNoCase(const QString& text) {
    QString folded = text;
    for (QChar& c : folded)
        c = FoldAscii(c);
    return folded;
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
