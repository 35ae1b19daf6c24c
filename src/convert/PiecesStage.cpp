// An item of the direct engine made in pieces: encoders side by side, each on its own part of the range and
// fed by its own reader, the audio once for the whole range, and one join that copies it all into the
// output. A row too short to be worth it, or one that cannot be cut, is made in one pass.
#include "ConversionDriver.h"

#include "convert/CommandLine.h"
#include "convert/ConversionHelpers.h"
#include "convert/DirectEngine.h"
#include "convert/FreeSpace.h"
#include "convert/KeptStreams.h"
#include "convert/PieceJoin.h"
#include "convert/PiecePlan.h"
#include "convert/PiecePool.h"
#include "convert/StallWatch.h"
#include "convert/StreamCheck.h"
#include "profiles/IniFile.h"
#include "tasks/AppContext.h"
#include "tasks/RunLeftovers.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>

using namespace ConversionHelpers;

namespace {

// The arguments with the output's cut replaced: from offset in the stream, for length seconds.
QStringList WithCut(QStringList args, double offset, double length) {
    for (const QString option : {"-ss", "-t"})
        for (qsizetype i = args.indexOf(option); i >= 0 && i + 1 < args.size(); i = args.indexOf(option))
            args.remove(i, 2);
    args.insert(args.size() - 1, "-ss");
    args.insert(args.size() - 1, QString::number(std::max(offset, 0.0), 'f', 6));
    args.insert(args.size() - 1, "-t");
    args.insert(args.size() - 1, QString::number(length, 'f', 6));
    return args;
}

bool WriteText(const QString& path, const QString& text, QString& error) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.flush())
        return true;
    error = path + ": " + file.errorString();
    return false;
}

} // namespace

// A row cut in pieces keeps the cores busy by itself: the rows of such a run go one after the other (the
// pieces' encoders are watched on the run's own thread).
bool TConversionDriver::AnyRowInPieces(const std::vector<double>& lengths) const {
    const int chosen = PiecesChosen();
    return std::any_of(lengths.begin(), lengths.end(),
                       [&](double seconds) { return PieceCount(chosen, CoreCount(), seconds) > 1; });
}

int TConversionDriver::PiecesChosen() const {
    if (PiecesChoice)
        return *PiecesChoice;
    bool ok = false;
    const int chosen =
        TIniFile(FContext.Paths.PreferencesFile()).ReadString("Main", "Pieces", "Auto").toInt(&ok);
    return ok && chosen > 0 ? chosen : 0;
}

TConversionDriver::TItemOutcome TConversionDriver::ConvertItemInPieces(const TTaskNode& item, QString& output,
                                                                       const QString& stageTwoText,
                                                                       QString& problem) {
    const double seconds = ItemSeconds(item);
    const QStringList profile = SplitCommandLine(stageTwoText);
    const int count = PieceCount(PiecesChosen(), CoreCount(), seconds);
    // A subtitle burned in is left whole: one on screen across a cut would be missing from the later piece.
    // A copied picture is not encoded: nothing to share out.
    if (count < 2 || !KeepsVideo(profile) || CopiesVideo(profile) || item.SubtitleIndex > 0)
        return ConvertItemDirect(item, output, stageTwoText, problem);
    TDvdStreamReader index;
    if (!OpenDirectStream(index, item, problem))
        return ItemFailed;
    std::vector<TDvdStreamReader::TVobuStart> vobus;
    if (!index.VobuStarts(vobus)) {
        problem = "The disc cannot be read: " + index.ErrorText();
        return ItemFailed;
    }
    const double start = TimeTextToSeconds(item.CurStartText), end = TimeTextToSeconds(item.CurEndText);
    const std::vector<TPieceCut> cuts = PlanPieces(vobus, start, end, count);
    const QStringList whole =
        DirectArguments(index, item, stageTwoText, FContext.MencOutputSettings, output, FOutputOptions);
    const TKeptCounts kept = KeptCounts(whole, !TitleOf(item).AudioTracks.isEmpty());
    // FFmpeg reads a bitmap subtitle track of an MP4 back shorter by its first line's start, so the join's
    // copy of it would end lines early: such a row is made in one pass.
    const bool mp4Subtitles = kept.Subtitles > 0 && ContainerOf(output) == TContainer::Mp4;
    if (cuts.size() < 2 || mp4Subtitles)
        return ConvertItemDirect(item, output, stageTwoText, problem);

    // The pieces lie beside the output until they are joined.
    const QFileInfo out(output);
    problem = SpaceProblem(FContext.WorkDir, 0, out.absolutePath(), 2 * OutputFileBytes(profile, seconds));
    if (!problem.isEmpty())
        return ItemFailed;
    if (FState == CancelRequested)
        return ItemCancelled;
    QTemporaryDir folder(RunLeftovers::PiecesFolderTemplate(out.absolutePath(), out.completeBaseName()));
    if (!folder.isValid()) {
        problem = "The output file cannot be written: " + out.absolutePath() + ": " + folder.errorString();
        return ItemFailed;
    }
    const QString extension = FContext.OutputExt;
    // Cuts fall just before a VOBU's first picture, so that rounding cannot drop it; by much less than a
    // frame, so that the piece's frame rate does not repeat it to fill the gap before it.
    const double edge = 0.002;
    const QString pieceOptions =
        " -an -sn -dn " + PieceThreadOptions(profile, CoreCount(), int(cuts.size())).join(' ');

    std::vector<std::unique_ptr<TPiece>> pieces;
    for (size_t k = 0; k < cuts.size(); ++k) {
        const TPieceCut& cut = cuts[k];
        auto piece = std::make_unique<TPiece>();
        piece->Name = QStringLiteral("piece %1 of %2").arg(k + 1).arg(cuts.size());
        piece->File = folder.filePath(QStringLiteral("piece-%1").arg(k + 1) + extension);
        if (!OpenDirectStream(piece->Reader, item, problem))
            return ItemFailed;
        // The picture alone is timed from its own first packet, not from the stream's first one.
        double offset = piece->Reader.VideoAloneOffsetSeconds() - edge, from = cut.Start - edge;
        if (cut.Preroll >= 0) {
            const TDvdStreamReader::TVobuStart& preroll = vobus[size_t(cut.Preroll)];
            if (!piece->Reader.StartAtVobu(preroll)) {
                problem = "The disc cannot be read: " + piece->Reader.ErrorText();
                return ItemFailed;
            }
            offset = piece->Reader.OffsetSeconds() + cut.Start - preroll.Seconds - edge;
            from = cut.Start - edge;
        }
        const double to = k + 1 < cuts.size() ? cut.End - edge : cut.End;
        piece->Seconds = to - from;
        // The picture alone: every other stream and the chapters come with the rest.
        piece->Arguments =
            WithCut(DirectArguments(piece->Reader, item, stageTwoText + pieceOptions,
                                    FContext.MencOutputSettings, piece->File, {false, false, true}),
                    offset, piece->Seconds);
        pieces.push_back(std::move(piece));
    }
    // The rest of the output (its audio and subtitle tracks, its chapters) is made once, whole, as the one
    // pass would make it; the joined file is checked for what the one pass would keep.
    QString rest;
    if (kept.Audio > 0 || kept.Subtitles > 0) {
        auto piece = std::make_unique<TPiece>();
        piece->Name = "the audio";
        piece->File = rest = folder.filePath("rest" + extension);
        if (!OpenDirectStream(piece->Reader, item, problem))
            return ItemFailed;
        QStringList notes;
        piece->Arguments = DirectArguments(piece->Reader, item, stageTwoText + " -vn",
                                           FContext.MencOutputSettings, piece->File, FOutputOptions, &notes);
        AddNotes(notes);
        pieces.push_back(std::move(piece));
    }

    Row().Progress.StartStageTwo();
    StartTextReading(item);
    TPiecePool pool(pieces);
    pool.Pump = [this] { FFrontEnd.PumpEvents(); };
    pool.StopRequested = [this] { return FState == CancelRequested; };
    int reads = 2; // the tracker passes over an encoder's first two reads
    pool.Advance = [&](double done) {
        Row().Progress.StageTwoChunk("time=" + QString::number(done, 'f', 2) + " ", reads++);
        Show();
    };
    if (!pool.Start(StageTwoExePath(), problem)) {
        Row().TextJob.reset();
        FFrontEnd.ReportError(kProductTitle, "Error\n" + problem);
        return ItemLaunchFailed;
    }
    const TPiecePool::TOutcome made = pool.Run(StallSeconds, problem);
    if (made != TPiecePool::Done)
        Row().TextJob.reset();
    if (made == TPiecePool::Cancelled || FState == CancelRequested)
        return ItemCancelled;
    if (made == TPiecePool::Failed)
        return ItemFailed;

    QStringList files;
    for (const auto& piece : pieces)
        if (piece->File != rest)
            files << piece->File;
    const QString list = folder.filePath("pieces.txt");
    QString error;
    if (!WriteText(list, ConcatList(files), error)) {
        problem = "The pieces cannot be joined: " + error;
        return ItemFailed;
    }
    TOwnedFile partial;
    QStringList arguments;
    const auto argumentsFor = [&](const QString& path) {
        return JoinArguments(list, rest, profile, seconds, path);
    };
    if (!StartFinalEncoder(partial, output, argumentsFor, arguments, -1, problem)) {
        Row().TextJob.reset();
        return problem.startsWith(kStageTwo) ? ItemLaunchFailed : ItemFailed;
    }
    TStallWatch watch(StallSeconds);
    const bool ended = ReadFinalEncoder(watch);
    // The joined file is measured against what the profile keeps, as a file made in one pass.
    return FinishDirectRow(item, partial, output, whole, ended, watch, kStageTwo + " joining the pieces",
                           problem);
}
