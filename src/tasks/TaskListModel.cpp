#include "TaskListModel.h"

#include "AppContext.h"
#include "OutputFileName.h"
#include "TimeText.h"

namespace {

QString TitleName(int number) {
    return QStringLiteral("Title%1").arg(number, 2, 10, QLatin1Char('0'));
}

// "Title01, Title02 and Title03"
QString TitleNames(const std::vector<int>& numbers) {
    QStringList names;
    for (int number : numbers)
        names << TitleName(number);
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(", ") + " and " + last;
}

// The short tag after a title's text, and the tooltip that explains it.
QString RelationTag(const TTaskNode& node) {
    if (node.SameAs != 0)
        return QStringLiteral("(same as %1)").arg(TitleName(node.SameAs));
    return node.PlaysTitles.empty() ? QString() : QStringLiteral("(play all)");
}

QString RelationToolTip(const TTaskNode& node) {
    if (node.SameAs != 0)
        return QStringLiteral("%1 plays the same video as %2: converting both gives the same file twice.")
            .arg(TitleName(node.Number), TitleName(node.SameAs));
    if (!node.PlaysTitles.empty())
        return QStringLiteral("%1 is a \"play all\" title: it plays %2 one after the other.")
            .arg(TitleName(node.Number), TitleNames(node.PlaysTitles));
    return {};
}

} // namespace

TTaskListModel::TTaskListModel(const TAppContext& context, QObject* parent)
    : QAbstractItemModel(parent), FContext(context) {}

TTaskListModel::~TTaskListModel() = default;

void TTaskListModel::Clear() {
    beginResetModel();
    ++FGeneration;
    FFocused = nullptr;
    FTitles.clear();
    endResetModel();
    emit FocusedRowChanged(nullptr);
}

TTaskNode* TTaskListModel::AddTitle(std::unique_ptr<TTaskNode> title) {
    const int row = int(FTitles.size());
    beginInsertRows({}, row, row);
    title->Parent = nullptr;
    FTitles.push_back(std::move(title));
    endInsertRows();
    return FTitles.back().get();
}

TTaskNode* TTaskListModel::AddChapter(TTaskNode* title, std::unique_ptr<TTaskNode> chapter) {
    const int row = int(title->Children.size());
    beginInsertRows(IndexOf(title), row, row);
    chapter->Parent = title;
    title->Children.push_back(std::move(chapter));
    endInsertRows();
    return title->Children.back().get();
}

std::vector<TTaskNode*> TTaskListModel::Rows() const {
    std::vector<TTaskNode*> rows;
    for (const auto& title : FTitles) {
        rows.push_back(title.get());
        for (const auto& chapter : title->Children)
            rows.push_back(chapter.get());
    }
    return rows;
}

std::vector<TTaskNode*> TTaskListModel::CheckedRows() const {
    std::vector<TTaskNode*> rows;
    for (TTaskNode* node : Rows())
        if (node->Checked != 0)
            rows.push_back(node);
    return rows;
}

QString TTaskListModel::CellText(const TTaskNode& node, int column) const {
    switch (column) {
    case ColStart:
        return node.CurStart != node.FullStart ? "[ " + node.CurStartText : node.CurStartText;
    case ColEnd:
        return node.CurEnd != node.FullEnd ? node.CurEndText + " ]" : node.CurEndText;
    case ColOutput: {
        const QString prefix = SafeFileNamePart(FContext.DVDInformation.OutputPrefix);
        const QString name = node.OutputName + FContext.OutputExt;
        return prefix.isEmpty() ? name : prefix + "-" + name;
    }
    case ColBlank:
        return {};
    default: {
        // The tag follows the title's name, ahead of the picture's details, so that the narrow Title column
        // still shows it.
        const QString tag = node.IsTitle() ? RelationTag(node) : QString();
        if (tag.isEmpty())
            return node.DisplayText;
        const qsizetype name = node.DisplayText.startsWith(node.ShortName) ? node.ShortName.size() : 0;
        return name > 0 ? node.DisplayText.left(name) + " " + tag + node.DisplayText.mid(name)
                        : tag + " " + node.DisplayText;
    }
    }
}

void TTaskListModel::ClickCheckBox(TTaskNode* node) {
    if (!node)
        return;
    SetFocusedRow(node);
    node->Checked = node->Checked == 0 ? -1 : 0;
    RowChanged(node);
    emit ChoicesChanged(Choices());
}

void TTaskListModel::SetChecked(TTaskNode* node, bool checked) {
    node->Checked = checked ? -1 : 0;
    RowChanged(node);
}

void TTaskListModel::RunCheckCommand(TCheckCommand command) {
    const unsigned generation = FGeneration;
    for (TTaskNode* node : Rows()) {
        DoPump();
        if (generation != FGeneration) // the list was cleared meanwhile
            return;
        switch (command) {
        case TCheckCommand::AllTitlesAndChapters:
            node->Checked = -1;
            break;
        case TCheckCommand::AllTitles:
            if (node->IsTitle())
                node->Checked = -1;
            break;
        case TCheckCommand::AllChapters:
            if (!node->IsTitle())
                node->Checked = -1;
            break;
        case TCheckCommand::UncheckAll:
            node->Checked = 0;
            break;
        }
        RowChanged(node);
    }
}

TTaskNode* TTaskListModel::CheckLongestTitle() {
    // A "play all" is longer than any title it plays, and a repeat as long as its first: check the longest
    // title of its own, and only where every title repeats others, the longest of all.
    TTaskNode* longest = nullptr;
    for (bool ownOnly : {true, false}) {
        for (TTaskNode* node : Rows())
            if ((!ownOnly || !node->ListOwner().RepeatsOthers()) &&
                (!longest || node->FullLength > longest->FullLength))
                longest = node;
        if (longest)
            break;
    }
    if (longest)
        SetChecked(longest, true);
    return longest;
}

void TTaskListModel::SetFocusedRow(TTaskNode* node) {
    if (node == FFocused)
        return;
    FFocused = node;
    emit FocusedRowChanged(node);
    if (node)
        emit ChoicesChanged(Choices());
}

TChoiceLists TTaskListModel::Choices() const {
    TChoiceLists lists;
    if (!FFocused)
        return lists;
    const TTaskNode& owner = FFocused->ListOwner();
    lists.AudioTracks = owner.AudioTracks;
    lists.AudioLanguages = owner.AudioLanguages;
    lists.Subtitles = owner.Subtitles;
    for (int i = 1; i <= owner.AngleCount; ++i)
        lists.Angles << QString::number(i);
    lists.AudioIndex = FFocused->AudioIndex;
    lists.SubtitleIndex = FFocused->SubtitleIndex;
    // Every track, at the lists' ends: where the title has more than one audio track, or any subtitle.
    if (owner.AudioTracks.size() > 1) {
        if (lists.AudioIndex == TTaskNode::AllAudioTracks)
            lists.AudioIndex = int(lists.AudioTracks.size());
        lists.AudioTracks << kAllAudioTracksText;
        lists.AudioLanguages << QString();
    }
    if (owner.Subtitles.size() > 1) {
        if (lists.SubtitleIndex == TTaskNode::KeepSubtitleTracks)
            lists.SubtitleIndex = int(lists.Subtitles.size());
        lists.Subtitles << kSubtitleTracksText;
        if (lists.SubtitleIndex == TTaskNode::TextSubtitleTracks)
            lists.SubtitleIndex = int(lists.Subtitles.size());
        lists.Subtitles << kSubtitleTextText;
    }
    lists.AngleIndex = FFocused->AngleIndex;
    return lists;
}

// A choice on a title row goes to each of its chapters as well; one on a chapter stays there.
template <class F> void TTaskListModel::ApplyChoice(F assign) {
    TTaskNode* row = FFocused;
    if (!row)
        return;
    assign(*row);
    RowChanged(row);
    if (!row->IsTitle())
        return;
    const unsigned generation = FGeneration;
    for (size_t i = 0; i < row->Children.size(); ++i) {
        DoPump();
        if (generation != FGeneration) // the list was cleared meanwhile
            return;
        assign(*row->Children[i]);
    }
}

void TTaskListModel::PickAudio(int index) {
    if (FFocused && index == FFocused->ListOwner().AudioTracks.size() && index > 1)
        index = TTaskNode::AllAudioTracks;
    ApplyChoice([index](TTaskNode& n) { n.AudioIndex = n.AudioLanguageIndex = index; });
}

void TTaskListModel::PickSubtitle(int index) {
    if (FFocused && index == FFocused->ListOwner().Subtitles.size())
        index = TTaskNode::KeepSubtitleTracks;
    else if (FFocused && index == FFocused->ListOwner().Subtitles.size() + 1)
        index = TTaskNode::TextSubtitleTracks;
    ApplyChoice([index](TTaskNode& n) { n.SubtitleIndex = index; });
}

void TTaskListModel::PickAngle(int index) {
    ApplyChoice([index](TTaskNode& n) { n.AngleIndex = index; });
}

void TTaskListModel::RefreshTexts() {
    for (TTaskNode* node : Rows())
        RowChanged(node);
}

void TTaskListModel::SetTrimmedRange(TTaskNode* node, double start, double end) {
    node->CurStart = start;
    node->CurEnd = end;
    node->CurStartText = SecondsToTimeText(start);
    node->CurEndText = SecondsToTimeText(end);
    RowChanged(node);
}

void TTaskListModel::SetTrimmedTexts(TTaskNode* node, const QString& startText, const QString& endText) {
    node->CurStartText = startText;
    node->CurEndText = endText;
    node->CurStart = TimeTextToSeconds(startText);
    node->CurEnd = TimeTextToSeconds(endText);
    RowChanged(node);
}

void TTaskListModel::RowChanged(const TTaskNode* node) {
    emit dataChanged(IndexOf(node, 0), IndexOf(node, ColumnCount - 1));
}

void TTaskListModel::DoPump() const {
    if (Pump)
        Pump();
}

QModelIndex TTaskListModel::IndexOf(const TTaskNode* node, int column) const {
    if (!node)
        return {};
    const auto& siblings = node->Parent ? node->Parent->Children : FTitles;
    for (size_t row = 0; row < siblings.size(); ++row)
        if (siblings[row].get() == node)
            return createIndex(int(row), column, const_cast<TTaskNode*>(node));
    return {};
}

TTaskNode* TTaskListModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<TTaskNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TTaskListModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    const TTaskNode* owner = NodeOf(parent);
    const auto& rows = owner ? owner->Children : FTitles;
    if (size_t(row) >= rows.size())
        return {};
    return createIndex(row, column, rows[size_t(row)].get());
}

QModelIndex TTaskListModel::parent(const QModelIndex& child) const {
    const TTaskNode* node = NodeOf(child);
    return node && node->Parent ? IndexOf(node->Parent) : QModelIndex();
}

int TTaskListModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    const TTaskNode* node = NodeOf(parent);
    return int(node ? node->Children.size() : FTitles.size());
}

int TTaskListModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant TTaskListModel::data(const QModelIndex& index, int role) const {
    const TTaskNode* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return CellText(*node, index.column());
    case Qt::ToolTipRole:
        if (index.column() == ColTitle && node->IsTitle() && node->RepeatsOthers())
            return RelationToolTip(*node);
        return {};
    case Qt::CheckStateRole:
        if (index.column() == ColTitle)
            return node->Checked != 0 ? Qt::Checked : Qt::Unchecked;
        return {};
    case ImageIndexRole:
        return index.column() == ColTitle ? QVariant(node->ImageIndex) : QVariant();
    default:
        return {};
    }
}

bool TTaskListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TTaskNode* node = NodeOf(index);
    if (!node || role != Qt::CheckStateRole || index.column() != ColTitle)
        return false;
    const bool wanted = value.value<Qt::CheckState>() != Qt::Unchecked;
    if (wanted != (node->Checked != 0))
        ClickCheckBox(node);
    return true;
}

Qt::ItemFlags TTaskListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ColTitle)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TTaskListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const captions[] = {"Title", "Start", "End", "Output File", ""};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(captions[section]) : QVariant();
}
