#include "MediaLibrary.h"

#include "convert/SharedLibrary.h"

#include <future>
#include <mutex>

extern "C" {
#include <libavcodec/version_major.h>
#include <libavformat/version_major.h>
#include <libavutil/log.h>
}

#define VELLORIC_TEXT(x) #x
#define VELLORIC_SONAME(name, major) "lib" name ".so." VELLORIC_TEXT(major)

namespace {

std::once_flag loaded;
TMediaLibrary library;
bool usable = false;
QString loadError;

void Load() {
    // The major versions are the ones the program was built against: their structures are the ones we read.
    TSharedLibrary format(VELLORIC_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR));
    TSharedLibrary codec(VELLORIC_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR));
    void (*setLogLevel)(int) = nullptr;
    usable = format.Resolve("avformat_open_input", library.OpenInput) &&
             format.Resolve("avformat_find_stream_info", library.FindStreamInfo) &&
             format.Resolve("avformat_close_input", library.CloseInput) &&
             format.Resolve("av_dict_get", library.DictGet) && format.Resolve("av_dict_set", library.DictSet) &&
             format.Resolve("av_dict_free", library.DictFree) &&
             format.Resolve("av_strerror", library.ErrorText) &&
             format.Resolve("av_log_set_level", setLogLevel) &&
             codec.Resolve("avcodec_find_decoder", library.FindDecoder) &&
             codec.Resolve("avcodec_alloc_context3", library.AllocContext) &&
             codec.Resolve("avcodec_open2", library.OpenCodec) &&
             codec.Resolve("avcodec_free_context", library.FreeContext) &&
             codec.Resolve("avcodec_decode_subtitle2", library.DecodeSubtitle) &&
             codec.Resolve("avsubtitle_free", library.FreeSubtitle) &&
             codec.Resolve("av_packet_alloc", library.AllocPacket) &&
             codec.Resolve("av_packet_free", library.FreePacket) &&
             codec.Resolve("av_parser_init", library.ParserInit) &&
             codec.Resolve("av_parser_parse2", library.Parse) &&
             codec.Resolve("av_parser_close", library.ParserClose) &&
             codec.Resolve("avcodec_send_packet", library.SendPacket) &&
             codec.Resolve("avcodec_receive_frame", library.ReceiveFrame) &&
             codec.Resolve("av_frame_alloc", library.AllocFrame) &&
             codec.Resolve("av_frame_free", library.FreeFrame) &&
             codec.Resolve("av_frame_unref", library.UnrefFrame);
    if (!usable) {
        loadError = !format.ErrorText().isEmpty() ? format.ErrorText() : codec.ErrorText();
        return;
    }
    // the libraries would write their complaints about a damaged file on our standard error
    setLogLevel(AV_LOG_QUIET);
    format.Keep();
    codec.Keep();
}

std::future<void> preloading; // waited for at exit, so the loading never races the program's end

} // namespace

const TMediaLibrary* MediaLibrary(QString& error) {
    std::call_once(loaded, Load);
    error = loadError;
    return usable ? &library : nullptr;
}

void PreloadMediaLibrary() {
    static std::once_flag started;
    std::call_once(started, [] {
        preloading = std::async(std::launch::async, [] {
            QString error;
            MediaLibrary(error);
        });
    });
}
