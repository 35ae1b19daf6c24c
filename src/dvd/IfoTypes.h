#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One parsed title-set information file (VTS_xx_0.IFO). Texts are 8-bit strings as on the disc.

struct TVideoStream {
    std::string AspectRatio; // "4:3", "16:9" or "???"
    std::string Standard;    // "NTSC", "PAL" or "???"
    std::string CodingMode;  // "MPEG1" or "MPEG2"
    std::string FrameSize;   // "720x576" and so on
};

struct TAudioStream {
    uint8_t LanguageType = 0;
    std::string LanguageName;
    std::string LanguageCode; // exactly the two bytes stored in the file, zero bytes included
    std::string CodingMode;
    uint8_t ChannelCount = 0;
    std::string CodeExtension;
};

struct TVTS_VOBS {
    uint16_t AudioCount = 0;
    uint8_t SubtitleCount = 0;
    TVideoStream Video;
    std::vector<TAudioStream> Audio;
    std::vector<std::string> SubtitleLanguages;
};

// Where a cell's video lies in its title set's video files: its first and last sector.
struct TCellSectors {
    uint32_t First = 0;
    uint32_t Last = 0;
    bool operator==(const TCellSectors&) const = default;
};

struct TProgramChain {
    uint8_t ProgramCount = 0;
    uint8_t CellCount = 0;
    std::string PlaybackTime; // "h:mm:ss.zzz"
    std::vector<uint8_t> ProgramMap;
    std::vector<std::string> ChapterDurations;
    std::vector<std::string> ChapterStarts;
    std::vector<bool> AudioEnabled;
    std::vector<bool> SubtitleEnabled;
    std::vector<TCellSectors> CellSectors; // every cell in playing order; empty when the table is unreadable
};

struct TVTS_PGCI {
    uint16_t ChainCount = 0;
    std::vector<TProgramChain> Chains;
};

struct TIFO {
    TVTS_VOBS Vobs;
    TVTS_PGCI Pgci;
};
