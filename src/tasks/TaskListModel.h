#pragma once

#include "TaskNode.h"

#include <QAbstractItemModel>
#include <functional>

struct TAppContext;

// What the audio, subtitle and angle lists show for the focused row.
struct TChoiceLists {
    QStringList AudioTracks;
    QStringList AudioLanguages;
    QStringList Subtitles;
    QStringList Angles; // "1", "2", ... up to the title's angle count
    int AudioIndex = 0;
    int SubtitleIndex = 0;
    int AngleIndex = 0;
};

// The last entries of the audio and subtitle lists: every audio track, every subtitle as a track.
inline const QString kAllAudioTracksText = QStringLiteral("All tracks");
inline const QString kSubtitleTracksText = QStringLiteral("All as tracks");
inline const QString kSubtitleTextText = QStringLiteral("All as text");

enum class TCheckCommand { AllTitlesAndChapters, AllTitles, AllChapters, UncheckAll };

// The task list: titles as top-level rows, their chapters beneath. It owns the rows from a load until
// the next Clear, and holds the focused row and the choice rules that go with it.
class TTaskListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum TColumn { ColTitle, ColStart, ColEnd, ColOutput, ColBlank, ColumnCount };
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    explicit TTaskListModel(const TAppContext& context, QObject* parent = nullptr);
    ~TTaskListModel() override;

    void Clear();
    TTaskNode* AddTitle(std::unique_ptr<TTaskNode> title);
    TTaskNode* AddChapter(TTaskNode* title, std::unique_ptr<TTaskNode> chapter);

    int TitleCount() const { return int(FTitles.size()); }
    TTaskNode* Title(int i) const { return FTitles[size_t(i)].get(); }
    bool IsEmpty() const { return FTitles.empty(); }
    // Every row in tree order: a title, its chapters, the next title.
    std::vector<TTaskNode*> Rows() const;
    std::vector<TTaskNode*> CheckedRows() const;

    QString CellText(const TTaskNode& node, int column) const;

    // Row commands. The ones that walk many rows call Pump before each row so the window stays live.
    void ClickCheckBox(TTaskNode* node);
    void SetChecked(TTaskNode* node, bool checked);
    void RunCheckCommand(TCheckCommand command);
    TTaskNode* CheckLongestTitle();

    // The focused row and the three choice lists; picks do nothing while no row is focused.
    void SetFocusedRow(TTaskNode* node);
    TTaskNode* FocusedRow() const { return FFocused; }
    TChoiceLists Choices() const;
    void PickAudio(int index);
    void PickSubtitle(int index);
    void PickAngle(int index);

    // Repaints every row, after the output prefix or the output extension changed.
    void RefreshTexts();
    void SetTrimmedRange(TTaskNode* node, double start, double end);
    // The range as the user typed it: the texts are kept as they stand and their values are read from them.
    void SetTrimmedTexts(TTaskNode* node, const QString& startText, const QString& endText);

    QModelIndex IndexOf(const TTaskNode* node, int column = 0) const;
    static TTaskNode* NodeOf(const QModelIndex& index);

    std::function<void()> Pump; // handles pending events; set by a front end, may be empty

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void FocusedRowChanged(TTaskNode* node);
    void ChoicesChanged(const TChoiceLists& choices);

private:
    void RowChanged(const TTaskNode* node);
    void DoPump() const;
    template <class F> void ApplyChoice(F assign);

    const TAppContext& FContext;
    std::vector<std::unique_ptr<TTaskNode>> FTitles;
    TTaskNode* FFocused = nullptr;
    unsigned FGeneration = 0; // counts Clear calls, so a loop that pumps events sees a reload
};
