#pragma once

#include <QSplitter>

// The bar between the task list and the right-hand panel: 10 pixels wide, captioned "<>". Dragging it
// left widens the right-hand panel; the task list side takes what the window gains or loses.
class TPanelSplitter : public QSplitter {
    Q_OBJECT
public:
    static constexpr int BarWidth = 10;

    explicit TPanelSplitter(QWidget* parent = nullptr);

protected:
    QSplitterHandle* createHandle() override;
};
