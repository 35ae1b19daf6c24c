#include "DirectEngine.h"

#include "app/TaskNode.h"
#include "app/TimeText.h"
#include "convert/DirectArgs.h"

#include <QProcess>

namespace {

const TTaskNode& TitleRowOf(const TTaskNode& row) {
    return row.IsTitle() || !row.Parent ? row : *row.Parent;
}

} // namespace

bool OpenRowStream(TDvdStreamReader& reader, const QString& discPath, const TTaskNode& row) {
    const TTaskNode& title = TitleRowOf(row);
    const double start = TimeTextToSeconds(row.CurStartText), end = TimeTextToSeconds(row.CurEndText);
    // A range that reaches the title's end is read to the end of its last cell.
    if (!reader.Open(discPath, title.Number, row.AngleIndex, start, end < title.FullEnd ? end : 0))
        return false;
    reader.AnnounceSubPicture(reader.SubtitleStreamId(row.SubtitleIndex));
    return true;
}

QStringList DirectArguments(const TDvdStreamReader& reader, const TTaskNode& row, const QString& stageTwoText,
                            const TMencOutputSettings& settings, const QString& outputPath) {
    const TTaskNode& title = TitleRowOf(row);
    TDirectArgsInput in;
    in.StageTwoText = stageTwoText;
    in.Settings = settings;
    in.TitleAspect =
        title.AspectText == "16:9" || title.AspectText == "4:3" ? title.AspectText : reader.TitleAspect();
    in.OffsetSeconds = reader.OffsetSeconds();
    in.LengthSeconds = TimeTextToSeconds(row.CurEndText) - TimeTextToSeconds(row.CurStartText);
    in.AudioStreamId = reader.AudioStreamId(row.AudioLanguageIndex);
    in.SubtitleStreamId = reader.SubtitleStreamId(row.SubtitleIndex);
    in.Palette = reader.Palette();
    in.OutputPath = outputPath;
    return BuildDirectArguments(in);
}

TDirectFeeder::TDirectFeeder(TDvdStreamReader& reader, QProcess& process, qint64 bufferBytes)
    : FReader(reader), FProcess(process), FBufferBytes(bufferBytes) {
    // Small reads: a read from a drive holds up the event loop, and an optical drive is slow.
    FChunk.resize(qsizetype(std::clamp<qint64>(bufferBytes / 16, TDvdStreamReader::kSectorBytes, 256 << 10)));
    FConnections << QObject::connect(&process, &QProcess::bytesWritten, [this](qint64) { TopUp(); })
                 << QObject::connect(&process, &QProcess::started, [this] { TopUp(); })
                 << QObject::connect(&process, &QProcess::finished, [this] { Stop(); })
                 << QObject::connect(&process, &QProcess::errorOccurred, [this](QProcess::ProcessError e) {
                        if (e == QProcess::WriteError || e == QProcess::Crashed)
                            Stop();
                    });
    TopUp();
}

TDirectFeeder::~TDirectFeeder() {
    for (const QMetaObject::Connection& c : FConnections)
        QObject::disconnect(c);
}

void TDirectFeeder::Stop() {
    if (FDone)
        return;
    FDone = true;
    if (FProcess.state() != QProcess::NotRunning)
        FProcess.closeWriteChannel();
}

void TDirectFeeder::TopUp() {
    if (FFeeding) { // write() reported bytes written while we were still in here: feed again after it
        FAgain = true;
        return;
    }
    FFeeding = true;
    do {
        FAgain = false;
        FeedOneChunk();
    } while (FAgain && !FDone);
    FFeeding = false;
}

// One chunk at a time: each write the process takes reports back and asks for the next.
void TDirectFeeder::FeedOneChunk() {
    if (FDone || FProcess.state() != QProcess::Running || FProcess.bytesToWrite() >= FBufferBytes)
        return;
    const qint64 got = FReader.Read(FChunk.data(), FChunk.size());
    if (got <= 0) {
        if (got < 0) {
            FFailed = true;
            FError = FReader.ErrorText();
        }
        Stop();
    } else if (FProcess.write(FChunk.constData(), got) != got) {
        Stop();
    }
}
