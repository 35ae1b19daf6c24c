#pragma once

// What the screenshot tools share: letting the window settle, and saving a picture with a word of where.
#include <QEventLoop>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <cstdio>

inline void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool SaveShot(const QPixmap& shot, const QString& path) {
    const bool saved = shot.save(path);
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}
