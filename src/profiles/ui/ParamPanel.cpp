#include "ParamPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

TParamPanel::TParamPanel(int keyColumnWidth, bool collapsible, QWidget* parent) : QScrollArea(parent) {
    static const char* const captions[] = {"      Video", "      Audio", "      Advanced"};
    static const char* const gridNames[] = {"vleVideo", "vleAudio", "vleAdvanced"};
    static const char* const buttonNames[] = {"btnVideo", "btnAudio", "btnAdvanced"};

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const TParamGrids initial = TParamGrids::Initial();
    for (int g = 0; g < TParamGrids::GroupCount; ++g) {
        auto* bar = new QFrame(content);
        bar->setFixedHeight(18);
        bar->setAutoFillBackground(true);
        bar->setBackgroundRole(QPalette::Button);
        auto* barLayout = new QHBoxLayout(bar);
        barLayout->setContentsMargins(3, 0, 0, 0);
        barLayout->setSpacing(0);
        auto* button = new QToolButton(bar);
        button->setObjectName(buttonNames[g]);
        button->setText("-");
        button->setFixedSize(12, 12);
        auto* caption = new QLabel(captions[g], bar);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        barLayout->addWidget(button);
        barLayout->addWidget(caption, 1);
        column->addWidget(bar);

        auto* grid = new TValueListEditor(keyColumnWidth, content);
        grid->setObjectName(gridNames[g]);
        grid->SetRows(initial.Groups[size_t(g)]);
        grid->FitHeightToRows();
        column->addWidget(grid);
        FGrids[size_t(g)] = grid;
        FButtons[size_t(g)] = button;
        if (collapsible)
            connect(button, &QToolButton::clicked, this, [this, g] { ToggleGroup(g); });
        // Only the focused grid marks its current key, so a press anywhere repaints all three.
        connect(grid, &TValueListEditor::MousePressed, this, [this] {
            for (TValueListEditor* each : FGrids)
                each->viewport()->update();
        });
    }
    column->addStretch(1);
    setWidget(content);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TParamPanel::ShowRows(const TParamGrids& grids) {
    for (int g = 0; g < TParamGrids::GroupCount; ++g) {
        FGrids[size_t(g)]->SetRows(grids.Groups[size_t(g)]);
        FGrids[size_t(g)]->FitHeightToRows();
    }
}

TParamGrids TParamPanel::Rows() const {
    TParamGrids grids;
    for (int g = 0; g < TParamGrids::GroupCount; ++g)
        grids.Groups[size_t(g)] = FGrids[size_t(g)]->Rows();
    return grids;
}

void TParamPanel::ToggleGroup(int group) {
    TValueListEditor* grid = FGrids[size_t(group)];
    QToolButton* button = FButtons[size_t(group)];
    if (button->text() != "+") {
        grid->setFixedHeight(1);
        button->setText("+");
    } else {
        const int rows = std::max(1, grid->RowCount());
        grid->setFixedHeight(rows * 17 + rows + 1);
        button->setText("-");
    }
}
