#include "ConvertCommand.h"
#include "dvd/DiscSource.h"

#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "tasks/TimeText.h"
#include "convert/ConversionDriver.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"
#include "profiles/IniFile.h"
#include "profiles/OutputSize.h"
#include "profiles/Preferences.h"
#include "profiles/ProfileModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <unistd.h>

const char* const kConvertUsage =
    "  convert PATH [options]   convert rows of the disc at PATH\n"
    "    --title N              a title (repeatable; default: the longest title)\n"
    "    --chapter N:M          chapter M of title N (repeatable)\n"
    "    --all-chapters         every chapter of the disc\n"
    "    --audio K|all          audio track K of the row's list, from 0, or every track (direct engine)\n"
    "    --subtitle K           subtitle K of the row's list (0 is None), burned in\n"
    "    --subtitles burn|keep|text|none   burn in --subtitle K (the default), keep every subtitle as\n"
    "                           a switchable track, read every subtitle into a text track (both\n"
    "                           direct engine), or none\n"
    "    --no-chapters          no chapter marks in the outputs (default: the saved choice)\n"
    "    --angle K              angle K, from 0\n"
    "    --start T --end T      convert only this range of each row (hh:mm:ss)\n"
    "    --size WxH             output picture size (the profile's Video Size row)\n"
    "    --profile NAME         conversion profile (default: the saved one, else the first)\n"
    "    --output DIR           output folder (default: the saved one)\n"
    "    --work-dir DIR         folder for the work file (default: the saved one)\n"
    "    --prefix TEXT          output name prefix\n"
    "    --overwrite ask|overwrite|rename   what to do with an existing output file (ask: on the\n"
    "                           terminal; without one, give overwrite or rename)\n"
    "    --engine two-stage|direct   the conversion engine (default: the saved one): two stages\n"
    "                           through a work file, or the disc's stream fed into one FFmpeg\n"
    "    --overlap              run both stages at once, the work file a named pipe\n"
    "    --pieces N|auto        the direct engine makes a long row in N pieces side by side\n"
    "                           (auto: one per core; 1: one pass; default: the saved choice)\n"
    "    --parallel-rows N|auto  rows the direct engine converts at once (default: the saved choice;\n"
    "                           auto: one more than the cores)\n"
    "    --dry-run              print the command lines of each row, run nothing\n"
    "    --progress text|json   progress on standard error (text) or standard output (json)\n"
    "    exit codes: 0 every row converted, 1 a row failed, 2 bad arguments or an unreadable disc,\n"
    "                3 standard output or error was closed (a reader such as head went away):\n"
    "                the run was stopped and left nothing, 129, 130, 143 stopped by SIGHUP,\n"
    "                Ctrl+C or SIGTERM\n";

namespace {

constexpr int ExitOk = 0, ExitFailed = 1, ExitBadInput = 2, ExitOutputClosed = 3;

// Ctrl+C, a closed terminal and a polite kill all stop the run the same way: the encoders are ended, the
// work and partial files removed, and the exit code is 128 + the signal's number. A closed standard output
// or error (SIGPIPE on a write, e.g. piped into head) stops it the same way with an exit code of its own.
volatile std::sig_atomic_t gInterrupted = 0;
volatile std::sig_atomic_t gSignal = 0;
void OnInterrupt(int signal) {
    gInterrupted = 1;
    gSignal = signal;
}

// From the very start of the command: a signal while the disc is read would otherwise end the program
// without a word. One the program was started to ignore (nohup, a background job) stays ignored, and
// one blocked by whoever started it is let through, as the run is stopped by these alone.
void CatchStopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    for (int signal : {SIGINT, SIGHUP, SIGTERM, SIGPIPE}) {
        // A closed output is never a thing to ignore: writing on would only fail unseen.
        struct sigaction old {};
        if (signal != SIGPIPE && sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        struct sigaction catcher {};
        catcher.sa_handler = OnInterrupt;
        sigemptyset(&catcher.sa_mask);
        catcher.sa_flags = SA_RESTART;
        sigaction(signal, &catcher, nullptr);
        sigaddset(&stops, signal);
    }
    pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);
}

struct TBadInput {
    QString Message;
};

QString ShellQuote(const QString& arg) {
    static const QString safe = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_./:=+,%@";
    bool plain = !arg.isEmpty();
    for (QChar c : arg)
        plain = plain && safe.contains(c);
    return plain ? arg : "'" + QString(arg).replace("'", "'\\''") + "'";
}

QString ShellLine(const QString& program, const QStringList& args) {
    QStringList words{ShellQuote(program)};
    for (const QString& a : args)
        words << ShellQuote(a);
    return words.join(' ');
}

// Reports the run on the terminal: messages on standard error, progress as text or JSON.
class TCliFrontEnd : public TConversionFrontEnd {
public:
    TConversionDriver* Driver = nullptr;
    TPreferences::TOverwritePolicy Policy = TPreferences::Ask;
    QString ProgressMode; // "", "text" or "json"

    void Inform(const QString& caption, const QString& text) override { Print(caption, text); }
    void ReportError(const QString& caption, const QString& text) override { Print(caption, text); }
    bool AskYesNo(const QString& caption, const QString& text) override {
        if (!isatty(STDIN_FILENO)) { // no one to answer (a file that appeared during the run): it is kept
            Print(caption, text + "\nNo, as standard input is not a terminal.");
            return false;
        }
        Print(caption, text);
        std::fprintf(stderr, "[y/N] ");
        std::string answer;
        std::getline(std::cin, answer);
        return answer == "y" || answer == "Y" || answer == "yes";
    }
    bool ListsRunReport() const override { return true; } // on lines of their own, after the run
    void LockInterface() override {}
    void UnlockInterface() override {}
    void ShowProgressPanel(bool) override {}
    void SetHintText(const QString& text) override {
        EndProgressLine();
        if (ProgressMode != "json")
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    void HideHint() override {}
    void ShowProgress(const TProgressFigures& f) override {
        if (ProgressMode == "json") {
            // A line for each row going on, tagged with it; "current" and "frames" are the row's own.
            std::vector<TRowBar> rows = f.Rows;
            if (rows.empty())
                rows.push_back({QString(), f.CurrentBar, f.FrameText});
            for (const TRowBar& row : rows) {
                QJsonObject o{{"current", row.Bar},
                              {"total", f.TotalBar},
                              {"frames", row.FrameText},
                              {"elapsed", f.ElapsedText},
                              {"remaining", f.RemainingText}};
                if (!row.Name.isEmpty())
                    o.insert("row", row.Name);
                const QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact);
                if (line != FLastLines.value(row.Name)) {
                    std::printf("%s\n", line.constData());
                    std::fflush(stdout);
                    FLastLines[row.Name] = line;
                }
            }
        } else if (ProgressMode == "text") {
            const QByteArray line =
                QStringLiteral("current %1  total %2  frames %3  elapsed %4  remaining %5")
                    .arg(f.CurrentLabel, 4)
                    .arg(f.TotalLabel, 4)
                    .arg(f.FrameText, f.ElapsedText.isEmpty() ? "--:--:--" : f.ElapsedText,
                         f.RemainingText.isEmpty() ? "--:--:--" : f.RemainingText)
                    .toUtf8();
            // On a terminal the line is rewritten in place; into a file, a line for each new percentage.
            const bool terminal = isatty(STDERR_FILENO);
            const QByteArray key = terminal ? line : (f.CurrentLabel + f.TotalLabel + f.ElapsedText).toUtf8();
            if (key != FLastLine) {
                std::fprintf(stderr, terminal ? "\r%s" : "%s\n", line.constData());
                FLineOpen = terminal;
                FLastLine = key;
            }
        }
    }
    TPreferences::TOverwritePolicy OverwritePolicy() override { return Policy; }
    bool AutoExit() override { return false; }
    bool AutoOpenDir() override { return false; }
    bool TurnOffChecked() override { return false; }
    void CloseWindow() override {}
    void OpenFolder(const QString&) override {}
    void PumpEvents() override {
        QCoreApplication::processEvents();
        // A signal that comes before the run is under way waits for it: Stop does nothing until then.
        if (gInterrupted && Driver && Driver->ConvertState() == TConversionDriver::Converting) {
            gInterrupted = 0;
            EndProgressLine();
            std::fprintf(stderr, "Stopping...\n");
            Driver->Stop();
        }
    }

private:
    void Print(const QString& caption, const QString& text) {
        EndProgressLine();
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    }
    void EndProgressLine() {
        if (FLineOpen)
            std::fputc('\n', stderr);
        FLineOpen = false;
    }
    QByteArray FLastLine;
    QHash<QString, QByteArray> FLastLines; // the last JSON line of each row
    bool FLineOpen = false;
};

struct TOptions {
    QString Disc;
    QList<int> Titles;
    QList<QPair<int, int>> Chapters;
    bool AllChapters = false;
    int Audio = -1, Subtitle = -1, Angle = -1;
    QString Start, End, Size, Profile, Output, WorkDir, Prefix, Overwrite, Progress, Engine, Subtitles;
    bool DryRun = false, Overlap = false, AllAudio = false, NoChapters = false;
    std::optional<int> Pieces; // 0: auto
    int ParallelRows = -1; // unset
};

int ToIndex(const QString& option, const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 0)
        throw TBadInput{option + " takes a number from 0, not '" + text + "'"};
    return n;
}

TOptions ParseOptions(QStringList args) {
    TOptions o;
    const auto value = [&](const QString& option) {
        if (args.isEmpty())
            throw TBadInput{option + " needs a value"};
        return args.takeFirst();
    };
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == "--title") {
            const int n = ToIndex(a, value(a));
            o.Titles << n;
        } else if (a == "--chapter") {
            const QString v = value(a);
            const QStringList parts = v.split(':');
            if (parts.size() != 2)
                throw TBadInput{"--chapter takes TITLE:CHAPTER, not '" + v + "'"};
            o.Chapters << qMakePair(ToIndex(a, parts[0]), ToIndex(a, parts[1]));
        } else if (a == "--all-chapters") {
            o.AllChapters = true;
        } else if (a == "--audio") {
            const QString v = value(a);
            o.AllAudio = v == "all";
            if (!o.AllAudio)
                o.Audio = ToIndex(a, v);
        } else if (a == "--subtitles") {
            o.Subtitles = value(a);
            if (o.Subtitles != "burn" && o.Subtitles != "keep" && o.Subtitles != "text" && o.Subtitles != "none")
                throw TBadInput{"--subtitles takes burn, keep, text or none"};
        } else if (a == "--no-chapters") {
            o.NoChapters = true;
        } else if (a == "--subtitle") {
            o.Subtitle = ToIndex(a, value(a));
        } else if (a == "--angle") {
            o.Angle = ToIndex(a, value(a));
        } else if (a == "--start") {
            o.Start = value(a);
        } else if (a == "--end") {
            o.End = value(a);
        } else if (a == "--size") {
            const QString size = value(a);
            int width = 0, height = 0;
            QString problem;
            if (!ReadOutputSize(size, width, height, problem))
                throw TBadInput{"--size: " + problem};
            o.Size = QStringLiteral("%1x%2").arg(width).arg(height);
        } else if (a == "--profile") {
            o.Profile = value(a);
        } else if (a == "--output") {
            o.Output = value(a);
        } else if (a == "--work-dir") {
            o.WorkDir = value(a);
        } else if (a == "--prefix") {
            o.Prefix = value(a);
        } else if (a == "--overwrite") {
            o.Overwrite = value(a);
            if (o.Overwrite != "ask" && o.Overwrite != "overwrite" && o.Overwrite != "rename")
                throw TBadInput{"--overwrite takes ask, overwrite or rename"};
        } else if (a == "--progress") {
            o.Progress = value(a);
            if (o.Progress != "text" && o.Progress != "json")
                throw TBadInput{"--progress takes text or json"};
        } else if (a == "--engine") {
            o.Engine = value(a);
            if (o.Engine != "direct" && o.Engine != "two-stage")
                throw TBadInput{"--engine takes direct or two-stage"};
        } else if (a == "--overlap") {
            o.Overlap = true;
        } else if (a == "--pieces") {
            const QString text = value(a);
            o.Pieces = text == "auto" ? 0 : ToIndex(a, text);
            if (o.Pieces == 0 && text != "auto")
                throw TBadInput{"--pieces takes auto or a number from 1"};
        } else if (a == "--parallel-rows") {
            o.ParallelRows = ParallelRowsOf(value(a));
            if (o.ParallelRows < 0)
                throw TBadInput{"--parallel-rows takes a whole number from 1 on, or auto"};
        } else if (a == "--dry-run") {
            o.DryRun = true;
        } else if (a.startsWith("--") || !o.Disc.isEmpty()) {
            throw TBadInput{"unknown argument '" + a + "' (see --help)"};
        } else {
            o.Disc = a;
        }
    }
    if (o.Disc.isEmpty())
        throw TBadInput{"convert takes the PATH of a disc folder (see --help)"};
    if (o.Subtitles == "none" && o.Subtitle > 0)
        throw TBadInput{"--subtitles none and --subtitle " + QString::number(o.Subtitle) + " contradict each other"};
    if ((o.Subtitles == "keep" || o.Subtitles == "text") && o.Subtitle > 0)
        throw TBadInput{"--subtitles " + o.Subtitles + " keeps every subtitle as a track: --subtitle K is for burn"};
    return o;
}

TTaskNode* FindTitle(TTaskListModel& tasks, int number) {
    for (int i = 0; i < tasks.TitleCount(); ++i)
        if (tasks.Title(i)->Number == number)
            return tasks.Title(i);
    throw TBadInput{
        QStringLiteral("the disc has no title %1 (it has %2)").arg(number).arg(tasks.TitleCount())};
}

// Checks the rows the options name and gives them the options' choices and range, as the window would.
void SelectRows(TTaskListModel& tasks, const TOptions& o) {
    for (int t : o.Titles)
        tasks.SetChecked(FindTitle(tasks, t), true);
    for (const auto& [t, c] : o.Chapters) {
        TTaskNode* title = FindTitle(tasks, t);
        if (c < 1 || c > int(title->Children.size()))
            throw TBadInput{QStringLiteral("title %1 has no chapter %2 (it has %3)")
                                .arg(t)
                                .arg(c)
                                .arg(title->Children.size())};
        tasks.SetChecked(title->Children[size_t(c - 1)].get(), true);
    }
    if (o.AllChapters)
        tasks.RunCheckCommand(TCheckCommand::AllChapters);
    if (tasks.CheckedRows().empty())
        tasks.CheckLongestTitle();

    for (TTaskNode* row : tasks.CheckedRows()) {
        const TTaskNode& owner = row->ListOwner();
        const auto check = [&](int index, qsizetype count, const char* what) {
            if (index >= count)
                throw TBadInput{QStringLiteral("%1 has no %2 %3 (it has %4)")
                                    .arg(row->OutputName, what)
                                    .arg(index)
                                    .arg(count)};
        };
        if (o.Audio >= 0) {
            check(o.Audio, owner.AudioTracks.size(), "audio track");
            row->AudioIndex = row->AudioLanguageIndex = o.Audio;
        }
        if (o.AllAudio)
            row->AudioIndex = row->AudioLanguageIndex = TTaskNode::AllAudioTracks;
        if (o.Subtitle >= 0) {
            check(o.Subtitle, owner.Subtitles.size(), "subtitle");
            row->SubtitleIndex = o.Subtitle;
        }
        if (o.Subtitles == "none")
            row->SubtitleIndex = 0;
        else if (o.Subtitles == "keep")
            row->SubtitleIndex = TTaskNode::KeepSubtitleTracks;
        else if (o.Subtitles == "text")
            row->SubtitleIndex = TTaskNode::TextSubtitleTracks;
        if (o.Angle >= 0) {
            check(o.Angle, owner.AngleCount, "angle");
            row->AngleIndex = o.Angle;
        }
        if (!o.Start.isEmpty() || !o.End.isEmpty()) {
            // The texts as typed are the range, so that a fraction of a second stays.
            const QString startText = o.Start.isEmpty() ? row->FullStartText : o.Start;
            const QString endText = o.End.isEmpty() ? row->FullEndText : o.End;
            const double start = o.Start.isEmpty() ? row->FullStart : TimeTextToSeconds(o.Start);
            const double end = o.End.isEmpty() ? row->FullEnd : TimeTextToSeconds(o.End);
            if (start < row->FullStart || end > row->FullEnd || start >= end)
                throw TBadInput{QStringLiteral("the range %1 to %2 is not within %3 (%4 to %5)")
                                    .arg(startText, endText, row->OutputName, row->FullStartText,
                                         row->FullEndText)};
            tasks.SetTrimmedTexts(row, startText, endText);
        }
    }
}

} // namespace

int RunConvertCommand(const QStringList& args, const QString& programDir) {
    CatchStopSignals();
    try {
        const TOptions o = ParseOptions(args);
        if (DiscKindOf(o.Disc) == TDiscKind::Other)
            throw TBadInput{NotADiscText(o.Disc)};

        // Defaults as the window has them, from its Preferences.ini, read without writing it.
        const TAppPaths paths = TAppPaths::ForProgramDir(programDir);
        const QString ini = paths.PreferencesFile();
        const TPreferences prefs = ReadPreferences(ini, {paths.DefaultOutputDir(), paths.DefaultWorkDir()});
        const TPreferences::TOverwritePolicy policy = o.Overwrite == "overwrite" ? TPreferences::Overwrite
                                                      : o.Overwrite == "rename"  ? TPreferences::Rename
                                                      : o.Overwrite == "ask"     ? TPreferences::Ask
                                                                                 : prefs.Policy;
        TAppContext context;
        context.SetProgramDir(programDir);
        TTaskListModel tasks(context);
        auto library = CreateDvdReadAccess();
        try {
            const TLoadResult load = LoadDisc(o.Disc, context, tasks, *library);
            if (!load.LibraryOpened)
                throw TBadInput{load.LibraryError};
        } catch (const EIfoError& e) {
            throw TBadInput{QString::fromStdString(e.what())};
        }
        if (tasks.IsEmpty())
            throw TBadInput{o.Disc + ": the disc has no titles"};
        SelectRows(tasks, o);
        const QStringList profiles = paths.ProfileNames();
        QString profile = o.Profile;
        if (profile.isEmpty()) {
            const int saved = TIniFile(ini).ReadInteger("Main", "Profile", 0);
            profile = profiles.value(saved >= 0 && saved < profiles.size() ? saved : 0);
        }
        if (!profiles.contains(profile))
            throw TBadInput{"no profile '" + profile + "' (velloric-cli profiles lists them)"};

        TRunSettings settings;
        settings.ProfileName = profile;
        settings.OutputDirText = o.Output.isEmpty() ? prefs.OutputPath : o.Output;
        const TProfileLoad load = LoadProfileRows(paths.ProfilePath(profile), settings.Grids);
        if (!load.Error.isEmpty())
            throw TBadInput{paths.ProfilePath(profile) + ": " + load.Error};
        context.OutputExt = "." + load.Type;
        if (!o.Size.isEmpty())
            settings.Grids.SetRowText(TParamGrids::Video, "Video Size", o.Size);
        // A folder given here is taken from where the command runs, as --output is; a saved one is whole.
        const QString workDir = o.WorkDir.isEmpty()
                                    ? prefs.WorkDir
                                    : QDir::cleanPath(QDir::current().absoluteFilePath(o.WorkDir));
        if (!o.WorkDir.isEmpty() && !QFileInfo(workDir).isDir())
            throw TBadInput{"--work-dir " + workDir + ": no such folder"};
        context.WorkDir = WorkDirOf(workDir, paths.DefaultWorkDir());
        if (!QFileInfo(context.WorkDir).isDir()) // a saved folder that is gone, as the window does
            context.WorkDir = paths.DefaultWorkDir();
        // Only the folder this run writes in is made: a home that cannot be written does not stop a run
        // whose folders are all given.
        if (!o.DryRun && !QDir().mkpath(context.WorkDir))
            throw TBadInput{context.WorkDir + ": the work folder cannot be made"};
        if (!o.Prefix.isEmpty())
            context.DVDInformation.OutputPrefix = o.Prefix;

        TCliFrontEnd frontEnd;
        frontEnd.ProgressMode = o.Progress;
        frontEnd.Policy = policy;
        TConversionDriver driver(context, tasks, frontEnd);
        frontEnd.Driver = &driver;
        if (!o.Engine.isEmpty())
            driver.EngineChoice = o.Engine == "direct" ? TPreferences::Direct : TPreferences::TwoStages;
        if (o.Overlap)
            driver.OverlapChoice = true;
        if (o.ParallelRows >= 0)
            driver.ParallelRowsChoice = o.ParallelRows;
        if (o.NoChapters)
            driver.ChapterMarksChoice = false;
        // The two-stage engine makes its output from a work file of one picture and one sound.
        const bool direct = o.Engine.isEmpty() ? prefs.Engine == TPreferences::Direct : o.Engine == "direct";
        const bool keepsAll = TIniFile(paths.ProfilePath(profile)).ReadBool("Main", "Keep Streams", false);
        if (!direct && (o.AllAudio || o.Subtitles == "keep" || o.Subtitles == "text" || keepsAll))
            throw TBadInput{QString(o.AllAudio ? "--audio all"
                                    : o.Subtitles == "keep" || o.Subtitles == "text"
                                        ? "--subtitles " + o.Subtitles
                                        : "the profile '" + profile + "'") +
                            " needs the direct engine (--engine direct): the two-stage engine keeps one audio "
                            "track and can only burn a subtitle in"};
        driver.PiecesChoice = o.Pieces;

        // Asking needs someone to answer: without a terminal a file in the way would be skipped unseen. With
        // none in the way there is nothing to ask.
        if (policy == TPreferences::Ask && !o.DryRun && !isatty(STDIN_FILENO))
            for (const TItemCommands& item : driver.Plan(settings))
                if (QFileInfo::exists(item.OutputPath))
                    throw TBadInput{
                        item.OutputPath + " exists, and " +
                        (o.Overwrite.isEmpty() ? "the saved overwrite choice is Ask Me, but "
                                               : "--overwrite ask needs a terminal to answer on, but ") +
                        "standard input is not a terminal: give --overwrite overwrite or --overwrite rename"};

        if (o.DryRun) {
            for (const TItemCommands& item : driver.Plan(settings)) {
                std::printf("# %s\n", qPrintable(item.OutputPath));
                if (!item.StageOne.isEmpty())
                    std::printf("%s\n", qPrintable(ShellLine(driver.StageOneExePath(), item.StageOne)));
                std::printf("%s\n", qPrintable(ShellLine(driver.StageTwoExePath(), item.StageTwo)));
                for (const QString& note : item.Notes)
                    std::printf("# Note: %s\n", qPrintable(note));
            }
            return ExitOk;
        }

        if (gInterrupted) { // nothing was written yet
            std::fprintf(stderr, "velloric-cli: stopped by %s before the conversion began\n",
                         strsignal(gSignal));
            return gSignal == SIGPIPE ? ExitOutputClosed : 128 + int(gSignal);
        }
        const TRunResult result = driver.Start(settings);
        for (const QString& note : result.Notes)
            std::fprintf(stderr, "Note: %s\n", qPrintable(note));
        for (const QString& skipped : result.Skipped)
            std::fprintf(stderr, "Skipped %s: the file exists\n", qPrintable(skipped));
        switch (result.Outcome) {
        case TRunResult::Completed:
            for (const QString& output : result.Outputs)
                std::fprintf(stderr, "Wrote %s\n", qPrintable(output));
            return ExitOk;
        case TRunResult::Cancelled:
            if (gSignal == SIGPIPE)
                return ExitOutputClosed;
            return 128 + (gSignal ? int(gSignal) : SIGINT);
        case TRunResult::Refused:
            return ExitBadInput;
        default:
            return ExitFailed;
        }
    } catch (const TBadInput& bad) {
        std::fprintf(stderr, "velloric-cli: %s\n", qPrintable(bad.Message));
        return ExitBadInput;
    }
}
