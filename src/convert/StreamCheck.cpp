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
    const double shortest = rangeSeconds - std::max(0.5, rangeSeconds * 0.01);
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
