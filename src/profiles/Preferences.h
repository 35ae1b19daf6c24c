#pragma once

#include <QString>

struct TParamGrids;

// The General page of the Settings dialog as "Preferences.ini" keeps it.
struct TPreferences {
    enum TOverwritePolicy { Ask, Overwrite, Rename };
    enum TEngine { TwoStages, Direct };

    QString OutputPath;
    QString WorkDir;
    int SynMode = 0; // 0 "Auto", 1 "Force Mode", 2 "Progressive Mode"
    bool AutoOpenDir = true;
    bool AutoExit = false;
    bool AutoTurnOff = false;
    TOverwritePolicy Policy = Ask;
    TEngine Engine = TwoStages; // "Engine": "Two stages" or "Direct"
    bool OverlapStages = false; // stage two reads the work file while stage one writes it
    bool ChapterMarks = true;   // "Chapter Marks": outputs carry the disc's chapters
    int ParallelRows = 0;       // "Parallel Rows": rows the direct engine converts at once; 0 is "Auto"
};

// The texts of key "Engine".
inline const QString kEngineTwoStages = QStringLiteral("Two stages");
inline const QString kEngineDirect = QStringLiteral("Direct");
inline const QString kParallelRowsAuto = QStringLiteral("Auto");

// The number a text of key "Parallel Rows" (or of --parallel-rows) stands for: 0 for "Auto", else a
// whole number from 1 on; -1 for anything else.
int ParallelRowsOf(const QString& text);

// What an unset output or work folder stands for: the program folder where it can be written, the user's
// videos and cache folders for an installed program.
struct TDefaultFolders {
    QString Output;
    QString Work;
    TDefaultFolders(const QString& both) : Output(both), Work(both) {} // NOLINT: a folder for both
    TDefaultFolders(const QString& output, const QString& work) : Output(output), Work(work) {}
};

// Reads section "Main", or "Default" when useDefaults is set, with the built-in defaults (output and work
// folder: programDir). The store is closed afterwards, which writes the file; when that fails the values
// read are still returned and writeError says why.
TPreferences LoadPreferences(const QString& iniPath, bool useDefaults, const TDefaultFolders& programDir,
                             QString* writeError = nullptr);

// The same values read through the plain access, which never writes the file (for the command-line tool).
TPreferences ReadPreferences(const QString& iniPath, const TDefaultFolders& programDir);

// Writes the General page into section "Main". Throws EIniWriteError.
void SavePreferences(const QString& iniPath, const TPreferences& preferences);

// The work folder a work-directory text stands for: "/" appended; an empty or relative text means
// programDir.
QString WorkDirOf(const QString& text, const QString& programDir);

// Writes the grids' rows into the profile at path: the chosen Index of list parameters (a custom size as
// the "Custom Size" choice with its size in "Custom"), Caption and Value of free ones; read-only
// parameters, parameters without a row and everything else stay. Throws EIniWriteError.
void SaveProfile(const QString& path, const TParamGrids& grids);

// Copies source to target (replacing it) and saves the rows into the copy, when grids are given. False
// when source is missing.
bool SaveProfileAs(const QString& source, const QString& target, const TParamGrids* grids);
