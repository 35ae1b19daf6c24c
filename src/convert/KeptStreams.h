#pragma once

#include "convert/TitleOutline.h"

#include <QString>
#include <QStringList>
#include <vector>

// The output's container, told by the output file's extension.
enum class TContainer { Matroska, WebM, Mp4, Mp3, Other };
TContainer ContainerOf(const QString& outputPath);

// Matroska and MP4 take DVD bitmap subtitles as tracks; WebM and AVI do not.
bool TakesSubtitleTracks(TContainer container);
// An MP3 file holds one sound.
bool TakesOneAudioTrackOnly(TContainer container);

// Whether the profile's arguments copy the picture or the sound as the disc has it ("copy" as the codec).
bool CopiesVideo(const QStringList& profile);
bool CopiesAudio(const QStringList& profile);

// The profile's arguments without the options that only an encoder takes (bit rate, size, rate, filters,
// speed), for each kind of stream that is copied; FFmpeg refuses a filter on a copied stream.
QStringList WithoutEncoderOptions(QStringList profile);

// The audio and subtitle tracks an output keeps besides its picture.
struct TKeptStreams {
    std::vector<TListedStream> Audio;     // in this order; the first is the default track
    std::vector<TListedStream> Subtitles; // as switchable tracks, none of them shown by default
    QString Palette;                      // FFmpeg's "rrggbb,..." colours; empty: FFmpeg's own
    TContainer Container = TContainer::Other;
    bool CopyAudio = false; // the profile copies the sound: LPCM, which no container takes, goes to FLAC
};

// The encoder's arguments that keep them: a -map of each stream by its id, the subtitles' and the copied
// LPCM's codecs, each track's language and which tracks are the default ones. Given after the profile's
// arguments, so that a stream's own codec wins over the profile's.
QStringList KeptStreamArguments(const TKeptStreams& kept);
