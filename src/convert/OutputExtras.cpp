// What an output holds besides the picture and the row's sound: chapter marks, languages, every track.
#include "ConversionDriver.h"

#include "tasks/AppContext.h"
#include "tasks/TimeText.h"
#include "convert/ChapterMarks.h"
#include "convert/ConversionHelpers.h"
#include "convert/DvdStreamReader.h"
#include "dvd/DiscLoader.h"
#include "profiles/IniFile.h"

using namespace ConversionHelpers;

void TConversionDriver::ReadOutputOptions(const QString& profileName) {
    const TPreferences saved =
        ReadPreferences(FContext.Paths.PreferencesFile(),
                        {FContext.Paths.DefaultOutputDir(), FContext.Paths.DefaultWorkDir()});
    FOutputOptions.ChapterMarks = ChapterMarksChoice.value_or(saved.ChapterMarks);
    FOutputOptions.KeepAllStreams = TIniFile(ProfilePathOf(profileName)).ReadBool("Main", "Keep Streams", false);
}

void TConversionDriver::StageTwoExtras(const TTaskNode& item, QStringList& inputs, QStringList& outputs) const {
    inputs.clear();
    outputs.clear();
    // Read from the run's view of the good information files, as stage one reads: the library can crash on
    // a damaged copy.
    std::unique_ptr<TDiscView> planView;
    if (!FDiscView)
        planView = std::make_unique<TDiscView>(IncludeTrailingSeparator(FContext.DVDInformation.DiscPath));
    const TDiscView& view = FDiscView ? *FDiscView : *planView;
    TDvdStreamReader reader;
    if (!view.IsValid() || !OpenRowStream(reader, view.Path(), item))
        return; // stage one reports the disc's problem
    const TTitleOutline& outline = reader.Outline();
    // The work file starts at the range's start and holds the chosen audio track, or the title's first.
    const int audio = item.AudioLanguageIndex;
    if (!outline.Audio.empty())
        outputs << "-metadata:s:a:0"
                << "language=" + outline.Audio[audio >= 0 && size_t(audio) < outline.Audio.size() ? size_t(audio)
                                                                                                   : 0]
                                     .Language;
    if (!FOutputOptions.ChapterMarks)
        return;
    const std::vector<TChapterMark> marks =
        ChapterMarksInRange(outline.ProgramStarts, TimeTextToSeconds(item.CurStartText),
                            TimeTextToSeconds(item.CurEndText));
    inputs = ChapterInputArguments(marks, ItemSeconds(item), 0);
    outputs << ChapterMapArguments(marks, 1);
}

QStringList TConversionDriver::TwoStageNotes(const TTaskNode& item) const {
    QStringList notes;
    if (item.AudioLanguageIndex == TTaskNode::AllAudioTracks || FOutputOptions.KeepAllStreams)
        notes << item.OutputName +
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
