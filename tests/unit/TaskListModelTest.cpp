#include "tasks/TaskListModel.h"
#include "tasks/AppContext.h"
#include "tasks/TimeText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Two titles: the first with three chapters, two audio tracks and a subtitle; the second with one chapter.
class TaskList : public ::testing::Test {
protected:
    void SetUp() override {
        Context.OutputExt = ".mp4";
        T1 = AddTitle(1, 600, {"English AC3 6ch", "Deutsch AC3 2ch"}, {"en", "de"}, {"None", "English"}, 2);
        for (int j = 0; j < 3; ++j)
            AddChapter(T1, j, j * 200, j * 200 + 200);
        T2 = AddTitle(2, 5700, {"French AC3 2ch"}, {"fr"}, {"None"}, 1);
        AddChapter(T2, 0, 0, 5700);
    }

    TTaskNode* AddTitle(int number, double length, QStringList audio, QStringList languages,
                        QStringList subtitles, int angles) {
        auto node = std::make_unique<TTaskNode>();
        node->Number = number;
        node->DisplayText = node->ShortName = node->OutputName =
            QStringLiteral("Title%1").arg(number, 2, 10, QChar('0'));
        SetRange(*node, 0, length);
        node->FullLength = length;
        node->AudioTracks = audio;
        node->AudioLanguages = languages;
        node->Subtitles = subtitles;
        node->AngleCount = angles;
        return Tasks.AddTitle(std::move(node));
    }
    TTaskNode* AddChapter(TTaskNode* title, int j, double start, double end) {
        auto node = std::make_unique<TTaskNode>();
        node->Kind = TTaskNode::KindChapter;
        node->Number = j + 1;
        node->ChapterIndex = j;
        node->DisplayText = node->ShortName = QStringLiteral("Chapter%1").arg(j + 1, 2, 10, QChar('0'));
        node->OutputName = title->OutputName + "-" + node->ShortName;
        node->ImageIndex = 1;
        SetRange(*node, start, end);
        return Tasks.AddChapter(title, std::move(node));
    }
    static void SetRange(TTaskNode& n, double start, double end) {
        n.FullStart = n.CurStart = start;
        n.FullEnd = n.CurEnd = end;
        n.FullStartText = n.CurStartText = SecondsToTimeText(start);
        n.FullEndText = n.CurEndText = SecondsToTimeText(end);
    }
    TTaskNode* Chapter(TTaskNode* title, int j) { return title->Children[size_t(j)].get(); }
    int CheckedCount() { return int(Tasks.CheckedRows().size()); }

    TAppContext Context;
    TTaskListModel Tasks{Context};
    TTaskNode* T1 = nullptr;
    TTaskNode* T2 = nullptr;
};

TEST_F(TaskList, CellTexts) {
    using M = TTaskListModel;
    TTaskNode* c3 = Chapter(T1, 2);
    EXPECT_EQ(Tasks.CellText(*c3, M::ColTitle), "Chapter03");
    EXPECT_EQ(Tasks.CellText(*c3, M::ColStart), "00:06:40");
    EXPECT_EQ(Tasks.CellText(*c3, M::ColEnd), "00:10:00");
    EXPECT_EQ(Tasks.CellText(*c3, M::ColOutput), "Title01-Chapter03.mp4");
    EXPECT_EQ(Tasks.CellText(*c3, M::ColBlank), "");
    Context.DVDInformation.OutputPrefix = "MOVIE";
    EXPECT_EQ(Tasks.CellText(*c3, M::ColOutput), "MOVIE-Title01-Chapter03.mp4");

    Tasks.SetTrimmedRange(T1, 70, 600);
    EXPECT_EQ(Tasks.CellText(*T1, M::ColStart), "[ 00:01:10");
    EXPECT_EQ(Tasks.CellText(*T1, M::ColEnd), "00:10:00");
    Tasks.SetTrimmedRange(T1, 0, 500);
    EXPECT_EQ(Tasks.CellText(*T1, M::ColStart), "00:00:00");
    EXPECT_EQ(Tasks.CellText(*T1, M::ColEnd), "00:08:20 ]");

    // What a view reads through the model.
    const QModelIndex i = Tasks.IndexOf(c3, M::ColOutput);
    EXPECT_EQ(Tasks.data(i, Qt::DisplayRole).toString(), "MOVIE-Title01-Chapter03.mp4");
    EXPECT_EQ(Tasks.data(Tasks.IndexOf(c3), TTaskListModel::ImageIndexRole).toInt(), 1);
    EXPECT_EQ(Tasks.parent(i), Tasks.IndexOf(T1));
    EXPECT_EQ(Tasks.rowCount(Tasks.IndexOf(T1)), 3);
    EXPECT_EQ(Tasks.rowCount(), 2);
}

TEST_F(TaskList, CheckBoxClickFlipsAndFocuses) {
    std::vector<TChoiceLists> shown;
    QObject::connect(&Tasks, &TTaskListModel::ChoicesChanged,
                     [&](const TChoiceLists& c) { shown.push_back(c); });
    Tasks.setData(Tasks.IndexOf(Chapter(T1, 1)), Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(Chapter(T1, 1)->Checked, -1);
    EXPECT_EQ(Tasks.FocusedRow(), Chapter(T1, 1));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().AudioTracks, T1->AudioTracks + QStringList{kAllAudioTracksText});
    EXPECT_EQ(Tasks.data(Tasks.IndexOf(Chapter(T1, 1)), Qt::CheckStateRole).value<Qt::CheckState>(),
              Qt::Checked);
    Tasks.ClickCheckBox(Chapter(T1, 1));
    EXPECT_EQ(Chapter(T1, 1)->Checked, 0);
}

TEST_F(TaskList, CheckCommandsReachEveryRowInTreeOrder) {
    Tasks.RunCheckCommand(TCheckCommand::AllChapters);
    const auto checked = Tasks.CheckedRows();
    ASSERT_EQ(checked.size(), 4u);
    EXPECT_EQ(checked[0], Chapter(T1, 0));
    EXPECT_EQ(checked[3], Chapter(T2, 0));
    Tasks.RunCheckCommand(TCheckCommand::AllTitles);
    EXPECT_EQ(CheckedCount(), 6);
    EXPECT_EQ(Tasks.CheckedRows()[0], T1);
    EXPECT_EQ(Tasks.CheckedRows()[4], T2);
    Tasks.RunCheckCommand(TCheckCommand::UncheckAll);
    EXPECT_EQ(CheckedCount(), 0);
    Tasks.RunCheckCommand(TCheckCommand::AllTitlesAndChapters);
    EXPECT_EQ(CheckedCount(), 6);
}

TEST_F(TaskList, AChoiceOnATitleReachesItsChaptersAndAChapterChoiceStaysPut) {
    Tasks.SetFocusedRow(T1);
    Tasks.PickAudio(1);
    Tasks.PickSubtitle(1);
    Tasks.PickAngle(1);
    for (TTaskNode* n : {T1, Chapter(T1, 0), Chapter(T1, 1), Chapter(T1, 2)}) {
        EXPECT_EQ(n->AudioIndex, 1);
        EXPECT_EQ(n->AudioLanguageIndex, 1);
        EXPECT_EQ(n->SubtitleIndex, 1);
        EXPECT_EQ(n->AngleIndex, 1);
    }
    EXPECT_EQ(Chapter(T2, 0)->AudioIndex, 0);

    Tasks.SetFocusedRow(Chapter(T1, 1));
    Tasks.PickAudio(0);
    EXPECT_EQ(Chapter(T1, 1)->AudioIndex, 0);
    EXPECT_EQ(Chapter(T1, 1)->AudioLanguageIndex, 0);
    EXPECT_EQ(T1->AudioIndex, 1);
    EXPECT_EQ(Chapter(T1, 2)->AudioIndex, 1);

    // Focusing the chapter shows its title's lists with the chapter's own picks.
    const TChoiceLists lists = Tasks.Choices();
    EXPECT_EQ(lists.AudioTracks, T1->AudioTracks + QStringList{kAllAudioTracksText});
    EXPECT_EQ(lists.AudioLanguages, (QStringList{"en", "de", ""}));
    EXPECT_EQ(lists.Subtitles, (QStringList{"None", "English", kSubtitleTracksText, kSubtitleTextText}));
    EXPECT_EQ(lists.Angles, (QStringList{"1", "2"}));
    EXPECT_EQ(lists.AudioIndex, 0);
    EXPECT_EQ(lists.SubtitleIndex, 1);

    // The last entries keep every track, on the title and its chapters, and show as picked.
    Tasks.SetFocusedRow(T1);
    Tasks.PickAudio(2);
    Tasks.PickSubtitle(2);
    for (TTaskNode* n : {T1, Chapter(T1, 0), Chapter(T1, 2)}) {
        EXPECT_EQ(n->AudioLanguageIndex, TTaskNode::AllAudioTracks);
        EXPECT_EQ(n->SubtitleIndex, TTaskNode::KeepSubtitleTracks);
    }
    EXPECT_EQ(Tasks.Choices().AudioIndex, 2);
    EXPECT_EQ(Tasks.Choices().SubtitleIndex, 2);
    Tasks.PickSubtitle(3);
    for (TTaskNode* n : {T1, Chapter(T1, 0), Chapter(T1, 2)})
        EXPECT_EQ(n->SubtitleIndex, TTaskNode::TextSubtitleTracks);
    EXPECT_EQ(Tasks.Choices().SubtitleIndex, 3);
    // A title without subtitles offers none to keep or read.
    Tasks.SetFocusedRow(T2);
    EXPECT_EQ(Tasks.Choices().Subtitles.size(), T2->Subtitles.size() + (T2->Subtitles.size() > 1 ? 2 : 0));
}

TEST_F(TaskList, NothingHappensWithoutAFocusedRowOrRows) {
    Tasks.PickAudio(1);
    EXPECT_EQ(T1->AudioIndex, 0);
    Tasks.Clear();
    Tasks.RunCheckCommand(TCheckCommand::AllTitlesAndChapters);
    Tasks.PickSubtitle(1);
    EXPECT_EQ(Tasks.CheckLongestTitle(), nullptr);
    EXPECT_TRUE(Tasks.Rows().empty());
}

TEST_F(TaskList, LongestTitleIsChecked) {
    EXPECT_EQ(Tasks.CheckLongestTitle(), T2);
    EXPECT_EQ(Tasks.CheckedRows(), std::vector<TTaskNode*>{T2});
    // Of equal lengths the earlier title wins.
    Tasks.SetChecked(T2, false);
    T1->FullLength = T2->FullLength;
    EXPECT_EQ(Tasks.CheckLongestTitle(), T1);
}

TEST_F(TaskList, AReloadDuringAPumpingLoopStopsIt) {
    Tasks.SetFocusedRow(T1);
    int pumps = 0;
    Tasks.Pump = [&] {
        if (++pumps == 2)
            Tasks.Clear();
    };
    Tasks.PickAudio(1); // must not touch the released chapters
    Tasks.RunCheckCommand(TCheckCommand::AllTitlesAndChapters);
    EXPECT_TRUE(Tasks.IsEmpty());
}

} // namespace
