#include "PictureScan.h"

namespace {

constexpr unsigned char kSequenceHeader = 0xb3, kExtension = 0xb5;
constexpr int kSequenceExtension = 1, kPictureCodingExtension = 8;

} // namespace

void TPictureScan::Feed(const unsigned char* data, size_t size) {
    for (size_t i = 0; i + 4 <= size; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1)
            continue;
        const unsigned char code = data[i + 3];
        const unsigned char* p = data + i + 4;
        const size_t left = size - i - 4;
        if (code == kSequenceHeader && left >= 4)
            FFrameRateCode = p[3] & 0x0f;
        else if (code == kExtension)
            Extension(p, left);
        i += 3;
    }
}

void TPictureScan::Extension(const unsigned char* p, size_t left) {
    if (left < 1)
        return;
    const int id = p[0] >> 4;
    if (id == kSequenceExtension && left >= 2) {
        FProgressiveSequence = (p[1] & 0x08) != 0;
        return;
    }
    if (id != kPictureCodingExtension || left < 5)
        return;
    const int structure = p[2] & 0x03;
    const bool topFirst = (p[3] & 0x80) != 0, repeat = (p[3] & 0x02) != 0, progressive = (p[4] & 0x80) != 0;
    if (structure == 1 || structure == 2) {
        // Field pictures: the first of a pair says which field comes first; the second adds nothing.
        if (FOpenField != 0 && FOpenField != structure) {
            FOpenField = 0;
            return;
        }
        FOpenField = structure;
        ++FPictures;
        ++FInterlaced;
        if (structure == 1)
            ++FTopFirst;
        return;
    }
    FOpenField = 0;
    ++FPictures;
    if (!progressive) {
        ++FInterlaced;
        if (topFirst)
            ++FTopFirst;
    } else if (repeat) {
        ++FRepeated;
    }
}
