#pragma once

// What ffprobe and ffmpeg tell of a media file, for checking real encoder output.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <cmath>

inline QByteArray RunForOutput(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return p.readAllStandardOutput();
}

inline QJsonObject Probe(const QString& file) {
    return QJsonDocument::fromJson(
               RunForOutput("ffprobe",
                            {"-v", "error", "-show_entries",
                             "format=format_name,duration:stream=codec_type,codec_name,width,height", "-of",
                             "json", file}))
        .object();
}

// Each stream's own length, in "duration" of its entry.
inline QJsonObject ProbeStreams(const QString& file) {
    return QJsonDocument::fromJson(
               RunForOutput("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,duration", "-of",
                                        "json", file}))
        .object();
}

inline double Duration(const QJsonObject& probe) {
    return probe["format"].toObject()["duration"].toString().toDouble();
}

inline QJsonObject Stream(const QJsonObject& probe, const QString& type) {
    for (const QJsonValue& s : probe["streams"].toArray())
        if (s.toObject()["codec_type"].toString() == type)
            return s.toObject();
    return {};
}

// The frequency of the first audio stream around `at` seconds, from its zero crossings.
inline double AudioFrequency(const QString& file, double at) {
    const QByteArray pcm =
        RunForOutput("ffmpeg", {"-v", "error", "-ss", QString::number(at), "-i", file, "-t", "1", "-map",
                                "0:a:0", "-ac", "1", "-ar", "8000", "-f", "s16le", "-"});
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    int crossings = 0;
    for (qsizetype i = 1; i < count; ++i)
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++crossings;
    return count ? crossings / 2.0 / (count / 8000.0) : 0;
}

// One picture at `at` seconds as 8-bit grey, width × height bytes.
inline QByteArray GreyFrame(const QString& file, double at) {
    return RunForOutput("ffmpeg", {"-v", "error", "-ss", QString::number(at), "-i", file, "-frames:v", "1",
                                   "-f", "rawvideo", "-pix_fmt", "gray", "-"});
}

// How many pixels of two grey pictures differ by more than coding noise.
inline qsizetype DifferentPixels(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size() || a.isEmpty())
        return -1;
    qsizetype count = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        count += std::abs(int(quint8(a[i])) - int(quint8(b[i]))) > 40;
    return count;
}

inline double MeanGrey(const QByteArray& frame, int width, int x0, int y0, int x1, int y1) {
    double sum = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            sum += quint8(frame[qsizetype(y) * width + x]);
    return n ? sum / n : 0;
}
