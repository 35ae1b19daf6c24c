#include "TextPicture.h"

#include <algorithm>

int TextColourOf(const TSubtitleBitmap& b) {
    if (b.Width <= 0 || b.Height <= 0 || b.Indices.size() != size_t(b.Width) * size_t(b.Height))
        return -1;
    const auto at = [&](int x, int y) { return b.Indices[size_t(y) * size_t(b.Width) + size_t(x)] & 3; };
    const auto opaque = [&](int colour) { return (b.Colours[size_t(colour)] >> 24) >= 0x40; };

    // The background: transparent colours, and the colour that holds most of the edge when it is opaque.
    std::array<long, 4> edge{};
    for (int x = 0; x < b.Width; ++x) {
        ++edge[size_t(at(x, 0))];
        ++edge[size_t(at(x, b.Height - 1))];
    }
    for (int y = 0; y < b.Height; ++y) {
        ++edge[size_t(at(0, y))];
        ++edge[size_t(at(b.Width - 1, y))];
    }
    std::array<bool, 4> background{};
    for (int c = 0; c < 4; ++c)
        background[size_t(c)] = !opaque(c);
    background[size_t(std::max_element(edge.begin(), edge.end()) - edge.begin())] = true;

    std::array<long, 4> count{}, bordering{};
    for (int y = 0; y < b.Height; ++y)
        for (int x = 0; x < b.Width; ++x) {
            const int c = at(x, y);
            if (background[size_t(c)])
                continue;
            ++count[size_t(c)];
            const bool touches = (x > 0 && background[size_t(at(x - 1, y))]) ||
                                 (x + 1 < b.Width && background[size_t(at(x + 1, y))]) ||
                                 (y > 0 && background[size_t(at(x, y - 1))]) ||
                                 (y + 1 < b.Height && background[size_t(at(x, y + 1))]);
            bordering[size_t(c)] += touches;
        }
    const long drawn = count[0] + count[1] + count[2] + count[3];
    int text = -1;
    double best = 2;
    for (int c = 0; c < 4; ++c) {
        // A colour of a handful of pixels is a speck or an edge's shading, not the letters.
        if (background[size_t(c)] || count[size_t(c)] == 0 || count[size_t(c)] * 20 < drawn)
            continue;
        const double share = double(bordering[size_t(c)]) / double(count[size_t(c)]);
        if (share < best) {
            best = share;
            text = c;
        }
    }
    return text;
}

TGreyImage TextOnWhite(const TSubtitleBitmap& b, int scale, int margin) {
    const int text = TextColourOf(b);
    if (text < 0)
        return {};
    scale = std::max(1, scale);
    TGreyImage image;
    image.Width = b.Width * scale + 2 * margin;
    image.Height = b.Height * scale + 2 * margin;
    image.Pixels.assign(size_t(image.Width) * size_t(image.Height), 255);
    for (int y = 0; y < b.Height; ++y)
        for (int x = 0; x < b.Width; ++x) {
            if ((b.Indices[size_t(y) * size_t(b.Width) + size_t(x)] & 3) != text)
                continue;
            for (int dy = 0; dy < scale; ++dy) {
                uint8_t* row = &image.Pixels[size_t(margin + y * scale + dy) * size_t(image.Width)];
                std::fill_n(row + margin + x * scale, scale, uint8_t(0));
            }
        }
    return image;
}
