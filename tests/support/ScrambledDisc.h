#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// A copy of a disc folder whose video and audio packs carry the PES scrambling bits, as an encrypted disc's
// do (their bytes are left as they are: nothing here needs them truly encrypted). Returns the copy's
// VIDEO_TS folder, ending in "/", or an empty text when it cannot be made.
inline QString MakeScrambledCopy(const QString& discFolder, const QString& into) {
    const QString from = discFolder + "/VIDEO_TS/", to = into + "/VIDEO_TS/";
    if (!QDir().mkpath(to))
        return {};
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile in(from + name);
        if (!in.open(QIODevice::ReadOnly))
            return {};
        QByteArray bytes = in.readAll();
        if (name.endsWith(".VOB"))
            for (qsizetype at = 0; at + 2048 <= bytes.size(); at += 2048) {
                const auto* pack = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
                const unsigned id = pack[0x11];
                if (pack[3] == 0xba && pack[0x0e] == 0 && pack[0x10] == 1 && (id == 0xe0 || id == 0xbd || (id & 0xe0) == 0xc0))
                    bytes[at + 0x14] = char(pack[0x14] | 0x10);
            }
        QFile out(to + name);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return {};
    }
    return to;
}
