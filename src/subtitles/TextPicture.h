#pragma once

#include <array>
#include <cstdint>
#include <vector>

// A decoded sub-picture: each pixel an index into four colours, each 0xAARRGGBB (alpha 0: transparent).
struct TSubtitleBitmap {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Indices; // Width * Height, row by row
    std::array<uint32_t, 4> Colours{};
};

// An 8-bit grey picture, row by row, as a text reader takes it.
struct TGreyImage {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Pixels;
    bool Empty() const { return Width == 0 || Height == 0; }
};

// Which of the bitmap's colours draws the letters, -1 when none does. The background is what fills the
// picture's edge (transparent, or the opaque box some discs draw behind the text); of the other colours
// that draw at least a few pixels, the letters' fill is the one that least often borders the background:
// an outline or a shadow lies between the two.
int TextColourOf(const TSubtitleBitmap& bitmap);

// The letters black on white, scale times larger, with a white margin: what a text reader reads best. An
// empty image when the bitmap shows no text colour.
TGreyImage TextOnWhite(const TSubtitleBitmap& bitmap, int scale = 2, int margin = 16);
