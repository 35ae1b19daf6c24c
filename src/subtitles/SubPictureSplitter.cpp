#include "SubPictureSplitter.h"

#include "convert/ProgramStreamPacks.h"

namespace {

int64_t ReadPts(const unsigned char* p) {
    return (int64_t(p[0] & 0x0e) << 29) | (int64_t(p[1]) << 22) | (int64_t(p[2] & 0xfe) << 14) |
           (int64_t(p[3]) << 7) | (int64_t(p[4]) >> 1);
}

} // namespace

void TSubPictureSplitter::Feed(const unsigned char* packs, int count) {
    for (int i = 0; i < count; ++i)
        FeedPack(packs + size_t(i) * kPackBytes);
}

std::vector<TSubPictureUnit> TSubPictureSplitter::Take() {
    std::vector<TSubPictureUnit> done;
    done.swap(FDone);
    return done;
}

void TSubPictureSplitter::FeedPack(const unsigned char* p) {
    if (p[0] != 0 || p[1] != 0 || p[2] != 1 || p[3] != 0xba)
        return;
    int pos = (p[4] & 0xc0) == 0x40 ? 14 + (p[13] & 7) : 12; // MPEG-2 or MPEG-1 pack header
    while (pos + 6 <= kPackBytes) {
        const unsigned char* packet = p + pos;
        if (packet[0] != 0 || packet[1] != 0 || packet[2] != 1)
            return;
        const int id = packet[3], length = (packet[4] << 8) | packet[5];
        const int end = pos + 6 + length;
        if (end > kPackBytes)
            return;
        // Private stream 1 with an MPEG-2 header: flags, header length, the header, then the sub-stream.
        if (id == 0xbd && length >= 4 && (packet[6] & 0xc0) == 0x80) {
            const int headerLength = packet[8];
            const int payload = pos + 9 + headerLength;
            if (payload < end) {
                const int64_t pts = (packet[7] & 0x80) && headerLength >= 5 ? ReadPts(packet + 9) : -1;
                const int subStream = p[payload];
                if (FWanted.count(subStream))
                    Append(subStream, pts, p + payload + 1, end - payload - 1);
            }
        }
        pos = end;
    }
}

void TSubPictureSplitter::Append(int streamId, int64_t pts, const unsigned char* data, int size) {
    TPending& unit = FPending[streamId];
    if (!unit.Data.isEmpty() && pts >= 0) { // a new unit begins before the last one was whole
        ++FDropped;
        unit = {};
    }
    if (unit.Data.isEmpty()) {
        if (size < 2)
            return;
        unit.Size = (data[0] << 8) | data[1];
        unit.Pts = pts;
        if (unit.Size < 4) {
            ++FDropped;
            unit = {};
            return;
        }
    }
    unit.Data.append(reinterpret_cast<const char*>(data), size);
    if (unit.Data.size() >= unit.Size) {
        FDone.push_back({streamId, unit.Pts, unit.Data.left(unit.Size)});
        unit = {};
    }
}
