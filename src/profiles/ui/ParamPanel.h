#pragma once

#include "ValueListEditor.h"

#include <QScrollArea>
#include <array>

class QToolButton;

// The Video, Audio and Advanced groups, each a header bar with its button above its grid, stacked from
// the top in a scrolling area. In the Settings dialog the header buttons collapse and expand the grids.
class TParamPanel : public QScrollArea {
    Q_OBJECT
public:
    TParamPanel(int keyColumnWidth, bool collapsible, QWidget* parent = nullptr);

    TValueListEditor* Grid(int group) const { return FGrids[size_t(group)]; }
    QToolButton* GroupButton(int group) const { return FButtons[size_t(group)]; }

    // Replaces the rows of the three grids and fits each grid's height to its rows.
    void ShowRows(const TParamGrids& grids);
    TParamGrids Rows() const;

private:
    void ToggleGroup(int group);

    std::array<TValueListEditor*, TParamGrids::GroupCount> FGrids{};
    std::array<QToolButton*, TParamGrids::GroupCount> FButtons{};
};
