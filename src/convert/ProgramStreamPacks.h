#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// Small readers and writers of the 2048-byte packs of a DVD's MPEG-2 program stream.

constexpr int kPackBytes = 2048;

// A navigation pack: a pack header, a system header, then the PCI and DSI private-stream-2 packets.
bool IsNavPack(const unsigned char* pack);

// The earliest PTS (90 kHz) of the audio and video packets in count packs, and the first video PTS, -1
// where none; FFmpeg counts its time from the earliest. False when no packet carries one.
bool FirstTimestamps(const unsigned char* packs, int count, int64_t& earliest, int64_t& video);

// The streams that have packets in count packs, sorted, by the ids FFmpeg gives them: 0xe0.. video,
// 0x1c0.. MPEG audio, and the sub-stream number of private stream 1 (0x20.. sub-pictures, 0x80.. AC-3,
// 0x88.. DTS, 0xa0.. LPCM).
std::vector<int> StreamIdsIn(const unsigned char* packs, int count);

// The payload of the MPEG video packets (0xe0..0xef) in count packs, in order: the video elementary stream.
QByteArray VideoPayload(const unsigned char* packs, int count);

// One pack holding a sub-picture of 2x2 transparent pixels on stream streamId (0x20 to 0x3f), stamped
// pts: decoded, it shows nothing. packHeader is the 14-byte header to copy (its clock reference); another
// size gives a header with a zero clock.
QByteArray BlankSubPicturePack(const QByteArray& packHeader, int streamId, int64_t pts);
