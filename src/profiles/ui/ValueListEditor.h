#pragma once

#include "profiles/ProfileModel.h"

#include <QTableWidget>

// A two-column grid of parameter rows: the key (never editable) and the row text. A row is a list row
// (pick among its choices), a free row (type any text) or a fixed row (read-only, drawn in silver).
// A grid without rows still shows one empty row.
class TValueListEditor : public QTableWidget {
    Q_OBJECT
public:
    explicit TValueListEditor(int keyColumnWidth, QWidget* parent = nullptr);

    void Clear();
    void AppendRow(const TGridRow& row);
    void SetRows(const std::vector<TGridRow>& rows);
    std::vector<TGridRow> Rows() const;
    int RowCount() const; // real rows, not the empty one shown for an empty grid

    // Lookups by key, the first row whose key equals it without regard to case.
    QString RowText(const QString& key) const;
    void SetRowText(const QString& key, const QString& text); // appends the row when missing
    QStringList RowChoices(const QString& key) const;
    QString CurrentKey() const;

    // Height for the rows as a load sets it: 18 pixels a row, one row at least.
    void FitHeightToRows();

    static constexpr int RowHeight = 18;

    // How a cell is painted: fixed rows' values in silver; the current row's value on the window colour;
    // the current row's key marked only while the grid has the focus.
    struct TCellColours {
        QColor Background, Text;
    };
    TCellColours CellColours(const QModelIndex& index) const;

signals:
    void StringsChanged();
    void MousePressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int FindRow(const QString& key) const;
    void EnsurePlaceholder();
    bool FPlaceholder = false;
    bool FFilling = false;
};
