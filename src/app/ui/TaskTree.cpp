#include "TaskTree.h"

#include "Pictures.h"
#include "TaskHeader.h"
#include "tasks/TaskListModel.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace {

// Rows of a fixed height, with the row's picture in the Title column.
class TTaskDelegate : public QStyledItemDelegate {
public:
    TTaskDelegate(const QVector<QPixmap>& images, QObject* parent)
        : QStyledItemDelegate(parent), FImages(images) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), TTaskTree::RowHeight};
    }

    // A cell whose text is cut shows the whole text as its tooltip; one that shows it all needs none. A
    // cell the model explains (a repeated title) shows the explanation, after the text where that is cut.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QStyle* style = view->style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view).width() - 2 * margin;
        const bool cut = !cell.text.isEmpty() && cell.fontMetrics.horizontalAdvance(cell.text) > room;
        const QString explained = index.data(Qt::ToolTipRole).toString();
        const QString tip = cut && !explained.isEmpty() ? cell.text + "\n" + explained
                            : cut                       ? cell.text
                                                        : explained;
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPos(), tip, view, option.rect);
        return true;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant image = index.data(TTaskListModel::ImageIndexRole);
        if (image.isValid() && image.toInt() >= 0 && image.toInt() < FImages.size()) {
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->icon = QIcon(FImages[image.toInt()]);
            option->decorationSize = QSize(16, 16);
        }
    }

private:
    const QVector<QPixmap>& FImages;
};

const QColor kLineColour(0xc8, 0xd1, 0xdc);
const int kColumnWidths[] = {175, 80, 80, 200, 10};

} // namespace

TTaskTree::TTaskTree(TTaskListModel* model, QWidget* parent)
    : QTreeView(parent), FTasks(model), FHeader(new TTaskHeader(this)) {
    setObjectName("ltvTask");
    ImageList1 = {Pictures::Load("task-title", {16, 16}), Pictures::Load("task-chapter", {16, 16}),
                  Pictures::Load("task-clock", {16, 16})};
    setHeader(FHeader);
    setModel(model);
    setItemDelegate(new TTaskDelegate(ImageList1, this));
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setExpandsOnDoubleClick(false); // a double click plays the row
    setIndentation(18);
    setIconSize({16, 16});
    FHeader->setStretchLastSection(false);
    FHeader->setSectionsMovable(false);
    FHeader->setFixedHeight(22);
    FHeader->setMinimumSectionSize(10);
    for (int column = 0; column < TTaskListModel::ColumnCount; ++column)
        FHeader->resizeSection(column, kColumnWidths[column]);
    FTitleWanted = FTitleFloor = kColumnWidths[TTaskListModel::ColTitle];
    connect(FHeader, &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (column == TTaskListModel::ColTitle && !FFittingTitle) { // the user's choice
            FTitleWanted = size;
            FTitleFloor = std::min(size, kColumnWidths[TTaskListModel::ColTitle]);
        }
    });
    FHeader->SetSectionPicture(TTaskListModel::ColTitle, ImageList1[1]);
    FHeader->SetSectionPicture(TTaskListModel::ColStart, ImageList1[2]);
    connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit PlayRequested();
    });
    BuildMenu();
}

void TTaskTree::BuildMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    const auto entry = [this](QMenu* menu, const char* caption, const char* name) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    pmiOpenDVD = entry(PopupMenu1, "Open DVD", "pmiOpenDVD");
    pmiOpenDir = entry(PopupMenu1, "Open Directory", "pmiOpenDir");
    pmiOpenImage = entry(PopupMenu1, "Open Image", "pmiOpenImage");
    PopupMenu1->addSeparator();
    QMenu* check = PopupMenu1->addMenu("Check");
    pmiCheckAll = check->menuAction();
    pmiCheckAll->setObjectName("pmiCheckAll");
    pmiCheckTitleChapter = entry(check, "All Titles and Chapters", "pmiCheckTitleChapter");
    check->addSeparator();
    pmiCheckTitle = entry(check, "All Titles", "pmiCheckTitle");
    pmiCheckChapter = entry(check, "All Chapters", "pmiCheckChapter");
    pmiUncheck = entry(PopupMenu1, "Uncheck All", "pmiUncheck");
    PopupMenu1->addSeparator();
    pmiTrimTime = entry(PopupMenu1, "Edit Start && End Time", "pmiTrimTime");
    pmiDVDVolume = entry(PopupMenu1, "Change DVD Volume", "pmiDVDVolume");

    connect(pmiOpenDVD, &QAction::triggered, this, &TTaskTree::OpenDVDRequested);
    connect(pmiOpenDir, &QAction::triggered, this, &TTaskTree::OpenDirRequested);
    connect(pmiOpenImage, &QAction::triggered, this, &TTaskTree::OpenImageRequested);
    connect(pmiTrimTime, &QAction::triggered, this, &TTaskTree::TrimRequested);
    connect(pmiDVDVolume, &QAction::triggered, this, &TTaskTree::DVDVolumeRequested);
    const auto command = [this](QAction* action, TCheckCommand which) {
        connect(action, &QAction::triggered, this, [this, which] {
            FTasks->RunCheckCommand(which);
            viewport()->update();
        });
    };
    command(pmiCheckTitleChapter, TCheckCommand::AllTitlesAndChapters);
    command(pmiCheckTitle, TCheckCommand::AllTitles);
    command(pmiCheckChapter, TCheckCommand::AllChapters);
    command(pmiUncheck, TCheckCommand::UncheckAll);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TTaskTree::UpdateMenuStates);
}

void TTaskTree::UpdateMenuStates() {
    const bool rows = !FTasks->IsEmpty();
    pmiCheckAll->setEnabled(rows);
    pmiUncheck->setEnabled(rows);
    pmiDVDVolume->setEnabled(rows);
}

void TTaskTree::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
}

void TTaskTree::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // The Title column takes what the list gains and gives it back, the others keep their widths; it
    // narrows no further than its first width, or the narrower one the user chose. The list's first width
    // is only noted: it comes with the window as laid out.
    const int width = event->size().width();
    if (FLastWidth > 0 && width != FLastWidth) {
        FTitleWanted += width - FLastWidth;
        const QScopedValueRollback<bool> fitting(FFittingTitle, true);
        FHeader->resizeSection(TTaskListModel::ColTitle, std::max(FTitleFloor, FTitleWanted));
    }
    FLastWidth = width;
}

void TTaskTree::keyPressEvent(QKeyEvent* event) {
    // Space flips the focused row's box whichever cell of the row has the focus.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
        FTasks->ClickCheckBox(TTaskListModel::NodeOf(currentIndex()));
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TTaskTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    // Grid lines: below the row and right of each column.
    painter->save();
    painter->setPen(kLineColour);
    const QRect row = option.rect;
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());
    for (int column = 0; column < TTaskListModel::ColumnCount; ++column) {
        const int x = FHeader->sectionViewportPosition(column) + FHeader->sectionSize(column) - 1;
        painter->drawLine(x, row.top(), x, row.bottom());
    }
    painter->restore();
}

void TTaskTree::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    painter->save();
    if (selectionModel()->isSelected(index))
        painter->fillRect(
            rect, palette().brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
    const int step = indentation();
    const int midY = rect.top() + rect.height() / 2;
    const int x = rect.right() - step + step / 2 + 1; // centre of this row's own indentation column
    const bool hasNext = index.sibling(index.row() + 1, 0).isValid();
    const bool isTopFirst = !index.parent().isValid() && index.row() == 0;
    QPen dotted(QColor(0x8c, 0x99, 0xab), 1, Qt::DotLine);
    painter->setPen(dotted);
    painter->drawLine(x, isTopFirst ? midY : rect.top(), x, hasNext ? rect.bottom() : midY);
    painter->drawLine(x, midY, rect.right(), midY);
    if (index.parent().isValid() && index.parent().sibling(index.parent().row() + 1, 0).isValid())
        painter->drawLine(x - step, rect.top(), x - step, rect.bottom()); // the title's line runs on
    if (model()->hasChildren(index)) {
        const QRect box(x - 4, midY - 4, 8, 8);
        painter->setPen(QColor(0x7f, 0x93, 0xb0));
        painter->setBrush(Qt::white);
        painter->drawRect(box);
        painter->setPen(QColor(0x1f, 0x3f, 0x66));
        painter->drawLine(box.left() + 2, midY, box.right() - 2, midY);
        if (!isExpanded(index))
            painter->drawLine(x, box.top() + 2, x, box.bottom() - 2);
    }
    painter->restore();
}
