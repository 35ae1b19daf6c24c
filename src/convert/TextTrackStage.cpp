// Subtitles read into text beside the direct engine's encoder, then added to its partial file.
#include "ConversionDriver.h"

#include "convert/ConversionHelpers.h"
#include "convert/MediaLibrary.h"
#include "convert/StallWatch.h"
#include "convert/TextTracks.h"
#include "tasks/AppContext.h"
#include "tasks/RunLeftovers.h"

#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
}

using namespace ConversionHelpers;

namespace {

// The subtitle tracks a finished file holds already (kept bitmap tracks); -1 when it cannot be opened.
int SubtitleTracksIn(const QString& path) {
    QString error;
    const TMediaLibrary* av = MediaLibrary(error);
    AVFormatContext* format = nullptr;
    if (!av || av->OpenInput(&format, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return -1;
    int count = 0;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        count += format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE;
    av->CloseInput(&format);
    return count;
}

bool WriteText(const QString& path, const QByteArray& text, QString& error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    error = path + ": " + file.errorString();
    return false;
}

} // namespace

void TConversionDriver::StartTextReading(const TTaskNode& item) {
    Row().TextJob.reset();
    if (item.SubtitleIndex != TTaskNode::TextSubtitleTracks)
        return;
    const TTaskNode& title = TitleOf(item);
    const double start = TimeTextToSeconds(item.CurStartText), end = TimeTextToSeconds(item.CurEndText);
    Row().TextJob = std::make_unique<TSubtitleTextJob>();
    // Read as the encoder's stream is: through the run's checked view of the disc.
    Row().TextJob->Start({DiscDevice(), title.Number, item.AngleIndex, start,
                     end < title.FullEnd ? end : 0, ItemSeconds(item)});
}

bool TConversionDriver::AddTextTracks(const TTaskNode& item, const TOwnedFile& partial, const QString& outputPath,
                                      QString& problem) {
    if (!Row().TextJob)
        return true;
    while (Row().TextJob->Running() && FState != CancelRequested) {
        PumpRow();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (FState == CancelRequested)
        Row().TextJob->Cancel();
    Row().TextJob->Wait();
    const std::unique_ptr<TSubtitleTextJob> job = std::move(Row().TextJob);
    if (FState == CancelRequested)
        return false;
    if (!job->Succeeded()) {
        problem = "The subtitles could not be read as text: " + job->ErrorText();
        return false;
    }
    QStringList notes;
    for (const QString& note : job->Notes())
        notes << item.OutputName + ": " + note + ".";
    if (job->Streams().empty())
        notes << item.OutputName + ": the title has no subtitles to read as text.";

    // Each stream's lines, and its forced lines again in a track of their own.
    const TContainer container = ContainerOf(outputPath);
    const bool beside = TextTrackCodec(container).isEmpty();
    std::vector<std::unique_ptr<TOwnedFile>> texts; // each removes its file when the row ends
    std::vector<TTextTrackFile> files;
    QHash<QString, int> perLanguage;
    Row().SideTexts.clear();
    for (const TTextStream& stream : job->Streams()) {
        notes << item.OutputName + ": " + ReadingNote(stream);
        if (stream.Cues.empty())
            continue;
        std::vector<TTextCue> forced;
        for (const TTextCue& cue : stream.Cues)
            if (cue.Forced)
                forced.push_back(cue);
        const int number = perLanguage[stream.Stream.Language]++;
        for (const bool forcedOnly : {false, true}) {
            if (forcedOnly && forced.empty())
                continue;
            // Beside the partial output and named as a run's partial files are, so that a later start
            // removes what a killed run left of them.
            auto file = std::make_unique<TOwnedFile>();
            const QFileInfo planned(outputPath);
            QString error;
            if (!file->Create(planned.absolutePath(),
                              RunLeftovers::PartialFilePattern(planned.completeBaseName(), ".srt"), error) ||
                !WriteText(file->Path(), SubRipText(forcedOnly ? forced : stream.Cues), error)) {
                problem = "The subtitles read as text cannot be written: " + error;
                Row().SideTexts.clear();
                return false;
            }
            if (beside) {
                Row().SideTexts.push_back({std::move(file), stream.Stream.Language, forcedOnly, number});
                continue;
            }
            files.push_back({file->Path(), stream.Stream.Language, forcedOnly});
            texts.push_back(std::move(file));
        }
    }
    AddNotes(notes);
    if (files.empty())
        return true;

    const int kept = SubtitleTracksIn(partial.Path());
    TOwnedFile joined;
    QString error;
    if (kept < 0 ||
        !joined.Create(QFileInfo(outputPath).absolutePath(), PartialPattern(outputPath, FContext.OutputExt), error)) {
        problem = "The output file cannot be written: " + (kept < 0 ? partial.Path() : error);
        return false;
    }
    // The copy replaces the empty file made for its name: FFmpeg is told never to replace one.
    QFile::remove(joined.Path());
    TStallWatch watch(StallSeconds);
    const QStringList args = TextTrackArguments(partial.Path(), kept, files, container, joined.Path());
    if (!Row().StageOne.Launch(StageTwoExePath(), args)) {
        problem = kStageTwo + " could not be started: " + Row().StageOne.StartError();
        return false;
    }
    const bool ended = ReadStage(Row().StageOne, watch, [](const QString&, int) {});
    const bool exitedWell =
        ended && Row().StageOne.ExitStatus() == QProcess::NormalExit && Row().StageOne.ExitCode() == 0;
    Row().StageOne.Terminate();
    if (FState == CancelRequested)
        return false;
    if (!exitedWell) {
        problem = WithTail(kStageTwo + " could not add the subtitles read as text", Row().StageOne);
        return false;
    }
    if (std::rename(QFile::encodeName(joined.Path()).constData(), QFile::encodeName(partial.Path()).constData()) !=
        0) {
        problem = "The output file cannot be put in place: " + partial.Path();
        return false;
    }
    joined.Release();
    return true;
}

bool TConversionDriver::PlaceSideTexts(const QString& outputPath, QString& problem) {
    for (TRowWork::TSideText& text : Row().SideTexts) {
        // As the encoder's partial file takes the output's place: a file of the name is replaced.
        const QString path = SideTextFileName(outputPath, text.Language, text.Forced, text.Number);
        if (std::rename(QFile::encodeName(text.File->Path()).constData(),
                        QFile::encodeName(path).constData()) != 0) {
            problem = "The subtitles read as text cannot be put in place: " + path + ": " +
                      QString::fromLocal8Bit(std::strerror(errno));
            Row().SideTexts.clear();
            return false;
        }
        text.File->Release();
    }
    Row().SideTexts.clear();
    return true;
}
