#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include <dvdread/ifo_types.h>

// A stream the title's program chain lists: its program stream id and its language.
struct TListedStream {
    int Id = -1;
    QString Language;  // ISO 639-2, "und" when the disc names none
    bool Lpcm = false; // linear PCM, which no output container takes as the disc stores it
};

// What a title's program chain tells besides its cells.
struct TTitleOutline {
    std::vector<TListedStream> Audio;     // the enabled audio streams, in the title's order
    std::vector<TListedStream> Subtitles; // the enabled sub-picture streams, in the title's order
    std::vector<double> ProgramStarts;    // each program's (chapter's) start, seconds from the title's start
    std::array<uint32_t, 16> Palette{};   // the sub-picture colours, each 0x00YYCrCb
};

// Reads the outline of program chain pgc of title set vts. A 16:9 title's sub-pictures come from the
// streams made for wide screens; in an angle block the chosen angle's cell counts, once.
TTitleOutline ReadTitleOutline(const ifo_handle_t& vts, const pgc_t& pgc, int angle);

// A cell's playing time in seconds (BCD hours, minutes, seconds and frames at the rate its top bits name).
double PlaybackSeconds(const dvd_time_t& time);

// The stream id of the k-th DVD audio stream (numbered within its format) of a format code; -1 for a
// format the program stream cannot carry.
int AudioStreamIdOf(unsigned format, int stream);
