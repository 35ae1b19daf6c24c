#pragma once

#include <QString>

struct AVFormatContext;
struct AVDictionary;
struct AVDictionaryEntry;
struct AVInputFormat;

// The functions of libavformat (and the libavutil it brings) that measure a finished file. The library is
// loaded on first use, not at program start: with everything it depends on it is well over a hundred
// shared libraries, which would add a fifth of a second to every start of both programs.
struct TMediaLibrary {
    int (*OpenInput)(AVFormatContext**, const char*, const AVInputFormat*, AVDictionary**);
    int (*FindStreamInfo)(AVFormatContext*, AVDictionary**);
    void (*CloseInput)(AVFormatContext**);
    AVDictionaryEntry* (*DictGet)(const AVDictionary*, const char*, const AVDictionaryEntry*, int);
    int (*ErrorText)(int, char*, size_t);
};

// The loaded library; null, with error set to the reason, when it cannot be loaded.
const TMediaLibrary* MediaLibrary(QString& error);

// Starts loading the library on a thread of its own, so that it is there when a run's first output is
// measured; a later MediaLibrary() waits for it.
void PreloadMediaLibrary();
