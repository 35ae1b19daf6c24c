#include "TaskHeader.h"

#include "Pictures.h"

#include <QPainter>
#include <QStyleOptionHeader>

TTaskHeader::TTaskHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), FTile(Pictures::Load("header-tile", {16, 17})) {
    setObjectName("ltvTaskHeader");
}

QImage TTaskHeader::TiledBackground(const QPixmap& tile, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    if (tile.isNull() || size.isEmpty())
        return image;
    QPainter painter(&image);
    // The tile before the first one fills the column that the one-pixel shift leaves open.
    for (int y = 0; y < size.height(); y += tile.height())
        for (int x = -tile.width(); x < size.width(); x += tile.width())
            painter.drawPixmap(x + 1, y, tile);
    return image;
}

void TTaskHeader::SetSectionPicture(int section, const QPixmap& picture) {
    FPictures[section] = picture;
    viewport()->update();
}

void TTaskHeader::paintEvent(QPaintEvent* event) {
    {
        // The area past the last column; the cells paint over the rest.
        QPainter painter(viewport());
        painter.drawImage(0, 0, TiledBackground(FTile, viewport()->size()));
    }
    QHeaderView::paintEvent(event);
}

void TTaskHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    painter->save();
    painter->drawImage(rect.topLeft(), TiledBackground(FTile, rect.size()));
    painter->setPen(QColor(0xa9, 0xb8, 0xcc));
    painter->drawLine(rect.topRight(), rect.bottomRight());

    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect.adjusted(4, 0, -4, 0);
    option.section = logicalIndex;
    option.text = model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString() : "";
    if (FPictures.contains(logicalIndex))
        option.icon = QIcon(FPictures[logicalIndex]);
    option.iconAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.palette.setColor(QPalette::ButtonText, QColor(0x1f, 0x3f, 0x66));
    style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
    painter->restore();
}
