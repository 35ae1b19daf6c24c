#include "EncoderSlot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <unistd.h>

namespace {

constexpr qint64 kChunkBytes = 4095;
constexpr qsizetype kTailBytes = 16384;

qint64 NowMs() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

} // namespace

TEncoderSlot::~TEncoderSlot() {
    Terminate();
}

bool TEncoderSlot::Launch(const QString& program, const QStringList& arguments, const QString& workingDir) {
    Terminate();
    FProcess = std::make_unique<QProcess>();
    FProcess->setProcessChannelMode(QProcess::MergedChannels);
    // A group of its own: Ctrl+C in a terminal reaches the program, which stops the encoder itself.
    FProcess->setChildProcessModifier([] { ::setpgid(0, 0); });
    if (!workingDir.isEmpty())
        FProcess->setWorkingDirectory(workingDir);
    FTail.clear();
    FOutputClosed = false;
    QObject::connect(FProcess.get(), &QProcess::readChannelFinished, [this] { FOutputClosed = true; });
    FProcess->start(program, arguments, QIODevice::ReadOnly);
    if (!FProcess->waitForStarted(10000)) {
        FStartError = program + ": " + FProcess->errorString();
        FTail = FStartError.toLocal8Bit();
        return false;
    }
    FStartError.clear();
    FLastOutputMs = NowMs();
    return true;
}

void TEncoderSlot::Wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    QObject::connect(FProcess.get(), &QProcess::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(FProcess.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(FProcess.get(), &QProcess::readChannelFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

bool TEncoderSlot::ReadChunk(QString& text) {
    text.clear();
    for (;;) {
        if (Pump)
            Pump();
        else
            QCoreApplication::processEvents();
        if (!FProcess)
            return false;
        if (FProcess->bytesAvailable() > 0) {
            QByteArray bytes = FProcess->read(kChunkBytes);
            FTail += bytes;
            if (FTail.size() > kTailBytes)
                FTail.remove(0, FTail.size() - kTailBytes);
            const qsizetype nul = bytes.indexOf('\0'); // the text ends at a zero byte
            if (nul >= 0)
                bytes.truncate(nul);
            text = QString::fromLatin1(bytes);
            FLastOutputMs = NowMs();
            return true;
        }
        if (FProcess->state() == QProcess::NotRunning || FOutputClosed)
            return false;
        if (Watch)
            Watch(NowMs() - FLastOutputMs);
        if (FProcess && FProcess->state() != QProcess::NotRunning)
            Wait(100);
    }
}

void TEncoderSlot::Terminate() {
    if (FProcess && FProcess->state() != QProcess::NotRunning) {
        FProcess->kill(); // an encoder stuck at the end of its input ignores anything gentler
        FProcess->waitForFinished(5000);
    }
}

bool TEncoderSlot::Running() const {
    return FProcess && FProcess->state() != QProcess::NotRunning;
}

QProcess::ExitStatus TEncoderSlot::ExitStatus() const {
    return FProcess ? FProcess->exitStatus() : QProcess::CrashExit;
}

int TEncoderSlot::ExitCode() const {
    return FProcess ? FProcess->exitCode() : -1;
}

QString TEncoderSlot::LastLines(int count) const {
    QStringList lines;
    for (const QByteArray& line : FTail.split('\n')) {
        const QList<QByteArray> records = line.split('\r');
        for (const QByteArray& r : records)
            if (!r.trimmed().isEmpty())
                lines << QString::fromLocal8Bit(r.trimmed());
    }
    return lines.mid(std::max<qsizetype>(0, lines.size() - count)).join('\n');
}
