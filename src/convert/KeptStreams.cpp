#include "KeptStreams.h"

#include <QFileInfo>

namespace {

QString Hex(int id) {
    return "0x" + QString::number(id, 16);
}

QString CodecOf(const QStringList& profile, const QStringList& switches) {
    QString codec;
    for (qsizetype i = 0; i + 1 < profile.size(); ++i)
        if (switches.contains(profile[i]))
            codec = profile[i + 1];
    return codec;
}

} // namespace

TContainer ContainerOf(const QString& outputPath) {
    const QString ext = QFileInfo(outputPath).suffix().toLower();
    if (ext == "mkv" || ext == "mka")
        return TContainer::Matroska;
    if (ext == "webm")
        return TContainer::WebM;
    if (ext == "mp4" || ext == "m4v" || ext == "mov")
        return TContainer::Mp4;
    if (ext == "mp3")
        return TContainer::Mp3;
    return TContainer::Other;
}

bool TakesSubtitleTracks(TContainer container) {
    return container == TContainer::Matroska || container == TContainer::Mp4;
}

bool TakesOneAudioTrackOnly(TContainer container) {
    return container == TContainer::Mp3;
}

bool CopiesVideo(const QStringList& profile) {
    return CodecOf(profile, {"-vcodec", "-c:v", "-codec:v"}) == "copy";
}

bool CopiesAudio(const QStringList& profile) {
    return CodecOf(profile, {"-acodec", "-c:a", "-codec:a"}) == "copy";
}

QStringList WithoutEncoderOptions(QStringList profile) {
    QStringList dropped;
    if (CopiesVideo(profile))
        dropped << "-b"
                << "-b:v"
                << "-s"
                << "-r"
                << "-vf"
                << "-preset"
                << "-crf";
    if (CopiesAudio(profile))
        dropped << "-ab"
                << "-b:a"
                << "-ar"
                << "-ac"
                << "-af";
    for (qsizetype i = 0; i + 1 < profile.size();) {
        if (dropped.contains(profile[i]))
            profile.remove(i, 2);
        else
            ++i;
    }
    return profile;
}

QStringList KeptStreamArguments(const TKeptStreams& kept) {
    QStringList args;
    for (size_t k = 0; k < kept.Audio.size(); ++k) {
        const QString index = QString::number(k);
        args << "-map"
             << "0:i:" + Hex(kept.Audio[k].Id);
        if (kept.CopyAudio && kept.Audio[k].Lpcm)
            args << "-c:a:" + index << "flac";
        args << "-metadata:s:a:" + index << "language=" + kept.Audio[k].Language;
        args << "-disposition:a:" + index << (k == 0 ? "default" : "0");
    }
    for (size_t k = 0; k < kept.Subtitles.size(); ++k) {
        const QString index = QString::number(k);
        args << "-map"
             << "0:i:" + Hex(kept.Subtitles[k].Id);
        args << "-metadata:s:s:" + index << "language=" + kept.Subtitles[k].Language;
        args << "-disposition:s:" + index << "0";
    }
    if (!kept.Subtitles.empty()) {
        // Decoded and written again as DVD bitmaps, so that the output carries the disc's colours.
        args << "-c:s"
             << "dvdsub";
        if (!kept.Palette.isEmpty())
            args << "-palette:s" << kept.Palette;
        // Matroska would otherwise make the first subtitle a default track, shown on every play.
        if (kept.Container == TContainer::Matroska)
            args << "-default_mode"
                 << "infer_no_subs";
    }
    return args;
}
