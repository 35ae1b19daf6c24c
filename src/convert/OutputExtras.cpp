// What an output holds besides the picture and the row's sound: chapter marks, languages, every track.
#include "ConversionDriver.h"

#include "convert/ChapterMarks.h"
#include "convert/ConversionHelpers.h"
#include "convert/DvdStreamReader.h"
#include "dvd/DiscImage.h"
#include "dvd/DiscLoader.h"
#include "profiles/IniFile.h"
#include "tasks/AppContext.h"
#include "tasks/TimeText.h"

using namespace ConversionHelpers;

void TConversionDriver::ReadOutputOptions(const QString& profileName) {
    const TPreferences saved =
        ReadPreferences(FContext.Paths.PreferencesFile(),
                        {FContext.Paths.DefaultOutputDir(), FContext.Paths.DefaultWorkDir()});
    FOutputOptions.ChapterMarks = ChapterMarksChoice.value_or(saved.ChapterMarks);
    FOutputOptions.KeepAllStreams =
        TIniFile(ProfilePathOf(profileName)).ReadBool("Main", "Keep Streams", false);
}

void TConversionDriver::StageTwoExtras(const TTaskNode& item, QStringList& inputs,
                                       QStringList& outputs) const {
    inputs.clear();
    outputs.clear();
    // Read from the run's view of the good information files, as stage one reads (the library can crash on
    // a damaged copy); an image as it is.
    const QString& disc = FContext.DVDInformation.DiscPath;
    std::unique_ptr<TDiscView> planView;
    if (!FDiscView && !IsDiscImagePath(disc))
        planView = std::make_unique<TDiscView>(IncludeTrailingSeparator(disc));
    const TDiscView* view = FDiscView ? FDiscView.get() : planView.get();
    if (view && !view->IsValid())
        return; // stage one reports the disc's problem
    TDvdStreamReader reader;
    if (!OpenRowStream(reader, view ? view->Path() : disc, item))
        return;
    const TTitleOutline& outline = reader.Outline();
    // The work file starts at the range's start and holds the chosen audio track, or the title's first.
    const int audio = item.AudioLanguageIndex;
    if (!outline.Audio.empty())
        outputs << "-metadata:s:a:0"
                << "language=" +
                       outline.Audio[audio >= 0 && size_t(audio) < outline.Audio.size() ? size_t(audio) : 0]
                           .Language;
    if (!FOutputOptions.ChapterMarks)
        return;
    const std::vector<TChapterMark> marks = ChapterMarksInRange(
        outline.ProgramStarts, TimeTextToSeconds(item.CurStartText), TimeTextToSeconds(item.CurEndText));
    inputs = ChapterInputArguments(marks, ItemSeconds(item), 0);
    outputs << ChapterMapArguments(marks, 1);
}

QStringList TConversionDriver::TwoStageNotes(const TTaskNode& item) const {
    QStringList notes;
    if (item.AudioLanguageIndex == TTaskNode::AllAudioTracks || FOutputOptions.KeepAllStreams)
        notes
            << item.OutputName +
                   ": the two-stage engine keeps one audio track, the title's first; the direct engine keeps "
                   "them all.";
    if (item.SubtitleIndex == TTaskNode::KeepSubtitleTracks || FOutputOptions.KeepAllStreams)
        notes << item.OutputName +
                     ": the two-stage engine can only burn a subtitle in, so none is kept; the direct engine "
                     "keeps them as tracks.";
    return notes;
}

void TConversionDriver::AddNotes(const QStringList& notes) {
    for (const QString& note : notes)
        if (!FNotes.contains(note))
            FNotes << note;
}
