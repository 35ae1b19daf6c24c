#include "MediaLibrary.h"

#include <dlfcn.h>
#include <future>
#include <mutex>

extern "C" {
#include <libavformat/version_major.h>
#include <libavutil/log.h>
}

#define VELLORIC_TEXT(x) #x
#define VELLORIC_SONAME(major) "libavformat.so." VELLORIC_TEXT(major)

namespace {

std::once_flag loaded;
TMediaLibrary library;
bool usable = false;
QString loadError;

template <typename T> bool Resolve(void* handle, const char* name, T& function) {
    function = reinterpret_cast<T>(::dlsym(handle, name));
    if (!function)
        loadError = QStringLiteral("%1 has no %2").arg(VELLORIC_SONAME(LIBAVFORMAT_VERSION_MAJOR), name);
    return function != nullptr;
}

void Load() {
    // The major version is the one the program was built against: its structures are the ones we read.
    void* handle = ::dlopen(VELLORIC_SONAME(LIBAVFORMAT_VERSION_MAJOR), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        loadError = QString::fromLocal8Bit(::dlerror());
        return;
    }
    void (*setLogLevel)(int) = nullptr;
    usable = Resolve(handle, "avformat_open_input", library.OpenInput) &&
             Resolve(handle, "avformat_find_stream_info", library.FindStreamInfo) &&
             Resolve(handle, "avformat_close_input", library.CloseInput) &&
             Resolve(handle, "av_dict_get", library.DictGet) && Resolve(handle, "av_strerror", library.ErrorText) &&
             Resolve(handle, "av_log_set_level", setLogLevel);
    if (usable) // the library would write its complaints about a damaged file on our standard error
        setLogLevel(AV_LOG_QUIET);
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
