#include "EncoderSlot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>
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

// Why a program cannot be started, in the system's words where it has them.
QString WhyNotStartable(const QString& program, const QString& fallback) {
    const QFileInfo info(program);
    if (info.isSymLink() && !info.exists())
        return "the link points to " + info.symLinkTarget() + ", which does not exist";
    if (::access(QFile::encodeName(program).constData(), X_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (info.isDir())
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    return fallback;
}

// Control bytes (escape sequences among them) shown as "?"; a tab as a blank.
QString Printable(QString line) {
    for (QChar& c : line) {
        if (c == '\t')
            c = ' ';
        else if (c.category() == QChar::Other_Control)
            c = '?';
    }
    return line;
}

} // namespace

TEncoderSlot::~TEncoderSlot() {
    Terminate();
}

bool TEncoderSlot::Launch(const QString& program, const QStringList& arguments, const QString& workingDir,
                          int inputFd) {
    Terminate();
    FProcess = std::make_unique<QProcess>();
    FProcess->setProcessChannelMode(QProcess::MergedChannels);
    // A group of its own: Ctrl+C in a terminal reaches the program, which stops the encoder itself. A program
    // that is killed cannot stop it: the encoder is killed with it (also when that came before this line).
    const pid_t parent = ::getpid();
    FProcess->setChildProcessModifier([inputFd, parent] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        if (inputFd >= 0) // in place of the pipe QProcess made, which has no writer
            ::dup2(inputFd, STDIN_FILENO);
    });
    if (!workingDir.isEmpty())
        FProcess->setWorkingDirectory(workingDir);
    FTail.clear();
    FOutputClosed = false;
    QObject::connect(FProcess.get(), &QProcess::readChannelFinished, [this] { FOutputClosed = true; });
    FProcess->start(program, arguments, QIODevice::ReadOnly);
    if (!FProcess->waitForStarted(10000)) {
        FStartError = program + ": " + WhyNotStartable(program, FProcess->errorString());
        FTail = FStartError.toLocal8Bit();
        return false;
    }
    FStartError.clear();
    FProcessGroup = FProcess->processId();
    FGroupEnded = false;
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

bool TEncoderSlot::TryReadChunk(QString& text) {
    text.clear();
    if (!FProcess || FProcess->bytesAvailable() <= 0)
        return false;
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

bool TEncoderSlot::OutputEnded() const {
    return !FProcess ||
           (FProcess->bytesAvailable() <= 0 && (FProcess->state() == QProcess::NotRunning || FOutputClosed));
}

void TEncoderSlot::CheckSilence() {
    if (Watch && FProcess && !OutputEnded())
        Watch(NowMs() - FLastOutputMs);
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
        if (TryReadChunk(text))
            return true;
        if (OutputEnded())
            return false;
        if (Watch)
            Watch(NowMs() - FLastOutputMs);
        if (FProcess && FProcess->state() != QProcess::NotRunning)
            Wait(100);
    }
}

void TEncoderSlot::Terminate() {
    // An encoder stuck at the end of its input ignores anything gentler than SIGKILL. Helpers it started
    // share its group and would otherwise outlive it, holding the pipe open.
    if (!FGroupEnded && FProcessGroup > 0)
        ::kill(-pid_t(FProcessGroup), SIGKILL);
    FGroupEnded = true;
    if (FProcess && FProcess->state() != QProcess::NotRunning) {
        FProcess->kill();
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
                lines << Printable(QString::fromLocal8Bit(r.trimmed()));
    }
    return lines.mid(std::max<qsizetype>(0, lines.size() - count)).join('\n');
}
