#pragma once

#include <QString>

#include <cstdint>

struct AVCodec;
struct AVCodecContext;
struct AVCodecParserContext;
struct AVFrame;
struct AVDictionary;
struct AVDictionaryEntry;
struct AVFormatContext;
struct AVInputFormat;
struct AVPacket;
struct AVSubtitle;

// The functions of libavformat and libavcodec (and the libavutil they bring) that measure a finished file
// decode sub-pictures and pictures. The libraries are loaded on first use, not at program start: with everything
// they depend on they are well over a hundred shared libraries, which would add a tenth of a second and
// some 20 MB to every start of both programs.
struct TMediaLibrary {
    int (*OpenInput)(AVFormatContext**, const char*, const AVInputFormat*, AVDictionary**);
    int (*FindStreamInfo)(AVFormatContext*, AVDictionary**);
    void (*CloseInput)(AVFormatContext**);
    AVDictionaryEntry* (*DictGet)(const AVDictionary*, const char*, const AVDictionaryEntry*, int);
    int (*DictSet)(AVDictionary**, const char*, const char*, int);
    void (*DictFree)(AVDictionary**);
    int (*ErrorText)(int, char*, size_t);
    const AVCodec* (*FindDecoder)(int);
    AVCodecContext* (*AllocContext)(const AVCodec*);
    int (*OpenCodec)(AVCodecContext*, const AVCodec*, AVDictionary**);
    void (*FreeContext)(AVCodecContext**);
    int (*DecodeSubtitle)(AVCodecContext*, AVSubtitle*, int*, const AVPacket*);
    void (*FreeSubtitle)(AVSubtitle*);
    AVPacket* (*AllocPacket)();
    void (*FreePacket)(AVPacket**);
    // Pictures decoded from an elementary stream (the field cadence of a row).
    AVCodecParserContext* (*ParserInit)(int);
    int (*Parse)(AVCodecParserContext*, AVCodecContext*, uint8_t**, int*, const uint8_t*, int, int64_t, int64_t,
                 int64_t);
    void (*ParserClose)(AVCodecParserContext*);
    int (*SendPacket)(AVCodecContext*, const AVPacket*);
    int (*ReceiveFrame)(AVCodecContext*, AVFrame*);
    AVFrame* (*AllocFrame)();
    void (*FreeFrame)(AVFrame**);
    void (*UnrefFrame)(AVFrame*);
};

// The loaded libraries; null, with error set to the reason, when they cannot be loaded.
const TMediaLibrary* MediaLibrary(QString& error);

// Starts loading the libraries on a thread of their own, so that they are there when a run's first output
// is measured; a later MediaLibrary() waits for them.
void PreloadMediaLibrary();
