// What an output holds besides the picture and the row's sound: chapter marks, languages, every track.
#include "ConversionDriver.h"

#include "convert/ChapterMarks.h"
#include "convert/ConversionHelpers.h"
#include "convert/DvdStreamReader.h"
#include "convert/FieldChoice.h"
#include "dvd/DiscLoader.h"
#include "dvd/DiscSource.h"
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

bool TConversionDriver::OpenTwoStageReader(TDvdStreamReader& reader, const TTaskNode& item) const {
    // Read from the run's view of the good information files, as stage one reads (the library can crash on
    // a damaged copy); an image or a drive as it is.
    const QString& disc = FContext.DVDInformation.DiscPath;
    std::unique_ptr<TDiscView> planView;
    if (!FDiscView && !IsDiscFile(disc))
        planView = std::make_unique<TDiscView>(IncludeTrailingSeparator(disc));
    const TDiscView* view = FDiscView ? FDiscView.get() : planView.get();
    if (view && !view->IsValid())
        return false; // stage one reports the disc's problem
    return OpenRowStream(reader, view ? view->Path() : disc, item);
}

TConversionDriver::TStageOneStart TConversionDriver::StageOneStart(const TTaskNode& item) const {
    if (TimeTextToSeconds(item.CurStartText) <= 0)
        return {};
    TDvdStreamReader reader;
    uint32_t sector = 0;
    double lead = 0;
    // Stage one plays the angle MEncoder picks: a title with several is sought by time.
    if (!OpenTwoStageReader(reader, item) || reader.AngleCount() > 1 || !reader.VobuBefore(sector, lead))
        return {};
    // Read from a VOBU's start, MEncoder's first picture is one it could not decode whole, and it shows the
    // next one twice to keep the sound in step: the VOBU's first picture is the work file's third.
    const double rate = FContext.DVDInformation.FrameRate > 0 ? FContext.DVDInformation.FrameRate : 25;
    return {qint64(sector) * TDvdStreamReader::kSectorBytes, lead + 2 / rate};
}

void TConversionDriver::StageTwoExtras(const TTaskNode& item, QStringList& inputs, QStringList& outputs) const {
    inputs.clear();
    outputs.clear();
    TDvdStreamReader reader;
    if (!OpenTwoStageReader(reader, item))
        return;
    const TTitleOutline& outline = reader.Outline();
    // The work file holds the chosen audio track, or the title's first.
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
    // FFmpeg moves the chapters back by the output's start (-ss): they are given where they lie in the input.
    inputs = ChapterInputArguments(marks, ItemSeconds(item), StageOneStart(item).Lead);
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
    if (item.SubtitleIndex == TTaskNode::TextSubtitleTracks)
        notes << item.OutputName +
                     ": the two-stage engine can only burn a subtitle in, so none is read as text; the direct "
                     "engine reads them.";
    return notes;
}

void TConversionDriver::AddNotes(const QStringList& notes) {
    const std::lock_guard lock(FRowLock);
    for (const QString& note : notes)
        if (!FNotes.contains(note))
            FNotes << note;
}

QString TConversionDriver::TwoStageFieldFilter(const TTaskNode& item, QStringList& profile) const {
    TDvdStreamReader reader;
    QString problem;
    if (!OpenDirectStream(reader, item, problem)) {
        profile = WithFieldFilter(profile, {});
        return "the picture could not be looked at, so it is not deinterlaced (" + problem + ")";
    }
    const TFieldChoice choice = ChooseFieldTreatment(reader);
    QString filter;
    // Stage one's frames carry no field flags, so every frame is deinterlaced. Film comes out of stage one
    // at the disc's rate with the pulled-down repeats left out as gaps in its times: filled back in, the
    // repeat in each five frames is dropped again (setting the rate alone kept 154 of 186 film frames).
    // Stage one's scaling mixes the lines of the two fields, so woven-in pulldown can no longer be taken
    // apart: such film is deinterlaced at the disc's rate, and the note says so.
    if (choice.Treatment == TFieldTreatment::Interlaced || choice.Treatment == TFieldTreatment::HardFilm)
        filter = QStringLiteral("bwdif=mode=send_frame:parity=%1:deint=all")
                     .arg(choice.TopFieldFirst ? "tff" : "bff");
    else if (choice.Treatment == TFieldTreatment::Film)
        filter = "fps=30000/1001,decimate";
    profile = WithFieldFilter(profile, filter);
    if (choice.Treatment == TFieldTreatment::HardFilm)
        return "the picture is film telecined into interlaced pictures; the two-stage engine cannot rebuild its "
               "film frames, so it is deinterlaced at 29.97 frames a second (the direct engine rebuilds them)";
    return choice.Description;
}
