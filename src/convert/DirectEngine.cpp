#include "DirectEngine.h"

#include "tasks/TaskNode.h"
#include "tasks/TimeText.h"
#include "convert/CommandLine.h"
#include "convert/DirectArgs.h"
#include "convert/FieldChoice.h"
#include "convert/KeptStreams.h"

#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

const TTaskNode& TitleRowOf(const TTaskNode& row) {
    return row.IsTitle() || !row.Parent ? row : *row.Parent;
}

bool Seen(const TDvdStreamReader& reader, int id) {
    const std::vector<int>& seen = reader.StreamIdsSeen();
    return seen.empty() || std::find(seen.begin(), seen.end(), id) != seen.end();
}

// The audio and subtitle tracks the row keeps, and what could not be kept as asked.
void KeepStreams(const TDvdStreamReader& reader, const TTaskNode& row, const TOutputOptions& options,
                 TDirectArgsInput& in, QStringList& notes) {
    // A piece of a row starts at a VOBU where a kept subtitle stream need not be announced: mapping it
    // would fail the piece's encoder.
    if (options.PictureOnly)
        return;
    const TTitleOutline& outline = reader.Outline();
    const bool allAudio = options.KeepAllStreams || row.AudioLanguageIndex == TTaskNode::AllAudioTracks;
    for (size_t k = 0; k < outline.Audio.size(); ++k) {
        const TListedStream& audio = outline.Audio[k];
        if (!allAudio && int(k) != row.AudioLanguageIndex)
            continue;
        if (Seen(reader, audio.Id))
            in.AudioStreams.push_back(audio);
        else
            notes << QStringLiteral("audio track %1 (%2, stream 0x%3) is listed by the disc but missing "
                                    "from the title's data, so it is left out")
                         .arg(k + 1)
                         .arg(audio.Language)
                         .arg(audio.Id, 0, 16);
    }
    // A chosen track that is missing: the first one there is stands in for it.
    if (in.AudioStreams.empty())
        for (const TListedStream& audio : outline.Audio)
            if (Seen(reader, audio.Id)) {
                in.AudioStreams.push_back(audio);
                break;
            }
    if (in.AudioStreams.empty() && !outline.Audio.empty())
        in.AudioStreamId = -1; // none of the listed streams is there: whatever audio FFmpeg finds
    if (in.AudioStreams.size() > 1 && TakesOneAudioTrackOnly(ContainerOf(in.OutputPath))) {
        in.AudioStreams.resize(1);
        notes << "its container holds one audio track, so only the first is kept";
    }

    if (!options.KeepAllStreams && row.SubtitleIndex != TTaskNode::KeepSubtitleTracks)
        return;
    if (options.KeepAllStreams && row.SubtitleIndex > 0)
        in.SubtitleStreamId = -1; // kept as a track rather than burned in
    if (outline.Subtitles.empty())
        return;
    if (!TakesSubtitleTracks(ContainerOf(in.OutputPath))) {
        notes << "its container takes no subtitle tracks, so the subtitles are left out";
        return;
    }
    in.SubtitleTracks = outline.Subtitles;
    const QString frame = TitleRowOf(row).FrameSizeText;
    const QStringList sides = frame.split(':');
    if (sides.size() == 2 && sides[0].toInt() > 0 && sides[1].toInt() > 0)
        in.CanvasSize = sides[0] + "x" + sides[1];
    if (PaletteArgument(in.Palette).isEmpty())
        notes << "the title's sub-picture colours are all zero, so its subtitles take FFmpeg's own grey colours";
}

} // namespace

bool OpenRowStream(TDvdStreamReader& reader, const QString& discPath, const TTaskNode& row,
                   const TOutputOptions& options) {
    const TTaskNode& title = TitleRowOf(row);
    const double start = TimeTextToSeconds(row.CurStartText), end = TimeTextToSeconds(row.CurEndText);
    // A range that reaches the title's end is read to the end of its last cell.
    if (!reader.Open(discPath, title.Number, row.AngleIndex, start, end < title.FullEnd ? end : 0))
        return false;
    std::vector<int> announced{reader.SubtitleStreamId(row.SubtitleIndex)};
    if (row.SubtitleIndex == TTaskNode::KeepSubtitleTracks || options.KeepAllStreams)
        for (const TListedStream& subtitle : reader.Outline().Subtitles)
            announced.push_back(subtitle.Id);
    reader.AnnounceSubPictures(announced);
    return true;
}

QStringList DirectArguments(const TDvdStreamReader& reader, const TTaskNode& row, const QString& stageTwoText,
                            const TMencOutputSettings& settings, const QString& outputPath,
                            const TOutputOptions& options, QStringList* notes) {
    const TTaskNode& title = TitleRowOf(row);
    TDirectArgsInput in;
    in.StageTwoText = stageTwoText;
    in.Settings = settings;
    in.TitleAspect =
        title.AspectText == "16:9" || title.AspectText == "4:3" ? title.AspectText : reader.TitleAspect();
    in.OffsetSeconds = reader.OffsetSeconds();
    in.FrameSeconds = reader.FrameSeconds();
    in.LengthSeconds = TimeTextToSeconds(row.CurEndText) - TimeTextToSeconds(row.CurStartText);
    in.AudioStreamId = reader.AudioStreamId(row.AudioLanguageIndex);
    in.SubtitleStreamId = reader.SubtitleStreamId(row.SubtitleIndex);
    in.Palette = reader.Palette();
    in.OutputPath = outputPath;
    QStringList said;
    const QStringList profile = SplitCommandLine(stageTwoText);
    // A copied picture is neither filtered nor scanned for its fields; it starts at a group of pictures.
    const bool copyVideo = CopiesVideo(profile);
    uint32_t groupSector = 0;
    if (copyVideo && !reader.VobuBefore(groupSector, in.GroupLeadSeconds))
        in.GroupLeadSeconds = 0;
    if (!copyVideo && AsksForAutoFields(WithoutEncoderOptions(profile))) {
        const TFieldChoice fields = ChooseFieldTreatment(reader);
        in.FieldFilter = fields.Filter;
        said << fields.Description;
    }
    KeepStreams(reader, row, options, in, said);
    if (options.ChapterMarks) {
        const std::vector<double>& programs = reader.Outline().ProgramStarts;
        const double start = TimeTextToSeconds(row.CurStartText);
        in.Chapters = ChapterMarksInRange(programs, start, start + in.LengthSeconds);
        const QString note = ChapterMarksNote(programs, in.Chapters);
        if (!note.isEmpty() && row.IsTitle())
            said << note;
    }
    if (notes)
        for (const QString& note : said)
            *notes << row.OutputName + ": " + note + ".";
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
