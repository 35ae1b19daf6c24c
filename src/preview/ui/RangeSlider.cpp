#include "RangeSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TmkRangeSlider::TmkRangeSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto& e = FCore.Events;
    e.BeforeChange = [this] { emit BeforeChange(); };
    e.MinChange = [this](int v) { emit MinChange(v); };
    e.MaxChange = [this](int v) { emit MaxChange(v); };
    e.MinPosChange = [this](int v) { emit MinPosChange(v); };
    e.MaxPosChange = [this](int v) { emit MaxPosChange(v); };
    e.Change = [this] { emit Change(); };
    e.Repaint = [this] {
        BuildThumbPictures();
        setMinimumSize(FCore.MinimumSize());
        update();
    };
    e.RedrawThumb = [this](TmkRangeSliderCore::TThumb) { update(); };
    e.Resize = [this](int w, int h) {
        setMinimumSize(FCore.MinimumSize());
        FApplyingSize = true;
        resize(w, h);
        FApplyingSize = false;
    };
    resize(200, 32);
    FCore.SetSize(200, 32);
    setMinimumSize(FCore.MinimumSize());
    BuildThumbPictures();
}

void TmkRangeSlider::SetOnGetRullerLength(std::function<void(int&)> handler) {
    FCore.Events.GetRulerLength = std::move(handler);
    FCore.UpdateRuler();
    update();
}

// A hidden widget gets its resize event only when shown; the ruler follows the size at once.
const TmkRangeSliderCore& TmkRangeSlider::Core() const {
    if (!FApplyingSize && FCore.Size() != size())
        FCore.SetSize(width(), height());
    return FCore;
}

void TmkRangeSlider::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!FApplyingSize)
        FCore.SetSize(width(), height());
}

void TmkRangeSlider::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        BuildThumbPictures();
}

void TmkRangeSlider::BuildThumbPictures() {
    FMinThumb = ThumbPicture(TmkRangeSliderCore::StartThumb);
    FMaxThumb = ThumbPicture(TmkRangeSliderCore::EndThumb);
}

// The outline filled in the button colour with a raised one-pixel edge: light on the upper and left
// sides, shadow on the lower and right ones. Each edge is the outline less the outline shifted inwards.
QImage TmkRangeSlider::ThumbPicture(TmkRangeSliderCore::TThumb thumb) const {
    const QSize size = FCore.ThumbSize(thumb);
    QPolygon outline;
    for (const QPoint& p : FCore.ThumbOutline(thumb).Points)
        outline << p;
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const QColor face = palette().color(QPalette::Button);
    painter.setPen(face);
    painter.setBrush(face);
    painter.drawPolygon(outline);
    const struct {
        int Dx, Dy;
        QPalette::ColorRole Role;
    } edges[] = {
        {0, 1, QPalette::Light}, {1, 0, QPalette::Light}, {0, -1, QPalette::Dark}, {-1, 0, QPalette::Dark}};
    for (const auto& edge : edges) {
        QImage scratch(size, QImage::Format_ARGB32_Premultiplied);
        scratch.fill(Qt::transparent);
        QPainter s(&scratch);
        const QColor colour = palette().color(edge.Role);
        s.setPen(colour);
        s.setBrush(colour);
        s.drawPolygon(outline);
        s.setCompositionMode(QPainter::CompositionMode_Clear);
        s.drawPolygon(outline.translated(edge.Dx, edge.Dy));
        s.end();
        painter.drawImage(0, 0, scratch);
    }
    return picture;
}

void TmkRangeSlider::PaintTrack(QPainter& painter) const {
    const QRect ruler = FCore.RulerRect();
    if (ruler.width() <= 0 || ruler.height() <= 0)
        return;
    painter.save();
    painter.setClipRect(ruler);
    painter.fillRect(ruler, palette().color(QPalette::Midlight));
    // A sunken edge: shadow above and left, light below and right.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(ruler.topLeft(), ruler.topRight());
    painter.drawLine(ruler.topLeft(), ruler.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(ruler.bottomLeft(), ruler.bottomRight());
    painter.drawLine(ruler.topRight(), ruler.bottomRight());

    const bool horizontal = FCore.Orientation() == rsHorizontal;
    const int across = TmkRangeSliderCore::TrackWidth - 4;
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(Qt::black);
    for (const TmkRangeSliderCore::TTick& tick : FCore.Ticks()) {
        const int p = FCore.PositionToPixel(tick.Value);
        const QPoint centre = horizontal ? QPoint(ruler.left() + p, ruler.center().y())
                                         : QPoint(ruler.center().x(), ruler.top() + p);
        if (tick.Major) {
            const QSize s = horizontal ? QSize(2, across) : QSize(across, 2);
            painter.drawEllipse(QRect(centre - QPoint(s.width() / 2, s.height() / 2), s));
        } else {
            painter.drawRect(QRect(centre - QPoint(1, 1), QSize(2, 2)));
        }
    }
    painter.restore();
}

void TmkRangeSlider::paintEvent(QPaintEvent*) {
    Core();
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    PaintTrack(painter);
    painter.drawImage(FCore.ThumbRect(TmkRangeSliderCore::StartThumb).topLeft(), FMinThumb);
    painter.drawImage(FCore.ThumbRect(TmkRangeSliderCore::EndThumb).topLeft(), FMaxThumb);
    if (PaintOverlay)
        PaintOverlay(painter);
}

void TmkRangeSlider::keyPressEvent(QKeyEvent* event) {
    static const QMap<int, TmkRangeSliderCore::TKey> keys = {{Qt::Key_Left, TmkRangeSliderCore::ArrowLeft},
                                                             {Qt::Key_Right, TmkRangeSliderCore::ArrowRight},
                                                             {Qt::Key_Up, TmkRangeSliderCore::ArrowUp},
                                                             {Qt::Key_Down, TmkRangeSliderCore::ArrowDown}};
    const auto key = keys.constFind(event->key());
    if (key == keys.constEnd()) {
        QWidget::keyPressEvent(event);
        return;
    }
    FCore.KeyDown(*key, event->modifiers() & Qt::ShiftModifier, event->modifiers() & Qt::ControlModifier);
    event->accept();
}

void TmkRangeSlider::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    FCore.MouseDown(event->button() == Qt::LeftButton, event->position().toPoint());
    event->accept();
}

void TmkRangeSlider::mouseMoveEvent(QMouseEvent* event) {
    FCore.MouseMove(event->position().toPoint(), event->modifiers() & Qt::ShiftModifier);
}

void TmkRangeSlider::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    FCore.MouseUp();
}
