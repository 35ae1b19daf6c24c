#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

class TIniSnapshot;
class TNewInifile;
struct TParamGrids;

// One parameter section of a profile.
struct TProfileParam {
    QString Name;
    int Sort = -1; // 1 Video, 2 Audio, 3 Advanced
    bool ReadOnly = false;
    bool List = true;
    QString Caption;
    QString Value;
    int Index = 0;
    QString cmd;
    QString Custom; // the size a "Custom Size" choice stands for, empty when none was saved
};

// The items of a comma list: every item ends with a comma; text after the last comma is no item.
QStringList SplitList(const QString& text);

// Names (no folder) of the files in folder whose extension equals ext ("." included) without regard to
// case; hidden files are left out; sorted alphabetically without regard to case.
QStringList ListFilesWithExt(const QString& folder, const QString& ext);

// The text before the last ".", or the whole text when it has none.
QString StripExtension(const QString& path);

// ProgramDir + "Profiles/" + name + ".apf"; when that file is missing, the listed file of that name whose
// extension has another case ("NAME.APF").
// The file of a profile in a folder of profiles (ending in "/"), its extension in any case; empty when
// there is none.
QString ProfileFileIn(const QString& folder, const QString& name);
QString ProfilePath(const QString& programDir, const QString& name);

// The names of the profiles in programDir + "Profiles/", in the order the profile lists show them. When
// that folder is missing or cannot be read the list is empty and problem (when given) says why, with the
// folder's path; an empty but readable folder is no problem.
QStringList ProfileNames(const QString& programDir, QString* problem = nullptr);

// The parameters of a profile file, in the order of the numbered keys of [Main]; read through either
// accessor (the plain access's snapshot or TNewInifile), with the defaults of the format. "Para" counts
// no more parameters than [Main] has lines: a number beyond what the file holds reads nothing more.
template <class TIni> std::vector<TProfileParam> ReadProfileParams(const TIni& ini);

// Whether the conversion can start with the profile at path and the rows shown for it (the file's own
// choices when rows is null). False, with problem naming the file and what it lacks, for a file that
// cannot be read, is empty or holds binary data, or lacks a parameter stage one takes from it: the
// sample rate ("cmd=-ar", with a value) and, unless the profile turns video off ("cmd=-vn"), the video
// bit rate ("cmd=-b"); also for a "Custom Size" choice that has no size, a Type that is no plain extension
// and a row that would make an encoder write another file (see ProfileWords.h).
bool CheckProfileUsable(const QString& path, QString& problem, const TParamGrids* rows = nullptr);

// What an encoder is given for a parameter whose grid row holds rowText.
QString CurrentValue(const TProfileParam& param, const QString& rowText);

// Grid number 0 Video, 1 Audio, 2 Advanced of each parameter. A Sort outside 1 to 3 takes the grid of the
// parameter before it, and Advanced for the first, so loaders and builders place it alike.
std::vector<int> GridsOf(const std::vector<TProfileParam>& params);

// The rows of the three parameter grids, as the loaders fill them and the builders read them.
struct TGridRow {
    QString Key;
    QString Text;
    bool ReadOnly = false;
    bool PickList = false;
    QStringList Choices;
};

struct TParamGrids {
    enum { Video, Audio, Advanced, GroupCount };
    std::array<std::vector<TGridRow>, GroupCount> Groups;

    // First row of the grid whose key equals key without regard to case; missing rows read as "".
    const TGridRow* Find(int grid, const QString& key) const;
    QString RowText(int grid, const QString& key) const;
    // Writes the row, appending it at the end of the grid when missing.
    void SetRowText(int grid, const QString& key, const QString& text);
    void Clear();

    // The rows the grids hold before any profile is loaded.
    static TParamGrids Initial();
};

// A list parameter whose chosen caption is this keeps the size it stands for in the key "Custom" of its
// section (width "x" height, as the custom size dialog writes it).
inline constexpr char kCustomSizeCaption[] = "Custom Size";

struct TProfileLoad {
    bool Loaded = false; // false: no file at the path; nothing changed
    QString Type;        // [Main] Type, "mp4" when missing
    QString Error;       // "List index out of bounds (n)": the rows up to that parameter were loaded
};

// Fills grids from the profile at path (read through the plain access), as the main window loads it.
TProfileLoad LoadProfileRows(const QString& path, TParamGrids& grids);
// The same through the store, as the Settings dialog loads it; ends with the store's Close, which
// rewrites the file. Throws EIniWriteError when it cannot.
TProfileLoad LoadProfileRowsWithStore(const QString& path, TParamGrids& grids);
