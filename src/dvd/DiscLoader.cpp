#include "DiscLoader.h"

#include <memory>

#include "DiscInfoFiles.h"
#include "DvdAccess.h"
#include "IfoReader.h"
#include "InfoFileCheck.h"
#include "InfoFileChoice.h"
#include "TitleRelations.h"
#include "OpticalDrives.h"
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "tasks/TimeText.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Discs mounted from some file systems show their names in lower case: match either. Any kind of entry
// counts, so that a FIFO or a folder in place of a file is refused by name rather than passed over.
bool HasEntry(const QString& folder, const QString& name) {
    return !QDir(folder).entryList({name}, QDir::AllEntries | QDir::System | QDir::Hidden).isEmpty();
}

bool HasMenuFile(const QString& folder) {
    return HasEntry(folder, "VIDEO_TS.IFO") || HasEntry(folder, "VIDEO_TS.BUP");
}

QString FindVideoTsFolder(const QString& parent) {
    const QStringList dirs = QDir(parent).entryList({"VIDEO_TS"}, QDir::Dirs | QDir::NoDotAndDotDot);
    return IncludeTrailingSeparator(parent + (dirs.isEmpty() ? QStringLiteral("VIDEO_TS") : dirs.first()));
}

// Each title set from its .IFO, or from its .BUP when only the backup passes.
std::vector<TTitleSet> ReadTitleSets(const QString& folder, const std::function<void()>& pump) {
    std::vector<TTitleSet> sets;
    for (int number : TitleSetNumbers(folder)) {
        if (pump)
            pump();
        TTitleSet set;
        set.Number = number;
        const TInfoFileChoice choice = ChooseTitleSetFile(folder, number, &set.Ifo);
        if (!choice.Error.isEmpty())
            throw EIfoError(choice.Error.toStdString());
        sets.push_back(std::move(set));
    }
    return sets;
}

// The encoders open the video files themselves, and opening a FIFO blocks: a video file that is not a
// regular file ends the load by name. A missing one does not; the titles still list.
void CheckVideoFiles(const QString& folder) {
    for (const QString& name : QDir(folder).entryList({"*.VOB"}, QDir::AllEntries | QDir::System |
                                                                     QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString problem = NonRegularFileProblem(folder + name);
        if (!problem.isEmpty() && QFileInfo(folder + name).exists())
            throw EIfoError((folder + name + ": " + problem).toStdString());
    }
}

// Title sets are found by their number, so a title set whose file is missing shifts no other one.
const TTitleSet* FindTitleSet(const std::vector<TTitleSet>& sets, int index) {
    for (const TTitleSet& set : sets)
        if (set.Number == index + 1)
            return &set;
    return nullptr;
}

struct TPlacedTitle {
    const TTitleSet* Set = nullptr;
    const TProgramChain* Chain = nullptr;
    int ChainIndex = -1;
};

TPlacedTitle PlaceTitle(TDvdAccess& library, const std::vector<TTitleSet>& sets, int title) {
    int s = -1, c = -1;
    library.GetIndexInfo(title, s, c);
    TPlacedTitle placed;
    placed.Set = s >= 0 ? FindTitleSet(sets, s) : nullptr;
    if (placed.Set && c >= 0 && size_t(c) < placed.Set->Ifo.Pgci.Chains.size()) {
        placed.Chain = &placed.Set->Ifo.Pgci.Chains[size_t(c)];
        placed.ChainIndex = c;
    }
    return placed;
}

std::vector<TTitleRelation> RelateDiscTitles(TDvdAccess& library, const std::vector<TTitleSet>& sets) {
    std::vector<TTitleCells> titles;
    for (int i = 0; i < library.GetTitleNum(); ++i) {
        const TPlacedTitle placed = PlaceTitle(library, sets, i);
        TTitleCells cells;
        if (placed.Chain) {
            cells.TitleSet = placed.Set->Number;
            cells.Chain = placed.ChainIndex + 1;
            cells.Cells = placed.Chain->CellSectors;
        }
        titles.push_back(std::move(cells));
    }
    return RelateTitles(titles);
}

// A code with a zero byte stands for a stream without a language: its list entry is empty.
QString LanguageCodeText(const std::string& code) {
    return code.find('\0') != std::string::npos ? QString() : QString::fromLatin1(code.data(), 2);
}

void SetRange(TTaskNode& node, double start, double end) {
    node.FullStart = node.CurStart = start;
    node.FullEnd = node.CurEnd = end;
    node.FullStartText = node.CurStartText = SecondsToTimeText(start);
    node.FullEndText = node.CurEndText = SecondsToTimeText(end);
}

// TimeTextToSeconds of a rounded text, so that start and end are the whole seconds the rows show.
double Whole(double seconds) {
    return TimeTextToSeconds(SecondsToTimeText(seconds));
}

std::unique_ptr<TTaskNode> MakeTitleRow(int number, const QString& name, const TVideoStream* video,
                                        const TProgramChain* chain, const TVTS_VOBS* vobs, int angles) {
    auto row = std::make_unique<TTaskNode>();
    row->Kind = TTaskNode::KindTitle;
    row->Number = number;
    row->ShortName = row->OutputName = name;
    row->ImageIndex = 0;
    row->AngleCount = angles;
    row->Subtitles << "None";
    double length = 0;
    if (video && chain) {
        row->DisplayText =
            QStringLiteral("%1 [%2 %3 %4 %5]")
                .arg(name, QString::fromStdString(video->CodingMode),
                     QString::fromStdString(video->FrameSize), QString::fromStdString(video->Standard),
                     QString::fromStdString(video->AspectRatio));
        row->FrameSizeText = QString::fromStdString(video->FrameSize).replace('x', ':').replace('X', ':');
        row->AspectText = QString::fromStdString(video->AspectRatio);
        length = Whole(TimeTextToSeconds(QString::fromStdString(chain->PlaybackTime)));
        for (size_t k = 0; k < vobs->Audio.size() && k < chain->AudioEnabled.size(); ++k) {
            if (!chain->AudioEnabled[k])
                continue;
            const TAudioStream& a = vobs->Audio[k];
            row->AudioTracks << QStringLiteral("%1 %2 %3ch")
                                    .arg(QString::fromStdString(a.LanguageName),
                                         QString::fromStdString(a.CodingMode))
                                    .arg(a.ChannelCount);
            row->AudioLanguages << LanguageCodeText(a.LanguageCode);
        }
        for (size_t k = 0; k < vobs->SubtitleLanguages.size() && k < chain->SubtitleEnabled.size(); ++k)
            if (chain->SubtitleEnabled[k])
                row->Subtitles << QString::fromStdString(vobs->SubtitleLanguages[k]);
    } else {
        // The menu lists a title whose title set or program chain is not on the disc (a damaged copy):
        // show it, without chapters, so the user sees what the disc claims.
        row->DisplayText = name + " [???]";
        row->AspectText = QStringLiteral("???");
    }
    SetRange(*row, 0, length);
    row->FullLength = row->FullEnd - row->FullStart;
    return row;
}

std::unique_ptr<TTaskNode> MakeChapterRow(int titleNumber, const TProgramChain& chain, int j) {
    auto row = std::make_unique<TTaskNode>();
    row->Kind = TTaskNode::KindChapter;
    row->Number = j + 1;
    row->ChapterIndex = j;
    row->DisplayText = row->ShortName = "Chapter" + TwoDigits(j + 1);
    row->OutputName = "Title" + TwoDigits(titleNumber) + "-" + row->ShortName;
    row->ImageIndex = 1;
    // Each start is rounded on its own and the end is that start plus the exact duration, rounded again.
    const double start = Whole(TimeTextToSeconds(QString::fromStdString(chain.ChapterStarts[size_t(j)])));
    const double end = start + TimeTextToSeconds(QString::fromStdString(chain.ChapterDurations[size_t(j)]));
    SetRange(*row, start, Whole(end));
    return row;
}

} // namespace

QString IncludeTrailingSeparator(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

QString ExcludeTrailingSeparator(const QString& path) {
    return path.size() > 1 && path.endsWith('/') ? path.chopped(1) : path;
}

TLoadResult LoadDisc(const QString& path, TAppContext& context, TTaskListModel& tasks, TDvdAccess& library,
                     const std::function<void()>& pump) {
    context.TitleSets.clear();
    const TDiscKind kind = DiscKindOf(path);
    QString disc = path;
    if (kind != TDiscKind::Image && kind != TDiscKind::Device) {
        disc = IncludeTrailingSeparator(path);
        if (!HasMenuFile(disc))
            disc = FindVideoTsFolder(disc);
        // The encoders open the video files themselves: a folder's are checked before anything is read.
        CheckVideoFiles(disc);
    }
    context.DVDInformation.DiscPath = disc;
    // Outputs are named after an image, or after a drive's volume label as the Open-DVD dialog does.
    if (kind == TDiscKind::Image)
        context.DVDInformation.OutputPrefix = DiscFileStem(path);
    else if (kind == TDiscKind::Device)
        context.DVDInformation.OutputPrefix = ReadVolumeLabel(path).value_or(QString());

    TLoadResult result;
    if (kind == TDiscKind::Folder && !HasMenuFile(disc)) {
        context.TitleSets = ReadTitleSets(disc, pump);
        result.LibraryError = QStringLiteral("%1: no DVD-Video here (neither it nor a VIDEO_TS folder in it "
                                             "holds VIDEO_TS.IFO)")
                                  .arg(QDir::toNativeSeparators(path));
        return result;
    }
    // Every kind of disc is read through the library into copies of its information files, which the
    // bounds checks and the title table then read; problems name the disc's own files.
    const TDiscInfoFiles files(disc, library.Process());
    if (!files.IsValid()) {
        result.LibraryError = files.Error();
        return result;
    }
    result.NoDecryption = files.NoDecryption();
    const QString folder = files.Folder();
    try {
        context.TitleSets = ReadTitleSets(folder, pump);
    } catch (const EIfoError& e) {
        throw EIfoError(files.Named(QString::fromStdString(e.what())).toStdString());
    }
    const QString libraryPath = ExcludeTrailingSeparator(folder);
    if (!HasMenuFile(folder)) {
        result.LibraryError = files.Named(QStringLiteral("%1: the DVD library cannot read VIDEO_TS.IFO nor "
                                                         "VIDEO_TS.BUP").arg(disc));
        return result;
    }
    result.LibraryOpened = library.OpenDVD(libraryPath);
    if (!result.LibraryOpened) {
        result.LibraryError = files.Named(library.ErrorText());
        return result;
    }
    const int titleCount = library.GetTitleNum();
    const std::vector<TTitleRelation> relations = RelateDiscTitles(library, context.TitleSets);
    for (int i = 0; i < titleCount; ++i) {
        if (pump)
            pump();
        const TPlacedTitle placed = PlaceTitle(library, context.TitleSets, i);
        const TTitleSet* set = placed.Set;
        const TProgramChain* chain = placed.Chain;
        const int number = i + 1;
        const QString name = "Title" + TwoDigits(number);

        if (set && chain) {
            const bool pal = set->Ifo.Vobs.Video.Standard == "PAL";
            context.DVDInformation.Standard = pal ? "PAL" : "NTSC";
            context.DVDInformation.FrameRate = pal ? 25 : 29.97;
        }
        std::unique_ptr<TTaskNode> row =
            MakeTitleRow(number, name, set ? &set->Ifo.Vobs.Video : nullptr, chain,
                         set ? &set->Ifo.Vobs : nullptr, library.GetTitleAngle(i));
        row->SameAs = relations[size_t(i)].SameAs;
        row->PlaysTitles = relations[size_t(i)].PlaysTitles;
        TTaskNode* title = tasks.AddTitle(std::move(row));
        if (chain)
            for (int j = 0; j < chain->ProgramCount; ++j)
                tasks.AddChapter(title, MakeChapterRow(number, *chain, j));
    }
    return result;
}
