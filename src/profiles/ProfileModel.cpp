#include "ProfileModel.h"

#include "IniFile.h"
#include "NewIniFile.h"
#include "ProfileWords.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

QStringList SplitList(const QString& text) {
    QStringList items;
    qsizetype start = 0;
    for (qsizetype comma = text.indexOf(','); comma >= 0; comma = text.indexOf(',', start)) {
        items << text.mid(start, comma - start);
        start = comma + 1;
    }
    return items;
}

QStringList ListFilesWithExt(const QString& folder, const QString& ext) {
    QStringList names;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
        const QString name = info.fileName();
        const qsizetype dot = name.lastIndexOf('.');
        if (dot >= 0 && SameNoCase(name.mid(dot), ext))
            names << name;
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QString StripExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf('.');
    return dot < 0 ? path : path.left(dot);
}

QString ProfileFileIn(const QString& folder, const QString& name) {
    if (const QString path = folder + name + ".apf"; QFileInfo(path).isFile())
        return path;
    for (const QString& file : ListFilesWithExt(folder, ".apf"))
        if (StripExtension(file) == name)
            return folder + file;
    return QString();
}

QString ProfilePath(const QString& programDir, const QString& name) {
    const QString found = ProfileFileIn(programDir + "Profiles/", name);
    return found.isEmpty() ? programDir + "Profiles/" + name + ".apf" : found;
}

QStringList ProfileNames(const QString& programDir, QString* problem) {
    const QString folder = programDir + "Profiles";
    const QFileInfo info(folder);
    QString why;
    if (!info.exists())
        why = "the profile folder does not exist";
    else if (!info.isDir())
        why = "the profile folder is not a folder";
    else if (!info.isReadable() || !info.isExecutable())
        why = "the profile folder cannot be read";
    if (!why.isEmpty()) {
        if (problem)
            *problem = folder + ": " + why;
        return {};
    }
    QStringList names;
    for (const QString& file : ListFilesWithExt(folder, ".apf"))
        names << StripExtension(file);
    return names;
}

namespace {

template <class TIni> TProfileParam ReadProfileParam(const TIni& ini, int i) {
    TProfileParam p;
    p.Name = ini.ReadString("Main", QString::number(i), QString());
    p.Sort = ini.ReadInteger(p.Name, "Sort", -1);
    p.ReadOnly = ini.ReadBool(p.Name, "ReadOnly", false);
    p.List = ini.ReadBool(p.Name, "List", true);
    p.Caption = ini.ReadString(p.Name, "Caption", QString());
    p.Value = ini.ReadString(p.Name, "Value", QString());
    p.Index = ini.ReadInteger(p.Name, "Index", 0);
    p.cmd = ini.ReadString(p.Name, "cmd", QString());
    p.Custom = ini.ReadString(p.Name, "Custom", QString());
    return p;
}

} // namespace

template <class TIni> std::vector<TProfileParam> ReadProfileParams(const TIni& ini) {
    std::vector<TProfileParam> params;
    // Every parameter takes a line of [Main]: a larger count is not what the file holds.
    const int count = std::min(ini.ReadInteger("Main", "Para", 0), ini.SectionLineCount("Main"));
    for (int i = 0; i < count; ++i)
        params.push_back(ReadProfileParam(ini, i));
    return params;
}

template std::vector<TProfileParam> ReadProfileParams(const TIniSnapshot&);
template std::vector<TProfileParam> ReadProfileParams(const TNewInifile&);

QString CurrentValue(const TProfileParam& param, const QString& rowText) {
    if (param.List) {
        const QStringList captions = SplitList(param.Caption);
        const QStringList values = SplitList(param.Value);
        for (qsizetype i = 0; i < captions.size(); ++i)
            if (captions[i].compare(rowText, Qt::CaseInsensitive) == 0)
                return values.value(i); // a Value list shorter than the captions reads as empty
        return rowText;
    }
    return param.ReadOnly ? param.Value : rowText;
}

std::vector<int> GridsOf(const std::vector<TProfileParam>& params) {
    std::vector<int> grids;
    int previous = TParamGrids::Advanced;
    for (const TProfileParam& p : params) {
        if (p.Sort >= 1 && p.Sort <= 3)
            previous = p.Sort - 1;
        grids.push_back(previous);
    }
    return grids;
}

const TGridRow* TParamGrids::Find(int grid, const QString& key) const {
    for (const TGridRow& row : Groups[size_t(grid)])
        if (row.Key.compare(key, Qt::CaseInsensitive) == 0)
            return &row;
    return nullptr;
}

QString TParamGrids::RowText(int grid, const QString& key) const {
    const TGridRow* row = Find(grid, key);
    return row ? row->Text : QString();
}

void TParamGrids::SetRowText(int grid, const QString& key, const QString& text) {
    if (const TGridRow* row = Find(grid, key)) {
        const_cast<TGridRow*>(row)->Text = text;
        return;
    }
    Groups[size_t(grid)].push_back({key, text, false, false, {}});
}

void TParamGrids::Clear() {
    for (auto& group : Groups)
        group.clear();
}

TParamGrids TParamGrids::Initial() {
    TParamGrids grids;
    const auto fill = [&](int grid, QStringList keys) {
        for (const QString& key : keys)
            grids.Groups[size_t(grid)].push_back({key, QString(), false, false, {}});
    };
    fill(Video, {"Video Codec", "Video Size", "Bit Rate", "Frame Rate", "Aspect", "Disable Video"});
    fill(Audio, {"Audio Codec", "Audio Bitrate", "Sample Rate", "Channels", "Volumn", "Disable Audio"});
    fill(Advanced, {"Bit Exact Algorithms", "Deinterlace"});
    return grids;
}

namespace {

template <class TIni> TProfileLoad LoadRows(const TIni& ini, TParamGrids& grids) {
    TProfileLoad load;
    load.Loaded = true;
    load.Type = ini.ReadString("Main", "Type", "mp4");
    grids.Clear();
    const std::vector<TProfileParam> params = ReadProfileParams(ini);
    const std::vector<int> gridOf = GridsOf(params);
    for (size_t i = 0; i < params.size(); ++i) {
        const TProfileParam& p = params[i];
        TGridRow row{p.Name, QString(), p.ReadOnly, false, {}};
        if (p.List) {
            row.Choices = SplitList(p.Caption);
            if (p.Index < 0 || p.Index >= row.Choices.size()) {
                grids.Groups[size_t(gridOf[i])].push_back(row);
                load.Error = QStringLiteral("List index out of bounds (%1)").arg(p.Index);
                return load;
            }
            row.PickList = true;
            row.Text = row.Choices[p.Index];
            if (row.Text == kCustomSizeCaption && !p.Custom.isEmpty())
                row.Text = p.Custom;
            row.ReadOnly = true; // the user picks among the captions but cannot type
        } else {
            row.Text = p.Caption;
        }
        grids.Groups[size_t(gridOf[i])].push_back(row);
    }
    return load;
}

} // namespace

TProfileLoad LoadProfileRows(const QString& path, TParamGrids& grids) {
    if (!QFileInfo(path).isFile())
        return {};
    return LoadRows(TIniSnapshot(path), grids);
}

TProfileLoad LoadProfileRowsWithStore(const QString& path, TParamGrids& grids) {
    if (!QFileInfo(path).isFile())
        return {};
    TNewInifile store(path);
    TProfileLoad load = LoadRows(store, grids);
    store.Close();
    return load;
}

bool CheckProfileUsable(const QString& path, QString& problem, const TParamGrids* rows) {
    const TIniText read = ReadIniText(path);
    const auto refuse = [&](const QString& why) {
        problem = path + ": " + why;
        return false;
    };
    if (!read.Exists)
        return refuse("the profile does not exist");
    if (!read.Problem.isEmpty())
        return refuse(read.Problem);
    bool blank = true;
    for (const QString& line : read.Lines) {
        for (const QChar c : line)
            if (c.unicode() < 0x20 && c != '\t')
                return refuse("the profile holds binary data, not text");
        blank = blank && line.trimmed().isEmpty();
    }
    if (blank)
        return refuse("the profile is empty");

    const std::vector<TProfileParam> params = ReadProfileParams(TIniSnapshot(path));
    if (params.empty())
        return refuse("the profile has no parameters (key \"Para\" in [Main])");
    TParamGrids grids;
    const TProfileLoad load = LoadRows(TIniSnapshot(path), grids);
    if (!load.Error.isEmpty())
        return refuse(load.Error);
    if (!IsPlainExtension(load.Type))
        return refuse("the profile's Type (\"Type\" in [Main]) \"" + load.Type +
                      "\" is not a plain file extension (letters and digits, one output file)");
    const TParamGrids& used = rows ? *rows : grids;
    const std::vector<int> gridOf = GridsOf(params);
    // No profile text may have an encoder write anything but the run's own files.
    for (size_t i = 0; i < params.size(); ++i)
        if (const QString why = ParamWordsProblem(params[i], used.RowText(gridOf[i], params[i].Name));
            !why.isEmpty())
            return refuse(QStringLiteral("the row \"%1\" ([%1]) %2").arg(params[i].Name, why));
    const auto valueOf = [&](const QString& cmd, bool* found) {
        QString value;
        *found = false;
        for (size_t i = 0; i < params.size(); ++i)
            if (params[i].cmd == cmd) { // the last one wins, as in the builders
                *found = true;
                value = CurrentValue(params[i], used.RowText(gridOf[i], params[i].Name));
            }
        return value;
    };
    // "Custom Size" stands for a size; without one the conversion would keep the original size unasked.
    for (size_t i = 0; i < params.size(); ++i)
        if (params[i].cmd == "-s" && used.RowText(gridOf[i], params[i].Name) == kCustomSizeCaption)
            return refuse(QStringLiteral("the choice \"%1\" of \"%2\" has no size (key \"Custom\" in [%2])")
                              .arg(kCustomSizeCaption, params[i].Name));
    bool found = false;
    // A profile that copies a stream as the disc has it needs no encoder settings for it.
    const bool copiesAudio = valueOf("-acodec", &found) == "copy";
    const bool copiesVideo = valueOf("-vcodec", &found) == "copy";
    const QString sampleRate = valueOf("-ar", &found);
    if (!found && !copiesAudio)
        return refuse("the profile has no sample rate (no parameter with \"cmd=-ar\")");
    if (found && sampleRate.isEmpty())
        return refuse("the profile's sample rate (\"cmd=-ar\") has no value");
    const bool videoOff = !valueOf("-vn", &found).isEmpty();
    valueOf("-b", &found);
    if (!found && !videoOff && !copiesVideo)
        return refuse("the profile has no video bit rate (no parameter with \"cmd=-b\")");
    return true;
}
