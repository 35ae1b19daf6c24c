#pragma once

#include <QString>

// An encrypted (CSS) disc marks each scrambled pack in the pack itself: the PES scrambling-control bits of
// its video or audio packet. Without a decryption library the DVD library hands such packs out as they
// are, and an encoder makes garbage of them.

// Whether a 2048-byte pack is a video or audio pack whose scrambling bits are set.
bool IsScrambledPack(const unsigned char* pack);

// How many of count packs are scrambled.
int ScrambledPackCount(const unsigned char* packs, int count);

// Whether a line the DVD library logs at its opening says it has no decryption library.
bool SaysNoDecryption(const char* logLine);

// Why a title whose packs are scrambled cannot be converted, and what the user can do. noDecryption: the
// DVD library said it has no decryption library; otherwise it has one that did not decrypt these packs.
QString EncryptedTitleText(const QString& where, bool noDecryption);
