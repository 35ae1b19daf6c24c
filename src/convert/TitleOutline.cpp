#include "TitleOutline.h"

#include "dvd/LanguageCodes.h"

#include <algorithm>

namespace {

int Bcd(uint8_t value) {
    return (value >> 4) * 10 + (value & 0x0f);
}

// The two bytes of a language field; a field without a language (type 0, zero bytes) gives "und".
QString LanguageOf(unsigned languageType, uint16_t code) {
    const char text[2] = {char(code >> 8), char(code & 0xff)};
    if (languageType != 1 || text[0] == 0 || text[1] == 0)
        return QStringLiteral("und");
    return ThreeLetterLanguage(QString::fromLatin1(text, 2));
}

} // namespace

double PlaybackSeconds(const dvd_time_t& t) {
    const double fps = (t.frame_u >> 6) == 1 ? 25.0 : (t.frame_u >> 6) == 3 ? 30000.0 / 1001 : 0;
    const double frames = fps > 0 ? Bcd(t.frame_u & 0x3f) / fps : 0;
    return Bcd(t.hour) * 3600.0 + Bcd(t.minute) * 60.0 + Bcd(t.second) + frames;
}

int AudioStreamIdOf(unsigned format, int stream) {
    switch (format) {
    case 0:
        return 0x80 + stream; // AC-3
    case 2:
    case 3:
        return 0x1c0 + stream; // MPEG audio is a stream of its own, not a part of private stream 1
    case 4:
        return 0xa0 + stream; // LPCM
    case 6:
        return 0x88 + stream; // DTS
    default:
        return -1;
    }
}

TTitleOutline ReadTitleOutline(const ifo_handle_t& vts, const pgc_t& pgc, int angle) {
    TTitleOutline outline;
    const vtsi_mat_t& mat = *vts.vtsi_mat;
    const bool wide = mat.vts_video_attr.display_aspect_ratio == 3;
    for (int k = 0; k < std::min<int>(mat.nr_of_vts_audio_streams, 8); ++k)
        if (pgc.audio_control[k] & 0x8000) {
            const audio_attr_t& a = mat.vts_audio_attr[k];
            outline.Audio.push_back({AudioStreamIdOf(a.audio_format, (pgc.audio_control[k] >> 8) & 7),
                                     LanguageOf(a.lang_type, a.lang_code), a.audio_format == 4});
        }
    for (int k = 0; k < std::min<int>(mat.nr_of_vts_subp_streams, 32); ++k) {
        const uint32_t control = pgc.subp_control[k];
        if (control & 0x80000000) {
            const subp_attr_t& s = mat.vts_subp_attr[k];
            outline.Subtitles.push_back({0x20 + int(wide ? (control >> 16) & 0x1f : (control >> 24) & 0x1f),
                                         LanguageOf(s.type, s.lang_code)});
        }
    }
    for (size_t i = 0; i < 16; ++i)
        outline.Palette[i] = pgc.palette[i];

    // Each cell's start; the cells of an angle block share the block's start and its length counts once.
    std::vector<double> cellStart(pgc.nr_of_cells, 0);
    double at = 0;
    for (int i = 0; i < pgc.nr_of_cells && pgc.cell_playback;) {
        int last = i;
        const cell_playback_t& first = pgc.cell_playback[i];
        if (first.block_type == BLOCK_TYPE_ANGLE_BLOCK && first.block_mode == BLOCK_MODE_FIRST_CELL)
            while (last + 1 < pgc.nr_of_cells && pgc.cell_playback[last].block_mode != BLOCK_MODE_LAST_CELL)
                ++last;
        for (int k = i; k <= last; ++k)
            cellStart[size_t(k)] = at;
        at += PlaybackSeconds(pgc.cell_playback[std::min(i + std::max(angle, 0), last)].playback_time);
        i = last + 1;
    }
    for (int p = 0; p < pgc.nr_of_programs && pgc.program_map; ++p) {
        const int cell = pgc.program_map[p]; // numbered from 1
        if (cell >= 1 && cell <= pgc.nr_of_cells)
            outline.ProgramStarts.push_back(cellStart[size_t(cell - 1)]);
    }
    return outline;
}
