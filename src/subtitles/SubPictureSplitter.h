#pragma once

#include <QByteArray>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

// One whole sub-picture unit of a DVD sub-picture stream, as its packets carried it.
struct TSubPictureUnit {
    int StreamId = 0;  // 0x20 to 0x3f
    int64_t Pts = -1;  // 90 kHz, of the unit's first packet; -1 when it carried none
    QByteArray Data;   // the unit: its size, the control offset, the pixels and the control sequences
};

// Collects the sub-picture units of the wanted streams from the 2048-byte packs of a program stream. A
// unit may span many packets; its first two bytes give its size. A unit cut short by a new one, a size
// under the unit's header or packets that overrun their pack are dropped, never read past.
class TSubPictureSplitter {
public:
    explicit TSubPictureSplitter(std::set<int> streamIds) : FWanted(std::move(streamIds)) {}

    // Walks count whole packs; finished units go to Take().
    void Feed(const unsigned char* packs, int count);
    std::vector<TSubPictureUnit> Take();
    int Dropped() const { return FDropped; } // units lost to damage

private:
    struct TPending {
        QByteArray Data;
        int64_t Pts = -1;
        int Size = 0;
    };
    void FeedPack(const unsigned char* pack);
    void Append(int streamId, int64_t pts, const unsigned char* data, int size);

    std::set<int> FWanted;
    std::map<int, TPending> FPending;
    std::vector<TSubPictureUnit> FDone;
    int FDropped = 0;
};
