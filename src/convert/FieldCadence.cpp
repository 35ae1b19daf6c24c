#include "FieldCadence.h"

#include "convert/MediaLibrary.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstdlib>
#include <cstring>

namespace {

// Mean luma difference a line pixel below which a field counts as still: coding noise stays under it.
constexpr double kStill = 1.0;
// A field repeats when it moved this many times less than the other field.
constexpr double kRepeatRatio = 4.0;
constexpr int kFewestMoving = 20;

} // namespace

void TFieldCadence::AddPicture(const unsigned char* luma, int width, int height, int stride) {
    if (!luma || width <= 0 || height < 2)
        return;
    if (width != FWidth || height != FHeight)
        FPrevious.clear();
    if (!FPrevious.empty()) {
        double moved[2] = {0, 0};
        for (int y = 0; y < height; ++y) {
            const unsigned char* now = luma + size_t(y) * size_t(stride);
            const unsigned char* before = FPrevious.data() + size_t(y) * size_t(width);
            long sum = 0;
            for (int x = 0; x < width; ++x)
                sum += std::abs(int(now[x]) - int(before[x]));
            moved[y & 1] += double(sum);
        }
        const double pixels = double(width) * double(height / 2);
        moved[0] /= pixels;
        moved[1] /= pixels;
        const double most = moved[0] > moved[1] ? moved[0] : moved[1];
        const double least = moved[0] > moved[1] ? moved[1] : moved[0];
        if (most >= kStill) {
            ++FMoving;
            if (least * kRepeatRatio < most)
                ++FRepeating;
        }
    }
    FWidth = width;
    FHeight = height;
    FPrevious.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(FPrevious.data() + size_t(y) * size_t(width), luma + size_t(y) * size_t(stride),
                    size_t(width));
}

bool TFieldCadence::HardTelecine() const {
    // The pattern gives 40 %; a cut or a still stretch in the film only lowers it a little, and true
    // interlaced video gives next to none.
    return FMoving >= kFewestMoving && FRepeating * 4 >= FMoving;
}

bool TFieldCadence::AddVideo(const unsigned char* data, size_t size) {
    QString error;
    const TMediaLibrary* av = MediaLibrary(error);
    if (!av || size == 0)
        return false;
    const AVCodec* codec = av->FindDecoder(AV_CODEC_ID_MPEG2VIDEO);
    if (!codec)
        return false;
    AVCodecContext* context = av->AllocContext(codec);
    AVCodecParserContext* parser = av->ParserInit(AV_CODEC_ID_MPEG2VIDEO);
    AVPacket* packet = av->AllocPacket();
    AVFrame* frame = av->AllocFrame();
    int pictures = 0;
    if (context && parser && packet && frame && av->OpenCodec(context, codec, nullptr) >= 0) {
        // Pictures that refer to ones before the stretch are not shown half made.
        context->flags &= ~AV_CODEC_FLAG_OUTPUT_CORRUPT;
        const auto drain = [&]() {
            while (av->ReceiveFrame(context, frame) >= 0) {
                if (!(frame->flags & AV_FRAME_FLAG_CORRUPT)) {
                    AddPicture(frame->data[0], frame->width, frame->height, frame->linesize[0]);
                    ++pictures;
                }
                av->UnrefFrame(frame);
            }
        };
        // The parser reads a little past the end it is given: the stretch is copied with zeroed padding.
        std::vector<unsigned char> padded(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        std::memcpy(padded.data(), data, size);
        const unsigned char* at = padded.data();
        int left = int(size);
        for (;;) {
            uint8_t* out = nullptr;
            int outSize = 0;
            const int used = av->Parse(parser, context, &out, &outSize, left > 0 ? at : nullptr, left,
                                              AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (used < 0)
                break;
            at += used;
            left -= used;
            if (outSize > 0) {
                packet->data = out;
                packet->size = outSize;
                av->SendPacket(context, packet);
                drain();
            } else if (left == 0) {
                break;
            }
        }
        av->SendPacket(context, nullptr);
        drain();
    }
    av->FreeFrame(&frame);
    av->FreePacket(&packet);
    if (parser)
        av->ParserClose(parser);
    av->FreeContext(&context);
    Break();
    return pictures > 0;
}
