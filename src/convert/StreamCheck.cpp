#include "StreamCheck.h"

#include <QFile>
#include <algorithm>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include "convert/MediaLibrary.h"

#include "tasks/TimeText.h"

namespace {

// "12.040000" or, from Matroska's tag, "00:00:12.040000000"; -1 when neither.
double SecondsOf(const QString& text) {
    bool ok = false;
    const double plain = text.toDouble(&ok);
    if (ok)
        return plain;
    const double timed = TimeTextToSeconds(text);
    return timed >= 0 ? timed : -1;
}

QString AvError(const TMediaLibrary& av, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av.ErrorText(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

// The shortest a kept stream may come out: a range may lose a frame or two at each end, never 0.5 s or 1 %.
double ShortestAllowed(double rangeSeconds) {
    return rangeSeconds - std::max(0.5, rangeSeconds * 0.01);
}

QString Seconds2(double seconds) {
    return QString::number(seconds, 'f', 2);
}

} // namespace

bool MeasureStreamLengths(const QString& file, TStreamLengths& lengths, QString& error) {
    lengths = {};
    const TMediaLibrary* av = MediaLibrary(error);
    if (!av) {
        error = "the media library cannot be loaded: " + error;
        return false;
    }
    AVFormatContext* raw = nullptr;
    const QByteArray path = QFile::encodeName(file);
    if (const int code = av->OpenInput(&raw, path.constData(), nullptr, nullptr); code < 0) {
        error = file + ": " + AvError(*av, code);
        return false;
    }
    const auto close = [av](AVFormatContext* c) { av->CloseInput(&c); };
    const std::unique_ptr<AVFormatContext, decltype(close)> input(raw, close);
    // A length the headers do not hold is estimated from the stream itself (its last packets, or its bit
    // rate), which costs reading and decoding some of it: only then.
    const auto headerSeconds = [av](const AVStream* s) {
        if (s->duration != AV_NOPTS_VALUE && s->duration > 0)
            return s->duration * av_q2d(s->time_base);
        // Matroska and WebM keep it as a tag
        const AVDictionaryEntry* tag = av->DictGet(s->metadata, "DURATION", nullptr, 0);
        return tag ? SecondsOf(QString::fromUtf8(tag->value)) : -1.0;
    };
    bool known = input->nb_streams > 0;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        known = known && headerSeconds(input->streams[i]) >= 0 &&
                input->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_UNKNOWN;
    if (!known)
        if (const int code = av->FindStreamInfo(input.get(), nullptr); code < 0) {
            error = file + ": " + AvError(*av, code);
            return false;
        }
    const double whole =
        input->duration != AV_NOPTS_VALUE && input->duration > 0 ? double(input->duration) / AV_TIME_BASE : 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* s = input->streams[i];
        double seconds = headerSeconds(s);
        if (seconds < 0)
            seconds = whole;
        const AVMediaType type = s->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC) && lengths.Video < 0)
            lengths.Video = seconds;
        else if (type == AVMEDIA_TYPE_AUDIO && lengths.Audio < 0)
            lengths.Audio = seconds;
        if (type == AVMEDIA_TYPE_AUDIO)
            lengths.AudioTracks.push_back(seconds);
        else if (type == AVMEDIA_TYPE_SUBTITLE)
            ++lengths.SubtitleTracks;
    }
    if (input->nb_streams == 0) {
        error = file + ": no streams";
        return false;
    }
    return true;
}

bool KeepsVideo(const QStringList& stageTwoArguments) {
    return !stageTwoArguments.contains("-vn");
}

bool KeepsAudio(const QStringList& stageTwoArguments) {
    return !stageTwoArguments.contains("-an");
}

QString ShortStreamProblem(const TStreamLengths& lengths, double rangeSeconds, bool video, bool audio) {
    const double shortest = ShortestAllowed(rangeSeconds);
    QStringList faults;
    const auto check = [&](bool kept, double seconds, const QString& name) {
        if (!kept)
            return;
        if (seconds < 0)
            faults << "it has no " + name + " stream";
        else if (seconds < shortest)
            faults << "its " + name + " is " + Seconds2(seconds) + " s long";
    };
    check(video, lengths.Video, "video");
    check(audio, lengths.Audio, "audio");
    if (faults.isEmpty())
        return {};
    return "The output is incomplete: " + faults.join(" and ") + ", but the range is " +
           Seconds2(rangeSeconds) +
           " s. The disc may be damaged, the work or output folder may have run out of space, or an encoder "
           "could not decode the stream.";
}

TKeptCounts KeptCounts(const QStringList& arguments, bool titleHasAudio) {
    TKeptCounts kept;
    kept.Video = KeepsVideo(arguments);
    bool mapped = false;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] != "-map")
            continue;
        mapped = true;
        const QString map = arguments[i + 1];
        bool ok = false;
        const int id = map.startsWith("0:i:") ? map.mid(4).toInt(&ok, 16) : -1;
        if (ok && id >= 0x20 && id <= 0x3f)
            ++kept.Subtitles;
        else if ((ok && id >= 0x80) || map.startsWith("0:a"))
            ++kept.Audio;
    }
    if (!mapped)
        kept.Audio = KeepsAudio(arguments) ? 1 : 0;
    if (!KeepsAudio(arguments) || !titleHasAudio)
        kept.Audio = 0;
    return kept;
}

QString ShortStreamProblem(const TStreamLengths& lengths, double rangeSeconds, const TKeptCounts& kept) {
    QString problem = ShortStreamProblem(lengths, rangeSeconds, kept.Video, kept.Audio > 0);
    if (!problem.isEmpty() || kept.Audio <= 1)
        return problem;
    const double shortest = ShortestAllowed(rangeSeconds);
    QStringList faults;
    if (int(lengths.AudioTracks.size()) < kept.Audio)
        faults << QStringLiteral("it has %1 of its %2 audio tracks").arg(lengths.AudioTracks.size()).arg(kept.Audio);
    for (size_t k = 0; k < lengths.AudioTracks.size(); ++k)
        if (lengths.AudioTracks[k] < shortest)
            faults << QStringLiteral("its audio track %1 is %2 s long").arg(k + 1).arg(Seconds2(lengths.AudioTracks[k]));
    if (faults.isEmpty())
        return {};
    return "The output is incomplete: " + faults.join(" and ") + ", but the range is " + Seconds2(rangeSeconds) +
           " s. The disc may be damaged, or an encoder could not decode the stream.";
}

QString MissingSubtitleNote(const TStreamLengths& lengths, const TKeptCounts& kept) {
    if (lengths.SubtitleTracks >= kept.Subtitles)
        return {};
    return QStringLiteral("%1 of its %2 subtitle tracks had no picture within the range and were left out")
        .arg(kept.Subtitles - lengths.SubtitleTracks)
        .arg(kept.Subtitles);
}
