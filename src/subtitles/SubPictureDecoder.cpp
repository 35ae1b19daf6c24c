#include "SubPictureDecoder.h"

#include "convert/MediaLibrary.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/dict.h>
}

#include <cstring>
#include <vector>

struct TSubPictureDecoder::TCodec {
    const TMediaLibrary* Av = nullptr;
    AVCodecContext* Context = nullptr;
    ~TCodec() {
        if (Context)
            Av->FreeContext(&Context);
    }
};

TSubPictureDecoder::TSubPictureDecoder(const QString& palette) : FCodec(std::make_unique<TCodec>()) {
    QString error;
    const TMediaLibrary* av = FCodec->Av = MediaLibrary(error);
    if (!av)
        return;
    const AVCodec* codec = av->FindDecoder(AV_CODEC_ID_DVD_SUBTITLE);
    if (!codec)
        return;
    FCodec->Context = av->AllocContext(codec);
    if (!FCodec->Context)
        return;
    AVDictionary* options = nullptr;
    if (!palette.isEmpty())
        av->DictSet(&options, "palette", palette.toLatin1().constData(), 0);
    if (av->OpenCodec(FCodec->Context, codec, &options) < 0)
        av->FreeContext(&FCodec->Context);
    av->DictFree(&options);
}

TSubPictureDecoder::~TSubPictureDecoder() = default;

bool TSubPictureDecoder::Ready() const {
    return FCodec->Context != nullptr;
}

bool TSubPictureDecoder::Decode(const TSubPictureUnit& unit, TShownSubPicture& shown) {
    if (!Ready() || unit.Data.isEmpty())
        return false;
    // The decoder reads a little past a packet's end: the padding it asks for is zeroed.
    std::vector<uint8_t> data(size_t(unit.Data.size()) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(data.data(), unit.Data.constData(), size_t(unit.Data.size()));
    const TMediaLibrary& av = *FCodec->Av;
    AVPacket* packet = av.AllocPacket();
    if (!packet)
        return false;
    packet->data = data.data();
    packet->size = int(unit.Data.size());
    packet->pts = unit.Pts;
    AVSubtitle subtitle{};
    int got = 0;
    const int used = av.DecodeSubtitle(FCodec->Context, &subtitle, &got, packet);
    av.FreePacket(&packet);
    if (used < 0 || !got)
        return false;
    bool found = false;
    for (unsigned i = 0; i < subtitle.num_rects && !found; ++i) {
        const AVSubtitleRect* rect = subtitle.rects[i];
        if (rect->type != SUBTITLE_BITMAP || rect->w <= 0 || rect->h <= 0 || !rect->data[0] || !rect->data[1])
            continue;
        TSubtitleBitmap& bitmap = shown.Bitmap;
        bitmap.Width = rect->w;
        bitmap.Height = rect->h;
        bitmap.Indices.resize(size_t(rect->w) * size_t(rect->h));
        for (int y = 0; y < rect->h; ++y)
            std::memcpy(&bitmap.Indices[size_t(y) * size_t(rect->w)], rect->data[0] + size_t(y) * size_t(rect->linesize[0]),
                        size_t(rect->w));
        const uint32_t* colours = reinterpret_cast<const uint32_t*>(rect->data[1]);
        for (int c = 0; c < 4; ++c)
            bitmap.Colours[size_t(c)] = c < rect->nb_colors ? colours[c] : 0;
        shown.Forced = (rect->flags & AV_SUBTITLE_FLAG_FORCED) != 0;
        found = true;
    }
    const int64_t base = unit.Pts < 0 ? 0 : unit.Pts;
    shown.StartPts = base + int64_t(subtitle.start_display_time) * 90;
    shown.EndPts = subtitle.end_display_time == UINT32_MAX || subtitle.end_display_time <= subtitle.start_display_time
                       ? -1
                       : base + int64_t(subtitle.end_display_time) * 90;
    av.FreeSubtitle(&subtitle);
    return found;
}
