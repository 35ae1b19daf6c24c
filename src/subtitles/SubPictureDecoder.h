#pragma once

#include "subtitles/SubPictureSplitter.h"
#include "subtitles/TextPicture.h"

#include <QString>
#include <memory>

// A sub-picture unit decoded: its picture and when it shows.
struct TShownSubPicture {
    TSubtitleBitmap Bitmap;
    int64_t StartPts = -1, EndPts = -1; // 90 kHz; EndPts -1 when the unit has no stop command
    bool Forced = false;                // the disc shows it even with subtitles off
};

// Decodes DVD sub-picture units with FFmpeg's decoder, in the colours of the title's palette.
class TSubPictureDecoder {
public:
    // palette: "rrggbb,..." (16 colours), empty for the decoder's own greys.
    explicit TSubPictureDecoder(const QString& palette);
    ~TSubPictureDecoder();
    TSubPictureDecoder(const TSubPictureDecoder&) = delete;
    TSubPictureDecoder& operator=(const TSubPictureDecoder&) = delete;

    bool Ready() const; // false when the decoder could not be opened
    // False when the unit decodes to nothing that shows (a damaged unit, a stop alone, no bitmap).
    bool Decode(const TSubPictureUnit& unit, TShownSubPicture& shown);

private:
    struct TCodec;
    std::unique_ptr<TCodec> FCodec;
};
