#include "PanelSplitter.h"

#include <QPainter>

namespace {

class TBar : public QSplitterHandle {
public:
    TBar(Qt::Orientation orientation, QSplitter* parent) : QSplitterHandle(orientation, parent) {
        setObjectName("panSplitter");
        setToolTip("Drag to resize the profile panel");
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient fill(0, 0, width(), 0);
        fill.setColorAt(0, QColor(0xe9, 0xee, 0xf5));
        fill.setColorAt(1, QColor(0xd3, 0xdc, 0xe8));
        painter.fillRect(rect(), fill);
        painter.setPen(QColor(0x5b, 0x6b, 0x86));
        QFont font = painter.font();
        font.setPixelSize(9);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(rect(), Qt::AlignCenter, "<>");
    }
};

} // namespace

TPanelSplitter::TPanelSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setObjectName("panSplitterHost");
    setHandleWidth(BarWidth);
    setChildrenCollapsible(false);
    setOpaqueResize(true);
}

QSplitterHandle* TPanelSplitter::createHandle() {
    return new TBar(orientation(), this);
}
