#pragma once

#include <QPixmap>
#include <QTreeView>
#include <QVector>

class QAction;
class QMenu;
class TTaskHeader;
class TTaskListModel;

// The task list as the user sees it: five columns, check boxes, row icons, tree and grid lines, and the
// popup menu. It turns clicks, keys and menu commands into calls on the model and into requests that
// the main window answers (open, trim, prefix, play).
class TTaskTree : public QTreeView {
    Q_OBJECT
public:
    static constexpr int RowHeight = 20;

    TTaskTree(TTaskListModel* model, QWidget* parent = nullptr);

    TTaskListModel* Tasks() const { return FTasks; }
    TTaskHeader* Header() const { return FHeader; }
    QMenu* PopupMenu() const { return PopupMenu1; }
    // Sets the enabled state of the menu's entries for the list as it is now.
    void UpdateMenuStates();

    // The row pictures: 0 title, 1 chapter, 2 clock (the Start column's header).
    QVector<QPixmap> ImageList1;

    QAction* pmiOpenDVD = nullptr;
    QAction* pmiOpenDir = nullptr;
    QAction* pmiOpenImage = nullptr;
    QAction* pmiCheckAll = nullptr;
    QAction* pmiCheckTitleChapter = nullptr;
    QAction* pmiCheckTitle = nullptr;
    QAction* pmiCheckChapter = nullptr;
    QAction* pmiUncheck = nullptr;
    QAction* pmiTrimTime = nullptr;
    QAction* pmiDVDVolume = nullptr;

signals:
    void OpenDVDRequested();
    void OpenDirRequested();
    void OpenImageRequested();
    void TrimRequested();
    void DVDVolumeRequested();
    void PlayRequested(); // a double click on a row

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

private:
    void BuildMenu();

    TTaskListModel* FTasks;
    TTaskHeader* FHeader;
    QMenu* PopupMenu1 = nullptr;
    // The list's width when the Title column last followed it, the Title width that following alone
    // would give, and the narrowest it is made by following.
    int FLastWidth = 0, FTitleWanted = 0, FTitleFloor = 0;
    bool FFittingTitle = false;
};
