#pragma once

// Builds title-set information files byte by byte, for tests of the reader and of disc loading.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

using TBcd = std::array<uint8_t, 4>;

// A playback time of h:m:s plus frames at 25 frames per second (frame code 01).
inline TBcd PalTime(int h, int m, int s, int frames = 0) {
    const auto bcd = [](int n) { return uint8_t((n / 10) << 4 | (n % 10)); };
    return {bcd(h), bcd(m), bcd(s), uint8_t(0x40 | bcd(frames))};
}

struct TChainSpec {
    TBcd PlaybackTime = PalTime(0, 0, 0);
    std::vector<uint8_t> ProgramMap;
    std::vector<TBcd> Cells;
    std::vector<bool> Audio;     // enabled flags, one per audio stream
    std::vector<bool> Subtitles; // enabled flags, one per subtitle stream
    int ProgramCount = -1;       // -1: the size of ProgramMap
    int CellCount = -1;          // -1: the number of cells
};

class TIfoBuilder {
public:
    TIfoBuilder& Video(uint8_t high, uint8_t low) {
        FVideo = {high, low};
        return *this;
    }
    TIfoBuilder& Audio(uint8_t w0, uint8_t w1, const std::string& code, uint8_t extension = 0) {
        FAudio.push_back({w0, w1, uint8_t(code[0]), uint8_t(code[1]), 0, extension, 0, 0});
        return *this;
    }
    TIfoBuilder& Subtitle(const std::string& code) {
        FSubtitles.push_back(code);
        return *this;
    }
    TIfoBuilder& Chain(const TChainSpec& chain) {
        FChains.push_back(chain);
        return *this;
    }
    TIfoBuilder& AudioCountOverride(uint16_t count) {
        FAudioCount = count;
        return *this;
    }
    TIfoBuilder& WithoutIdentifier() {
        FIdentifier = false;
        return *this;
    }
    TIfoBuilder& PgciSector(uint32_t sector) {
        FPgciSector = sector;
        return *this;
    }
    // Room left between the search pointers and the first chain, to put chains at large offsets.
    TIfoBuilder& ChainGap(uint32_t bytes) {
        FChainGap = bytes;
        return *this;
    }

    QByteArray Build() const {
        QByteArray data(0x800, '\0');
        if (FIdentifier)
            data.replace(0, 12, "DVDVIDEO-VTS");
        Put(data, 0x200, FVideo[0]);
        Put(data, 0x201, FVideo[1]);
        Put16(data, 0x202, FAudioCount >= 0 ? uint16_t(FAudioCount) : uint16_t(FAudio.size()));
        for (size_t i = 0; i < FAudio.size(); ++i)
            for (int b = 0; b < 8; ++b)
                Put(data, 0x204 + 8 * i, FAudio[i][b], b);
        Put16(data, 0x254, uint16_t(FSubtitles.size()));
        for (size_t i = 0; i < FSubtitles.size(); ++i) {
            Put(data, 0x256 + 6 * i + 2, uint8_t(FSubtitles[i][0]));
            Put(data, 0x256 + 6 * i + 3, uint8_t(FSubtitles[i][1]));
        }
        Put32(data, 0xCC, FPgciSector);

        const size_t t = size_t(FPgciSector) * 2048;
        Put16(data, t, uint16_t(FChains.size()));
        size_t offset = 8 + 8 * FChains.size() + FChainGap;
        for (size_t i = 0; i < FChains.size(); ++i) {
            const TChainSpec& c = FChains[i];
            Put32(data, t + 12 + 8 * i, uint32_t(offset));
            const size_t q = t + offset;
            Put(data, q + 2, uint8_t(c.ProgramCount >= 0 ? c.ProgramCount : int(c.ProgramMap.size())));
            Put(data, q + 3, uint8_t(c.CellCount >= 0 ? c.CellCount : int(c.Cells.size())));
            for (int b = 0; b < 4; ++b)
                Put(data, q + 4 + b, c.PlaybackTime[b]);
            for (size_t k = 0; k < c.Audio.size(); ++k)
                Put(data, q + 0x0C + 2 * k, c.Audio[k] ? 0x80 : 0);
            for (size_t k = 0; k < c.Subtitles.size(); ++k)
                Put(data, q + 0x1C + 4 * k, c.Subtitles[k] ? 0x80 : 0);
            const size_t mapOffset = 0xEC;
            const size_t cellOffset = mapOffset + ((c.ProgramMap.size() + 3) & ~size_t(3));
            const size_t positionOffset = cellOffset + 24 * c.Cells.size();
            Put16(data, q + 0xE6, uint16_t(mapOffset));
            Put16(data, q + 0xE8, uint16_t(cellOffset));
            Put16(data, q + 0xEA, uint16_t(positionOffset));
            for (size_t k = 0; k < c.ProgramMap.size(); ++k)
                Put(data, q + mapOffset + k, c.ProgramMap[k]);
            for (size_t k = 0; k < c.Cells.size(); ++k)
                for (int b = 0; b < 4; ++b)
                    Put(data, q + cellOffset + 24 * k + 4 + b, c.Cells[k][b]);
            offset += positionOffset + 4 * c.Cells.size();
            Grow(data, t + offset);
        }
        Grow(data, t + 8);
        Put32(data, t + 4, uint32_t(data.size() - t - 1)); // the table's last byte
        return data;
    }

    bool WriteTo(const QString& path) const {
        // A disc's files fill whole 2048-byte sectors, and the DVD library reads no further than the last.
        QByteArray bytes = Build();
        Grow(bytes, (size_t(bytes.size()) + 2047) / 2048 * 2048);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) >= 0;
    }

private:
    static void Grow(QByteArray& data, size_t size) {
        if (size_t(data.size()) < size)
            data.append(QByteArray(qsizetype(size - data.size()), '\0'));
    }
    static void Put(QByteArray& data, size_t at, uint8_t value, size_t plus = 0) {
        Grow(data, at + plus + 1);
        data[qsizetype(at + plus)] = char(value);
    }
    static void Put16(QByteArray& data, size_t at, uint16_t v) {
        Put(data, at, uint8_t(v >> 8));
        Put(data, at + 1, uint8_t(v));
    }
    static void Put32(QByteArray& data, size_t at, uint32_t v) {
        Put16(data, at, uint16_t(v >> 16));
        Put16(data, at + 2, uint16_t(v));
    }

    std::array<uint8_t, 2> FVideo = {0x51, 0x00};
    std::vector<std::array<uint8_t, 8>> FAudio;
    std::vector<std::string> FSubtitles;
    std::vector<TChainSpec> FChains;
    int FAudioCount = -1;
    uint32_t FPgciSector = 1;
    uint32_t FChainGap = 0;
    bool FIdentifier = true;
};
