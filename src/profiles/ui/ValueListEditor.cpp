#include "ValueListEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

enum TRole { ReadOnlyRole = Qt::UserRole + 1, PickListRole, ChoicesRole };

const QColor kSilver(192, 192, 192);
const QColor kFocusedKey(49, 106, 197);

bool IsFixed(const QModelIndex& index) {
    const QModelIndex key = index.siblingAtColumn(0);
    return key.data(ReadOnlyRole).toBool() && !key.data(PickListRole).toBool();
}

// Draws the colours of the grid and gives list rows a drop-down of their choices.
class TParamDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const auto* grid = qobject_cast<const TValueListEditor*>(o.widget);
        o.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        if (grid) {
            const TValueListEditor::TCellColours colours = grid->CellColours(index);
            painter->fillRect(o.rect, colours.Background);
            o.backgroundBrush = colours.Background;
            o.palette.setColor(QPalette::Text, colours.Text);
        }
        QStyledItemDelegate::paint(painter, o, index);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const QModelIndex key = index.siblingAtColumn(0);
        if (index.column() != 1 || IsFixed(index) || key.data(Qt::UserRole).toBool())
            return nullptr;
        if (key.data(PickListRole).toBool()) {
            auto* box = new QComboBox(parent);
            box->addItems(key.data(ChoicesRole).toStringList());
            connect(box, &QComboBox::activated, this, [this, box] {
                auto* self = const_cast<TParamDelegate*>(this);
                emit self->commitData(box);
                emit self->closeEditor(box);
            });
            return box;
        }
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            const int at = box->findText(index.data().toString(), Qt::MatchFixedString);
            box->setCurrentIndex(at);
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            if (box->currentIndex() >= 0)
                model->setData(index, box->currentText());
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }
};

} // namespace

TValueListEditor::TValueListEditor(int keyColumnWidth, QWidget* parent) : QTableWidget(0, 2, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    horizontalHeader()->resizeSection(0, keyColumnWidth);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new TParamDelegate(this));
    connect(this, &QTableWidget::itemChanged, this, [this] {
        if (!FFilling)
            emit StringsChanged();
    });
    EnsurePlaceholder();
    FitHeightToRows();
}

void TValueListEditor::EnsurePlaceholder() {
    if (rowCount() > 0)
        return;
    FFilling = true;
    insertRow(0);
    for (int c = 0; c < 2; ++c) {
        auto* item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        item->setData(Qt::UserRole, true); // the empty row of an empty grid
        setItem(0, c, item);
    }
    FPlaceholder = true;
    FFilling = false;
}

void TValueListEditor::Clear() {
    FFilling = true;
    for (int r = rowCount() - 1; r >= 0; --r) // last row first
        removeRow(r);
    FPlaceholder = false;
    EnsurePlaceholder();
    FFilling = false;
    emit StringsChanged();
}

void TValueListEditor::AppendRow(const TGridRow& row) {
    FFilling = true;
    if (FPlaceholder) {
        removeRow(0);
        FPlaceholder = false;
    }
    const int r = rowCount();
    insertRow(r);
    auto* key = new QTableWidgetItem(row.Key);
    key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    key->setData(ReadOnlyRole, row.ReadOnly);
    key->setData(PickListRole, row.PickList);
    key->setData(ChoicesRole, row.Choices);
    setItem(r, 0, key);
    auto* value = new QTableWidgetItem(row.Text);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (row.PickList || !row.ReadOnly)
        flags |= Qt::ItemIsEditable;
    value->setFlags(flags);
    setItem(r, 1, value);
    FFilling = false;
    emit StringsChanged();
}

void TValueListEditor::SetRows(const std::vector<TGridRow>& rows) {
    Clear();
    for (const TGridRow& row : rows)
        AppendRow(row);
}

std::vector<TGridRow> TValueListEditor::Rows() const {
    std::vector<TGridRow> rows;
    for (int r = 0; r < RowCount(); ++r) {
        const QTableWidgetItem* key = item(r, 0);
        rows.push_back({key->text(), item(r, 1)->text(), key->data(ReadOnlyRole).toBool(),
                        key->data(PickListRole).toBool(), key->data(ChoicesRole).toStringList()});
    }
    return rows;
}

int TValueListEditor::RowCount() const {
    return FPlaceholder ? 0 : rowCount();
}

int TValueListEditor::FindRow(const QString& key) const {
    for (int r = 0; r < RowCount(); ++r)
        if (item(r, 0)->text().compare(key, Qt::CaseInsensitive) == 0)
            return r;
    return -1;
}

QString TValueListEditor::RowText(const QString& key) const {
    const int r = FindRow(key);
    return r < 0 ? QString() : item(r, 1)->text();
}

void TValueListEditor::SetRowText(const QString& key, const QString& text) {
    const int r = FindRow(key);
    if (r < 0)
        AppendRow({key, text, false, false, {}});
    else
        item(r, 1)->setText(text); // itemChanged tells StringsChanged
}

QStringList TValueListEditor::RowChoices(const QString& key) const {
    const int r = FindRow(key);
    return r < 0 ? QStringList() : item(r, 0)->data(ChoicesRole).toStringList();
}

QString TValueListEditor::CurrentKey() const {
    const int r = currentRow();
    return r < 0 || r >= RowCount() ? QString() : item(r, 0)->text();
}

void TValueListEditor::FitHeightToRows() {
    setFixedHeight(RowHeight * std::max(1, RowCount()));
}

TValueListEditor::TCellColours TValueListEditor::CellColours(const QModelIndex& index) const {
    TCellColours c{palette().color(QPalette::Base), palette().color(QPalette::Text)};
    const bool current = currentIndex().isValid() && currentIndex().row() == index.row();
    if (index.column() == 1) {
        if (current)
            c.Text = Qt::black;
        if (IsFixed(index))
            c.Text = kSilver;
    } else if (current) {
        if (hasFocus())
            c.Background = kFocusedKey;
        else
            c.Text = Qt::black;
    }
    return c;
}

void TValueListEditor::mousePressEvent(QMouseEvent* event) {
    QTableWidget::mousePressEvent(event);
    emit MousePressed();
}

void TValueListEditor::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    viewport()->update();
}

void TValueListEditor::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    viewport()->update();
}
