// An item of the direct engine: the program reads the row's cells from the disc and feeds them into the one
// encoder, which writes the output file as stage two would.
#include "ConversionDriver.h"

#include "tasks/AppContext.h"
#include "convert/CommandLine.h"
#include "convert/ConversionHelpers.h"
#include "convert/DirectEngine.h"
#include "convert/FreeSpace.h"
#include "convert/StallWatch.h"

#include <QFileInfo>
#include <chrono>
#include <optional>
#include <thread>

using namespace ConversionHelpers;

bool TConversionDriver::OpenDirectStream(TDvdStreamReader& reader, const TTaskNode& item,
                                         QString& problem) const {
    // The library reads the disc as the list was read: through the view, whose information files passed the
    // checks, so a damaged .IFO with a good .BUP is never handed to it. Messages name the disc itself.
    reader.ShowDiscAs(FContext.DVDInformation.DiscPath);
    if (OpenRowStream(reader, DiscDevice(), item, FOutputOptions))
        return true;
    problem = reader.Encrypted() ? reader.ErrorText() : "The disc cannot be read: " + reader.ErrorText();
    return false;
}

TConversionDriver::TItemOutcome TConversionDriver::ConvertItemDirect(const TTaskNode& item,
                                                                     QString& output,
                                                                     const QString& stageTwoText,
                                                                     QString& problem) {
    const double seconds = ItemSeconds(item);
    problem = SpaceProblem(FContext.WorkDir, 0, QFileInfo(output).absolutePath(),
                           OutputFileBytes(SplitCommandLine(stageTwoText), seconds));
    if (!problem.isEmpty())
        return ItemFailed;
    TDvdStreamReader reader;
    if (!OpenDirectStream(reader, item, problem))
        return ItemFailed;
    if (FState == CancelRequested)
        return ItemCancelled;

    TDirectFeeder feeder(reader);
    if (feeder.InputFd() < 0) {
        problem = "The disc cannot be read: " + feeder.ErrorText();
        return ItemFailed;
    }
    Row().Progress.StartStageTwo();
    StartTextReading(item);
    TOwnedFile partial;
    QStringList arguments;
    const auto argumentsFor = [&](const QString& path) {
        QStringList notes;
        const QStringList args = DirectArguments(reader, item, stageTwoText, FContext.MencOutputSettings, path,
                                                 FOutputOptions, &notes);
        AddNotes(notes);
        return args;
    };
    if (!StartFinalEncoder(partial, output, argumentsFor, arguments, feeder.InputFd(), problem))
        return problem.startsWith(kStageTwo) ? ItemLaunchFailed : ItemFailed; // no encoder: the run stops
    // The feeder writes on its own thread while the output is read here; it ends with the stream, or when
    // the encoder ends (Stop, a stall, a failure) and closes its input.
    feeder.Start();
    TStallWatch watch(StallSeconds);
    const bool ended = ReadFinalEncoder(watch);
    if (!ended)
        Row().StageTwo.Terminate();
    feeder.Stop();
    // A read from a slow or damaged drive may take a while to return: the window stays live meanwhile.
    while (feeder.Writing()) {
        PumpRow();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    feeder.Finish();
    if (feeder.Failed() && FState != CancelRequested) {
        Row().StageTwo.Terminate();
        problem = "The disc cannot be read: " + feeder.ErrorText();
        return ItemFailed;
    }
    return FinishDirectRow(item, partial, output, arguments, ended, watch, kStageTwo, problem);
}

// The end of a direct-engine row, made in one pass or joined from its pieces: the text tracks go in, the
// output is measured and takes its name, its text files theirs beside it.
TConversionDriver::TItemOutcome TConversionDriver::FinishDirectRow(const TTaskNode& item, TOwnedFile& partial,
                                                                   QString& output, const QStringList& arguments,
                                                                   bool ended, TStallWatch& watch,
                                                                   const QString& encoder, QString& problem) {
    bool converted = false;
    if (FState == CancelRequested) {
        Row().StageTwo.Terminate();
    } else if (!ended) {
        Row().StageTwo.Terminate();
        problem = Stalled(Row().StageTwo, encoder, watch);
    } else if (Row().StageTwo.ExitStatus() == QProcess::NormalExit && Row().StageTwo.ExitCode() == 0 &&
               !AddTextTracks(item, partial, output, problem)) {
        Row().StageTwo.Terminate();
    } else {
        converted = FinishFinalEncoder(item, partial, output, arguments, problem, encoder) &&
                    PlaceSideTexts(output, problem);
    }
    Row().TextJob.reset();   // a reading still going (Stop, a failure) ends here
    Row().SideTexts.clear(); // and the text files of a row that failed
    ShowItemEnd(converted);
    if (FState == CancelRequested)
        return ItemCancelled;
    return converted ? ItemDone : ItemFailed;
}
