#include "DirectEngine.h"

#include "tasks/TaskNode.h"
#include "tasks/TimeText.h"
#include "convert/DirectArgs.h"

#include <QtGlobal>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

TDirectFeeder::TDirectFeeder(TDvdStreamReader& reader) : FReader(reader) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        FError = "a pipe for the encoder's input cannot be made: " + qt_error_string(errno);
        return;
    }
    FReadEnd = ends[0];
    FWriteEnd = ends[1];
    // A larger pipe: fewer turns between the reader and the encoder. A refusal leaves the usual size.
    ::fcntl(FWriteEnd, F_SETPIPE_SZ, 1 << 20);
    // Only our end waits without blocking: the encoder's end must block as any standard input does.
    ::fcntl(FWriteEnd, F_SETFL, ::fcntl(FWriteEnd, F_GETFL) | O_NONBLOCK);
}

TDirectFeeder::~TDirectFeeder() {
    Stop();
    Finish();
    if (FReadEnd >= 0)
        ::close(FReadEnd);
    if (FWriteEnd >= 0)
        ::close(FWriteEnd);
}

void TDirectFeeder::Start() {
    if (FWriteEnd < 0 || FThread.joinable())
        return;
    // Only the encoder holds the reading end now, so its end closes the pipe for the writer.
    ::close(FReadEnd);
    FReadEnd = -1;
    FWriting = true;
    FThread = std::thread([this] {
        FFailed = !FReader.WriteAll(FWriteEnd, FStop) && !FStop;
        if (FFailed)
            FError = FReader.ErrorText();
        ::close(FWriteEnd); // the encoder sees the end of its input
        FWriteEnd = -1;
        FWriting = false;
    });
}

void TDirectFeeder::Stop() {
    FStop = true;
}

void TDirectFeeder::Finish() {
    if (FThread.joinable())
        FThread.join();
}
