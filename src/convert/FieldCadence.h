#pragma once

#include <cstddef>
#include <vector>

// Tells hard telecined film from true interlaced video by looking at decoded pictures. 3:2 pulldown woven
// into the pictures repeats a field in two of each five: that field's lines equal the same field of the
// picture before, while the other field moved. True interlaced video moves in both fields every picture.
class TFieldCadence {
public:
    // The luma plane of the next picture in display order; stride bytes from line to line.
    void AddPicture(const unsigned char* luma, int width, int height, int stride);
    // Decodes a stretch of MPEG-2 video elementary stream (from anywhere in the title: the pictures before
    // its first whole group are skipped) and adds its pictures, then breaks. False when it held no picture.
    bool AddVideo(const unsigned char* data, size_t size);
    // The pictures that follow do not continue the last one (another place of the title).
    void Break() { FPrevious.clear(); }

    int Moving() const { return FMoving; }       // pictures that differ from the one before in either field
    int Repeating() const { return FRepeating; } // of those, the ones with one field still and one moving
    // Enough moving pictures were seen, and close to two in five of them repeat a field.
    bool HardTelecine() const;

private:
    std::vector<unsigned char> FPrevious;
    int FWidth = 0, FHeight = 0;
    int FMoving = 0, FRepeating = 0;
};
