#pragma once

#include <QHeaderView>
#include <QMap>
#include <QPixmap>

// The task list's column header. Each cell's background, and the empty area right of the last column,
// is a small picture tiled over it; the captions and images are drawn over that as usual.
class TTaskHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TTaskHeader(QWidget* parent = nullptr);

    // The background of a cell of the given size: the tile repeated row by row from the top, each
    // tile one pixel right of its grid place.
    static QImage TiledBackground(const QPixmap& tile, QSize size);

    // A picture shown left of a column's caption.
    void SetSectionPicture(int section, const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QPixmap FTile;
    QMap<int, QPixmap> FPictures;
};
