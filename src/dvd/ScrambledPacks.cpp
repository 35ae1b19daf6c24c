#include "ScrambledPacks.h"

#include <cstring>

bool IsScrambledPack(const unsigned char* pack) {
    // An MPEG-2 pack header (14 bytes and its stuffing), then the packet: 00 00 01, its stream id, its
    // length, then the flags byte whose bits 0x30 say how the packet is scrambled. On a DVD the flags
    // byte is byte 0x14 of the pack.
    if (pack[0] != 0 || pack[1] != 0 || pack[2] != 1 || pack[3] != 0xba || (pack[4] & 0xc0) != 0x40)
        return false;
    const int packet = 14 + (pack[13] & 7);
    if (pack[packet] != 0 || pack[packet + 1] != 0 || pack[packet + 2] != 1)
        return false;
    const unsigned id = pack[packet + 3];
    const bool media = (id >= 0xc0 && id <= 0xef) || id == 0xbd; // MPEG audio, video, private stream 1
    return media && (pack[packet + 6] & 0x30) != 0;
}

int ScrambledPackCount(const unsigned char* packs, int count) {
    int scrambled = 0;
    for (int i = 0; i < count; ++i)
        scrambled += IsScrambledPack(packs + size_t(i) * 2048) ? 1 : 0;
    return scrambled;
}

bool SaysNoDecryption(const char* logLine) {
    return std::strstr(logLine, "Encrypted DVD support unavailable") != nullptr;
}

QString EncryptedTitleText(const QString& where, bool noDecryption) {
    if (noDecryption)
        return where +
               ": the title is encrypted (CSS) and no decryption library (libdvdcss) is installed, so its "
               "picture and sound cannot be read. Install libdvdcss (on Debian: the libdvd-pkg package, then "
               "\"sudo dpkg-reconfigure libdvd-pkg\") and open the disc again, or convert a decrypted copy.";
    return where +
           ": the title is encrypted (CSS) and the decryption library (libdvdcss) could not decrypt it. Try "
           "the disc in another drive (a drive's region setting can refuse the keys), or convert a "
           "decrypted copy.";
}
