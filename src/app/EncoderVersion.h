#pragma once

#include <QObject>
#include <QProcess>

// Finds out which build an encoder is by running it once and reading the first line it prints.
class TEncoderVersion : public QObject {
    Q_OBJECT
public:
    explicit TEncoderVersion(QObject* parent = nullptr);
    ~TEncoderVersion() override;

    // Runs program with arguments; Found follows with its first non-empty output line, or with a text
    // that says why there is none. Returns at once.
    void Start(const QString& program, const QStringList& arguments);

signals:
    void Found(const QString& line);

private:
    void Finish(const QString& line);

    QProcess* FProcess = nullptr;
    QByteArray FOutput;
    bool FDone = true;
};
