#include "TextTracks.h"

#include <QFileInfo>

QString TextTrackCodec(TContainer container) {
    switch (container) {
    case TContainer::Matroska:
        return "srt";
    case TContainer::Mp4:
        return "mov_text";
    case TContainer::WebM:
        return "webvtt";
    default:
        return {};
    }
}

QStringList TextTrackArguments(const QString& input, int subtitleTracks, const std::vector<TTextTrackFile>& files,
                               TContainer container, const QString& output) {
    QStringList args{"-nostdin", "-hide_banner", "-loglevel", "error", "-i", input};
    for (const TTextTrackFile& file : files)
        args << "-f" << "srt" << "-i" << file.Path;
    // Only what the input holds as picture, sound and subtitles: an MP4's chapter text stays a chapter list.
    args << "-map" << "0:v?" << "-map" << "0:a?" << "-map" << "0:s?";
    for (size_t i = 0; i < files.size(); ++i)
        args << "-map" << QString::number(i + 1) + ":0";
    args << "-map_metadata" << "0" << "-map_chapters" << "0" << "-c" << "copy";
    const QString codec = TextTrackCodec(container);
    for (size_t i = 0; i < files.size(); ++i) {
        const QString track = "s:" + QString::number(subtitleTracks + int(i));
        args << "-c:" + track << codec << "-metadata:s:" + track << "language=" + files[i].Language;
        // MP4 names a track by its handler.
        if (files[i].Forced)
            args << "-metadata:s:" + track << (container == TContainer::Mp4 ? "handler_name=Forced" : "title=Forced")
                 << "-disposition:" + track << "forced";
        else
            args << "-disposition:" + track << "0";
    }
    args << "-n" << output;
    return args;
}

QString SideTextFileName(const QString& outputPath, const QString& language, bool forced, int number) {
    const QFileInfo output(outputPath);
    QString name = output.completeBaseName() + "." + language;
    if (number > 0)
        name += "." + QString::number(number);
    if (forced)
        name += ".forced";
    return output.absolutePath() + "/" + name + ".srt";
}
