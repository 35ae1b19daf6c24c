#include "StreamCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>

#include "tasks/TimeText.h"

QString FindStreamProbe(const QString& stageTwoExePath) {
    const QFileInfo encoder(QFileInfo(stageTwoExePath).canonicalFilePath());
    if (encoder.exists()) {
        const QFileInfo beside(encoder.dir().filePath("ffprobe"));
        if (beside.isFile() && beside.isExecutable())
            return beside.filePath();
    }
    return QStandardPaths::findExecutable("ffprobe");
}

QStringList StreamProbeArguments(const QString& file) {
    return {"-v",
            "quiet",
            "-show_entries",
            "stream=codec_type,duration:stream_tags=DURATION:format=duration",
            "-of",
            "json",
            file};
}

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

QString Seconds2(double seconds) {
    return QString::number(seconds, 'f', 2);
}

} // namespace

bool ParseStreamLengths(const QByteArray& json, TStreamLengths& lengths) {
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    const QJsonArray streams = root["streams"].toArray();
    const double whole = SecondsOf(root["format"].toObject()["duration"].toString());
    lengths = {};
    for (const QJsonValue& value : streams) {
        const QJsonObject s = value.toObject();
        double seconds = SecondsOf(s["duration"].toString());
        if (seconds < 0)
            seconds = SecondsOf(s["tags"].toObject()["DURATION"].toString());
        if (seconds < 0)
            seconds = std::max(whole, 0.0);
        const QString type = s["codec_type"].toString();
        if (type == "video" && lengths.Video < 0)
            lengths.Video = seconds;
        else if (type == "audio" && lengths.Audio < 0)
            lengths.Audio = seconds;
        if (type == "audio")
            lengths.AudioTracks.push_back(seconds);
        else if (type == "subtitle")
            ++lengths.SubtitleTracks;
    }
    return !streams.isEmpty();
}

bool KeepsVideo(const QStringList& stageTwoArguments) {
    return !stageTwoArguments.contains("-vn");
}

bool KeepsAudio(const QStringList& stageTwoArguments) {
    return !stageTwoArguments.contains("-an");
}

QString ShortStreamProblem(const TStreamLengths& lengths, double rangeSeconds, bool video, bool audio) {
    const double shortest = rangeSeconds - std::max(2.0, rangeSeconds * 0.02);
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
    const double shortest = rangeSeconds - std::max(2.0, rangeSeconds * 0.02);
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
