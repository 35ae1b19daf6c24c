#include "EncoderVersion.h"

#include <QTimer>

TEncoderVersion::TEncoderVersion(QObject* parent) : QObject(parent) {}

TEncoderVersion::~TEncoderVersion() {
    if (FProcess && FProcess->state() != QProcess::NotRunning) {
        FProcess->kill();
        FProcess->waitForFinished(1000);
    }
}

void TEncoderVersion::Start(const QString& program, const QStringList& arguments) {
    if (FProcess) {
        FProcess->disconnect(this);
        FProcess->kill();
        FProcess->deleteLater();
    }
    FOutput.clear();
    FDone = false;
    FProcess = new QProcess(this);
    FProcess->setProcessChannelMode(QProcess::MergedChannels);
    FProcess->setStandardInputFile(QProcess::nullDevice());
    connect(FProcess, &QProcess::readyRead, this, [this] {
        FOutput += FProcess->readAll();
        for (qsizetype start = 0, end; (end = FOutput.indexOf('\n', start)) >= 0; start = end + 1)
            if (const QByteArray line = FOutput.mid(start, end - start).trimmed(); !line.isEmpty()) {
                Finish(QString::fromLocal8Bit(line));
                return;
            }
    });
    connect(FProcess, &QProcess::finished, this, [this] {
        const QByteArray first = FOutput.trimmed().split('\n').value(0).trimmed();
        Finish(first.isEmpty() ? QStringLiteral("(printed nothing)") : QString::fromLocal8Bit(first));
    });
    connect(FProcess, &QProcess::errorOccurred, this, [this, program](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Finish("not found: " + program);
    });
    QTimer::singleShot(5000, this, [this, process = FProcess] {
        if (process == FProcess)
            Finish("no answer");
    });
    FProcess->start(program, arguments);
}

void TEncoderVersion::Finish(const QString& line) {
    if (FDone)
        return;
    FDone = true;
    if (FProcess->state() != QProcess::NotRunning)
        FProcess->kill();
    emit Found(line);
}
