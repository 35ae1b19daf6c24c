#pragma once

#include <cstddef>

// What the MPEG-2 picture headers of a title say about its pictures: the sequence header and extension
// (frame rate, progressive_sequence) and each picture coding extension (progressive_frame,
// top_field_first, repeat_first_field, frame or field picture). Fed with stretches of the video
// elementary stream taken from anywhere in the title; a stretch is read on its own, so a header cut at a
// stretch's edge is only lost, never misread.
class TPictureScan {
public:
    void Feed(const unsigned char* data, size_t size);

    int Pictures() const { return FPictures; }     // frames: a pair of field pictures counts once
    int Interlaced() const { return FInterlaced; } // frames coded as two fields of different times
    int TopFirst() const { return FTopFirst; }     // of those, the ones whose top field comes first
    int Repeated() const { return FRepeated; }     // progressive frames that repeat a field (pulldown)
    bool ProgressiveSequence() const { return FProgressiveSequence; }
    int FrameRateCode() const { return FFrameRateCode; } // 3: 25, 4: 29.97 frames a second; 0 unseen

private:
    void Extension(const unsigned char* p, size_t left);
    int FPictures = 0, FInterlaced = 0, FTopFirst = 0, FRepeated = 0;
    bool FProgressiveSequence = false;
    int FFrameRateCode = 0;
    int FOpenField = 0; // the structure (1 top, 2 bottom) of a field picture still waiting for its pair
};
