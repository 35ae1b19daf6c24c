// Telling woven-in 3:2 pulldown from true interlaced video by the fields of successive pictures.
#include "convert/FieldCadence.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr int kWidth = 64, kHeight = 32;

// A picture whose top lines show the scene at time top and whose bottom lines show it at time bottom; a
// scene is a pattern that moves one pixel a step.
std::vector<unsigned char> Woven(int top, int bottom) {
    std::vector<unsigned char> plane(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const int t = y % 2 == 0 ? top : bottom;
        for (int x = 0; x < kWidth; ++x)
            plane[size_t(y) * kWidth + size_t(x)] = static_cast<unsigned char>(((x + t) / 4 % 2) * 200 + 20);
    }
    return plane;
}

TFieldCadence Watch(int pictures, const std::function<std::vector<unsigned char>(int)>& picture) {
    TFieldCadence cadence;
    for (int i = 0; i < pictures; ++i) {
        const std::vector<unsigned char> plane = picture(i);
        cadence.AddPicture(plane.data(), kWidth, kHeight, kWidth);
    }
    return cadence;
}

// Film frames A B C D as 3:2 pulldown weaves them: AA AB BC CC DD (top field first).
int TopFilmFrame(int i) {
    return i / 5 * 4 + std::vector<int>{0, 0, 1, 2, 3}[size_t(i % 5)];
}
int BottomFilmFrame(int i) {
    return i / 5 * 4 + std::vector<int>{0, 1, 2, 2, 3}[size_t(i % 5)];
}

TEST(FieldCadence, TellsWovenPulldownFromInterlacedAndStillPictures) {
    const struct {
        const char* Name;
        std::function<std::vector<unsigned char>(int)> Picture;
        bool HardTelecine;
    } cases[] = {
        {"3:2 pulldown woven in", [](int i) { return Woven(TopFilmFrame(i), BottomFilmFrame(i)); }, true},
        {"interlaced: each field a later moment", [](int i) { return Woven(2 * i, 2 * i + 1); }, false},
        {"progressive frames", [](int i) { return Woven(i, i); }, false},
        {"a still picture", [](int) { return Woven(0, 1); }, false},
        // A few pictures of film are too few to tell.
        {"too few pictures", [](int i) { return Woven(TopFilmFrame(i % 10), BottomFilmFrame(i % 10)); },
         false},
    };
    for (const auto& c : cases) {
        const TFieldCadence cadence = Watch(std::string(c.Name) == "too few pictures" ? 10 : 60, c.Picture);
        EXPECT_EQ(cadence.HardTelecine(), c.HardTelecine)
            << c.Name << ": " << cadence.Repeating() << " of " << cadence.Moving() << " repeat a field";
    }
}

TEST(FieldCadence, PicturesAcrossABreakAreNotCompared) {
    TFieldCadence cadence;
    for (int i = 0; i < 60; ++i) {
        // Every picture is a new place of the title: nothing is compared, nothing counts.
        const std::vector<unsigned char> plane = Woven(TopFilmFrame(i), BottomFilmFrame(i));
        cadence.AddPicture(plane.data(), kWidth, kHeight, kWidth);
        cadence.Break();
    }
    EXPECT_EQ(cadence.Moving(), 0);
    EXPECT_FALSE(cadence.HardTelecine());
}

TEST(FieldCadence, DecodesNothingFromBytesThatHoldNoPicture) {
    TFieldCadence cadence;
    const std::vector<unsigned char> noise(4096, 0x47);
    EXPECT_FALSE(cadence.AddVideo(noise.data(), noise.size()));
    EXPECT_EQ(cadence.Moving(), 0);
}

} // namespace
