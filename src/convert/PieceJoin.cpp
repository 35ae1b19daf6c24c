#include "PieceJoin.h"

QString ConcatList(const QStringList& files) {
    QString list = "ffconcat version 1.0\n";
    for (QString file : files)
        list += "file '" + file.replace('\'', "'\\''") + "'\n";
    return list;
}

QStringList JoinArguments(const QString& listFile, const QString& rest, const QStringList& profile,
                          double seconds, const QString& outputPath) {
    QStringList args{"-y", "-f", "concat", "-safe", "0", "-i", listFile};
    if (!rest.isEmpty())
        args << "-i" << rest;
    args << "-map"
         << "0:v:0";
    if (!rest.isEmpty())
        // Its sound and subtitle tracks; not its data streams: an MP4 keeps its chapters as a text stream,
        // which the chapters copied here make again.
        args << "-map"
             << "1:a?"
             << "-map"
             << "1:s?"
             << "-map_chapters"
             << "1"
             << "-map_metadata"
             << "1";
    args << "-c"
         << "copy"
         << "-t" << QString::number(seconds, 'f', 3);
    for (qsizetype i = 0; i + 1 < profile.size(); ++i)
        if (profile[i] == "-f" || profile[i] == "-movflags")
            args << profile[i] << profile[i + 1];
    args << outputPath;
    return args;
}
