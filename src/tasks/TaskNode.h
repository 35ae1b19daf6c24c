#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The record behind one row of the task list: a title, or a chapter under its title.
struct TTaskNode {
    static constexpr int KindTitle = -1;
    static constexpr int KindChapter = 0;
    // AudioIndex and AudioLanguageIndex: every audio track; SubtitleIndex: every subtitle as a track.
    static constexpr int AllAudioTracks = -2;
    static constexpr int KeepSubtitleTracks = -2;
    // SubtitleIndex: every subtitle read into text tracks.
    static constexpr int TextSubtitleTracks = -3;

    int Kind = KindTitle;
    int Number = 0;
    int ChapterIndex = 0;
    QString DisplayText;
    QString ShortName;
    QString FrameSizeText;
    QString AspectText;
    double FullStart = 0;
    double FullEnd = 0;
    double FullLength = 0;
    QString FullStartText;
    QString FullEndText;
    double CurStart = 0;
    double CurEnd = 0;
    QString CurStartText;
    QString CurEndText;
    QString OutputName;
    int ImageIndex = 0;
    QStringList AudioTracks;
    QStringList AudioLanguages;
    QStringList Subtitles;
    int AudioIndex = 0;
    int AudioLanguageIndex = 0;
    int SubtitleIndex = 0;
    int AngleCount = 0;
    int AngleIndex = 0;
    int Checked = 0;
    // Titles only, numbered from 1: the earlier title this one plays again, or the titles this "play all"
    // plays one after the other.
    int SameAs = 0;
    std::vector<int> PlaysTitles;

    // Tree links: a title owns its chapters; a chapter points back at its title.
    TTaskNode* Parent = nullptr;
    std::vector<std::unique_ptr<TTaskNode>> Children;

    bool IsTitle() const { return Kind == KindTitle; }
    // A repeat or a "play all": converting it gives nothing the other titles do not.
    bool RepeatsOthers() const { return SameAs != 0 || !PlaysTitles.empty(); }
    // The row whose audio, language and subtitle lists apply to this row.
    const TTaskNode& ListOwner() const { return Parent ? *Parent : *this; }
};
