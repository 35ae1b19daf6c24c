#include "ProgramStreamPacks.h"

#include <algorithm>
#include <cstring>

bool IsNavPack(const unsigned char* b) {
    return b[0] == 0 && b[1] == 0 && b[2] == 1 && b[3] == 0xba && b[38] == 0 && b[39] == 0 && b[40] == 1 &&
           b[41] == 0xbf && b[1024] == 0 && b[1025] == 0 && b[1026] == 1 && b[1027] == 0xbf;
}

namespace {

// Calls visit(pack, at, id, length) for each packet of the MPEG-2 packs among count packs: at is where the
// packet starts in its pack.
template <class F> void ForEachPacket(const unsigned char* packs, int count, F visit) {
    for (int p = 0; p < count; ++p) {
        const unsigned char* b = packs + qsizetype(p) * kPackBytes;
        if (b[0] != 0 || b[1] != 0 || b[2] != 1 || b[3] != 0xba || (b[4] & 0xc0) != 0x40)
            continue; // not an MPEG-2 pack
        for (int at = 14 + (b[13] & 7); at + 14 <= kPackBytes;) {
            if (b[at] != 0 || b[at + 1] != 0 || b[at + 2] != 1)
                break;
            const int id = b[at + 3], length = (b[at + 4] << 8) | b[at + 5];
            visit(b, at, id, length);
            at += 6 + length;
        }
    }
}

} // namespace

bool FirstTimestamps(const unsigned char* packs, int count, int64_t& earliest, int64_t& video) {
    earliest = video = -1;
    ForEachPacket(packs, count, [&](const unsigned char* b, int at, int id, int) {
        bool timed = (id >= 0xc0 && id <= 0xef); // MPEG audio and video
        if (id == 0xbd) { // private stream 1: audio from sub-stream 0x80 on, sub-pictures below it
            const int sub = at + 9 + b[at + 8];
            timed = sub < kPackBytes && b[sub] >= 0x80;
        }
        if (timed && (b[at + 6] & 0xc0) == 0x80 && (b[at + 7] & 0x80)) {
            const unsigned char* t = b + at + 9;
            const int64_t pts = (int64_t(t[0] & 0x0e) << 29) | (int64_t(t[1]) << 22) |
                                (int64_t(t[2] & 0xfe) << 14) | (int64_t(t[3]) << 7) | (t[4] >> 1);
            if (earliest < 0 || pts < earliest)
                earliest = pts;
            if (id >= 0xe0 && video < 0)
                video = pts;
        }
    });
    return earliest >= 0;
}

std::vector<int> StreamIdsIn(const unsigned char* packs, int count) {
    std::vector<int> ids;
    const auto add = [&ids](int id) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    };
    ForEachPacket(packs, count, [&](const unsigned char* b, int at, int id, int length) {
        if (id == 0xbd) {
            const int sub = at + 9 + b[at + 8];
            if (sub < kPackBytes && sub < at + 6 + length)
                add(b[sub]);
        } else if (id >= 0xc0 && id <= 0xdf) {
            add(0x100 + id);
        } else if (id >= 0xe0 && id <= 0xef) {
            add(id);
        }
    });
    std::sort(ids.begin(), ids.end());
    return ids;
}

QByteArray VideoPayload(const unsigned char* packs, int count) {
    QByteArray payload;
    ForEachPacket(packs, count, [&](const unsigned char* b, int at, int id, int length) {
        if (id < 0xe0 || id > 0xef || (b[at + 6] & 0xc0) != 0x80)
            return;
        const int from = at + 9 + b[at + 8], to = std::min(at + 6 + length, kPackBytes);
        if (from < to)
            payload.append(reinterpret_cast<const char*>(b + from), to - from);
    });
    return payload;
}

QByteArray BlankSubPicturePack(const QByteArray& packHeader, int streamId, int64_t pts) {
    static const unsigned char zeroClock[14] = {0x00, 0x00, 0x01, 0xba, 0x44, 0x00, 0x04,
                                                0x00, 0x04, 0x01, 0x01, 0x89, 0xc3, 0xf8};
    // The sub-picture unit: its size, where its control sequence starts, one line of each field run to
    // the end in colour 0, then the one control sequence: colours, all transparent, the area 0..1 x 0..1,
    // the fields' offsets, show at once, end.
    static const unsigned char unit[32] = {0x00, 32,   0x00, 8,    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           8,    0x03, 0x00, 0x00, 0x04, 0x00, 0x00, 0x05, 0x00, 0x00, 0x01,
                                           0x00, 0x00, 0x01, 0x06, 0x00, 0x04, 0x00, 0x06, 0x01, 0xff};
    QByteArray pack;
    const auto put = [&pack](std::initializer_list<int> bytes) {
        for (int b : bytes)
            pack.append(char(b & 0xff));
    };
    const bool copy = packHeader.size() == 14 && (quint8(packHeader[4]) & 0xc0) == 0x40;
    pack.append(copy ? packHeader : QByteArray(reinterpret_cast<const char*>(zeroClock), 14));
    pack[13] = char(pack[13] & 0xf8); // no stuffing bytes follow
    // Private stream 1: an MPEG-2 header with the PTS alone, the sub-stream number, the unit.
    put({0x00, 0x00, 0x01, 0xbd, 0x00, 3 + 5 + 1 + int(sizeof unit), 0x81, 0x80, 0x05});
    put({int(0x21 | ((pts >> 29) & 0x0e)), int(pts >> 22), int(((pts >> 14) & 0xfe) | 1), int(pts >> 7),
         int(((pts << 1) & 0xfe) | 1), streamId});
    pack.append(reinterpret_cast<const char*>(unit), sizeof unit);
    const int padding = kPackBytes - int(pack.size()) - 6; // the rest of the pack is a padding packet
    put({0x00, 0x00, 0x01, 0xbe, padding >> 8, padding});
    pack.append(padding, char(0xff));
    return pack;
}
