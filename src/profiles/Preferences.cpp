#include "Preferences.h"

#include "IniFile.h"
#include "IniText.h"
#include "NewIniFile.h"
#include "ProfileModel.h"

#include <QFile>
#include <algorithm>
#include <QFileInfo>
#include <QSaveFile>

QString WorkDirOf(const QString& text, const QString& programDir) {
    // A relative folder would follow wherever the program happened to be started from.
    if (text.isEmpty() || QFileInfo(text).isRelative())
        return programDir;
    return text.endsWith('/') ? text : text + '/';
}

namespace {

template <class TIni>
TPreferences ReadValues(const TIni& ini, const QString& section, const TDefaultFolders& programDir) {
    TPreferences p;
    p.OutputPath = ini.ReadString(section, "Output Path", programDir.Output);
    p.WorkDir = ini.ReadString(section, "Work Dir", programDir.Work);
    p.SynMode = ini.ReadInteger(section, "Syn Mode", 0);
    p.AutoOpenDir = ini.ReadBool(section, "Auto Open Dir", true);
    p.AutoExit = ini.ReadBool(section, "Auto Exit", false);
    p.AutoTurnOff = ini.ReadBool(section, "Auto Turn Off", false);
    const bool ask = ini.ReadBool(section, "Ask", true);
    const bool overwrite = ini.ReadBool(section, "Overwrite", false);
    p.Policy = overwrite ? TPreferences::Overwrite : ask ? TPreferences::Ask : TPreferences::Rename;
    p.Engine =
        ini.ReadString(section, "Engine", kEngineTwoStages).compare(kEngineDirect, Qt::CaseInsensitive) == 0
            ? TPreferences::Direct
            : TPreferences::TwoStages;
    p.OverlapStages = ini.ReadBool(section, "Overlap Stages", false);
    p.ChapterMarks = ini.ReadBool(section, "Chapter Marks", true);
    p.ParallelRows = std::max(0, ParallelRowsOf(ini.ReadString(section, "Parallel Rows", kParallelRowsAuto)));
    return p;
}

} // namespace

TPreferences LoadPreferences(const QString& iniPath, bool useDefaults, const TDefaultFolders& programDir,
                             QString* writeError) {
    TNewInifile store(iniPath);
    const TPreferences p = ReadValues(store, useDefaults ? "Default" : "Main", programDir);
    try {
        store.Close();
    } catch (const EIniWriteError& e) {
        if (writeError)
            *writeError = QString::fromStdString(e.what());
    }
    return p;
}

int ParallelRowsOf(const QString& text) {
    if (text.trimmed().compare(kParallelRowsAuto, Qt::CaseInsensitive) == 0)
        return 0;
    bool ok = false;
    const int rows = text.trimmed().toInt(&ok);
    return ok && rows >= 1 ? rows : -1;
}

TPreferences ReadPreferences(const QString& iniPath, const TDefaultFolders& programDir) {
    return ReadValues(TIniSnapshot(iniPath), "Main", programDir);
}

void SavePreferences(const QString& iniPath, const TPreferences& p) {
    TNewInifile store(iniPath);
    store.WriteString("Main", "Output Path", p.OutputPath);
    store.WriteString("Main", "Work Dir", p.WorkDir);
    store.WriteInteger("Main", "Syn Mode", p.SynMode);
    store.WriteBool("Main", "Auto Open Dir", p.AutoOpenDir);
    store.WriteBool("Main", "Auto Exit", p.AutoExit);
    store.WriteBool("Main", "Auto Turn Off", p.AutoTurnOff);
    store.WriteBool("Main", "Ask", p.Policy == TPreferences::Ask);
    store.WriteBool("Main", "Overwrite", p.Policy == TPreferences::Overwrite);
    store.WriteString("Main", "Engine", p.Engine == TPreferences::Direct ? kEngineDirect : kEngineTwoStages);
    store.WriteBool("Main", "Overlap Stages", p.OverlapStages);
    store.WriteBool("Main", "Chapter Marks", p.ChapterMarks);
    store.WriteString("Main", "Parallel Rows",
                      p.ParallelRows > 0 ? QString::number(p.ParallelRows) : kParallelRowsAuto);
    store.Close();
}

void SaveProfile(const QString& path, const TParamGrids& grids) {
    TNewInifile store(path);
    const std::vector<TProfileParam> params = ReadProfileParams(store);
    const std::vector<int> gridOf = GridsOf(params);
    for (size_t i = 0; i < params.size(); ++i) {
        const TProfileParam& p = params[i];
        const TGridRow* row = grids.Find(gridOf[i], p.Name);
        // A parameter the grids do not show keeps what the file says, as read-only ones do.
        if (p.ReadOnly || !row)
            continue;
        if (!p.List) {
            store.WriteString(p.Name, "Caption", row->Text);
            store.WriteString(p.Name, "Value", row->Text);
            continue;
        }
        int index = -1;
        for (int k = 0; k < row->Choices.size() && index < 0; ++k)
            if (row->Choices[k].compare(row->Text, Qt::CaseInsensitive) == 0)
                index = k;
        if (index >= 0) {
            store.WriteInteger(p.Name, "Index", index);
        } else if (const int custom = int(row->Choices.indexOf(kCustomSizeCaption)); custom >= 0) {
            // A size from the custom size dialog: saved as the "Custom Size" choice with the size it is.
            store.WriteInteger(p.Name, "Index", custom);
            store.WriteString(p.Name, "Custom", row->Text);
        }
        // Any other text is no choice of the list; an index the next load refuses is not written.
    }
    store.Close();
}

bool SaveProfileAs(const QString& source, const QString& target, const TParamGrids* grids) {
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw EIniWriteError(
            QStringLiteral("Cannot create file %1: %2").arg(target, out.errorString()).toStdString());
    if (grids)
        SaveProfile(target, *grids);
    return true;
}
