#include "RangeSliderCore.h"

#include <algorithm>
#include <cmath>

namespace {

int RoundHalfEven(double v) {
    return int(std::nearbyint(v)); // the default rounding mode sends halves to even
}

// Mirrors (x to -x, corners reversed), turns by q quarter turns, moves into the positive quadrant and
// scales; the hot spot goes along.
TmkPointsArray Transform(TmkPointsArray shape, int quarterTurns, bool mirror, int scale) {
    if (mirror) {
        for (QPoint& p : shape.Points)
            p.setX(-p.x());
        shape.HotX = -shape.HotX;
        std::reverse(shape.Points.begin(), shape.Points.end());
    }
    static const int cs[4][2] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}};
    const int c = cs[quarterTurns][0], s = cs[quarterTurns][1];
    const auto turn = [c, s](int x, int y) { return QPoint(x * c + y * s, -x * s + y * c); };
    for (QPoint& p : shape.Points)
        p = turn(p.x(), p.y());
    const QPoint hot = turn(shape.HotX, shape.HotY);
    shape.HotX = hot.x();
    shape.HotY = hot.y();
    int minX = 0, minY = 0;
    for (const QPoint& p : shape.Points) {
        minX = std::min(minX, p.x());
        minY = std::min(minY, p.y());
    }
    for (QPoint& p : shape.Points)
        p = (p - QPoint(minX, minY)) * scale;
    shape.HotX = (shape.HotX - minX) * scale;
    shape.HotY = (shape.HotY - minY) * scale;
    return shape;
}

} // namespace

TmkRangeSliderCore::TmkRangeSliderCore() {
    BuildThumbs();
    UpdateRuler();
}

void TmkRangeSliderCore::Raise(const std::function<void()>& event) const {
    if (event)
        event();
}

void TmkRangeSliderCore::Raise(const std::function<void(int)>& event, int value) const {
    if (event)
        event(value);
}

void TmkRangeSliderCore::RaiseChange() const {
    if (FNotifyChange)
        Raise(Events.Change);
}

void TmkRangeSliderCore::Repaint() const {
    Raise(Events.Repaint);
}

void TmkRangeSliderCore::SetMin(int v) {
    if (v >= FMax)
        throw EmkRangeSlider("Min >= Max");
    FMin = v;
    Raise(Events.BeforeChange);
    FMinPosition = std::clamp(FMinPosition, FMin, FMax);
    FMaxPosition = std::clamp(FMaxPosition, FMin, FMax);
    Repaint();
    Raise(Events.MinChange, FMin);
    RaiseChange();
}

void TmkRangeSliderCore::SetMax(int v) {
    if (v <= FMin)
        throw EmkRangeSlider("Max <= Min");
    FMax = v;
    Raise(Events.BeforeChange);
    FMinPosition = std::clamp(FMinPosition, FMin, FMax);
    FMaxPosition = std::clamp(FMaxPosition, FMin, FMax);
    Repaint();
    Raise(Events.MaxChange, FMax);
    RaiseChange();
}

void TmkRangeSliderCore::SetMinPosition(int v) {
    if (v == FMinPosition)
        return;
    Raise(Events.BeforeChange);
    FMinPosition = v < FMin ? FMin : std::min(v, FMaxPosition);
    if (Events.RedrawThumb)
        Events.RedrawThumb(StartThumb);
    Raise(Events.MinPosChange, FMinPosition);
    RaiseChange();
}

void TmkRangeSliderCore::SetMaxPosition(int v) {
    if (v == FMaxPosition)
        return;
    Raise(Events.BeforeChange);
    FMaxPosition = v < FMinPosition ? FMinPosition : std::min(v, FMax);
    if (Events.RedrawThumb)
        Events.RedrawThumb(EndThumb);
    Raise(Events.MaxPosChange, FMaxPosition);
    RaiseChange();
}

void TmkRangeSliderCore::SetFrequency(int v) {
    if (v == FFrequency || v < 0)
        return;
    Raise(Events.BeforeChange);
    FFrequency = v;
    Repaint();
}

void TmkRangeSliderCore::SetOrientation(TmkOrientation v) {
    if (v == FOrientation)
        return;
    Raise(Events.BeforeChange);
    FOrientation = v;
    std::swap(FWidth, FHeight);
    if (Events.Resize)
        Events.Resize(FWidth, FHeight);
    BuildThumbs();
    UpdateRuler();
    Repaint();
}

void TmkRangeSliderCore::SetTickStyle(TmkTickStyle v) {
    if (v == FTickStyle)
        return;
    Raise(Events.BeforeChange);
    FTickStyle = v;
    BuildThumbs();
    UpdateRuler();
    Repaint();
}

void TmkRangeSliderCore::SetThumbStyle(TmkThumbStyle v) {
    if (v == FThumbStyle)
        return;
    Raise(Events.BeforeChange);
    FThumbStyle = v;
    BuildThumbs();
    UpdateRuler();
    Repaint();
}

void TmkRangeSliderCore::SetSize(int width, int height) {
    FWidth = width;
    FHeight = height;
    UpdateRuler();
}

QSize TmkRangeSliderCore::MinimumSize() const {
    return FOrientation == rsHorizontal ? QSize(50, 10) : QSize(10, 50);
}

TmkPointsArray TmkRangeSliderCore::StyleShape(TmkThumbStyle style) {
    switch (style) {
    case rsTriangle:
        return {3, 3, {{3, 0}, {3, 6}, {0, 3}}};
    case rsCorner:
        return {6, 3, {{0, 0}, {6, 0}, {6, 6}}};
    case rsArrow:
        return {7, 4, {{0, 3}, {3, 3}, {3, 0}, {7, 4}, {3, 8}, {3, 5}, {0, 5}}};
    default:
        return {3, 3, {{0, 0}, {3, 0}, {3, 7}, {0, 4}}};
    }
}

void TmkRangeSliderCore::BuildThumbs() {
    int quarterTurns = 0;
    bool mirror = false;
    if (FOrientation == rsHorizontal && FTickStyle == rsTopLeft) {
        quarterTurns = 2;
        mirror = true;
    } else if (FOrientation == rsVertical && FTickStyle == rsBottomRight) {
        quarterTurns = 3;
        mirror = true;
    } else if (FOrientation == rsVertical) {
        quarterTurns = 1;
    }
    const TmkPointsArray shape = StyleShape(FThumbStyle);
    FMinThumb = Transform(shape, quarterTurns, mirror, ThumbScale);
    FMaxThumb = Transform(shape, quarterTurns, !mirror, ThumbScale);
}

const TmkPointsArray& TmkRangeSliderCore::ThumbOutline(TThumb thumb) const {
    return thumb == EndThumb ? FMaxThumb : FMinThumb;
}

QSize TmkRangeSliderCore::ThumbSize(TThumb thumb) const {
    int w = 0, h = 0;
    for (const QPoint& p : ThumbOutline(thumb).Points) {
        w = std::max(w, p.x());
        h = std::max(h, p.y());
    }
    return {w + 1, h + 1};
}

void TmkRangeSliderCore::UpdateRuler() {
    const QSize thumb = ThumbSize(StartThumb);
    const bool horizontal = FOrientation == rsHorizontal;
    const int thumbAlong = horizontal ? thumb.width() : thumb.height();
    int length = 0;
    if (Events.GetRulerLength) {
        length = FRulerLength;
        Events.GetRulerLength(length);
        length = std::max(length, 30);
    }
    if (length > 0) {
        const int along = 2 * thumbAlong + length + 6;
        if (along != (horizontal ? FWidth : FHeight)) {
            (horizontal ? FWidth : FHeight) = along;
            if (Events.Resize)
                Events.Resize(FWidth, FHeight);
        }
    } else {
        length = (horizontal ? FWidth : FHeight) - 2 * thumbAlong - 6;
    }
    FRulerLength = length;
    const int half = TrackWidth / 2;
    const int hotAcross = horizontal ? FMinThumb.HotY : FMinThumb.HotX;
    const int across = hotAcross > half ? hotAcross - half + 2 : 2;
    FRulerRect = horizontal ? QRect(thumbAlong + 3, across, length, TrackWidth)
                            : QRect(across, thumbAlong + 3, TrackWidth, length);
}

double TmkRangeSliderCore::PixelsPerUnit() const {
    return double(FRulerLength) / (double(FMax) - FMin);
}

int TmkRangeSliderCore::PositionToPixel(double v) const {
    return RoundHalfEven((v - FMin) * PixelsPerUnit());
}

int TmkRangeSliderCore::PixelToPosition(int p) const {
    const double perUnit = PixelsPerUnit();
    return perUnit > 0 ? RoundHalfEven(p / perUnit) + FMin : FMin;
}

QRect TmkRangeSliderCore::ThumbRect(TThumb thumb) const {
    // The start thumb is drawn one pixel toward Min so that the two never overlap.
    const int pixel = thumb == EndThumb ? PositionToPixel(FMaxPosition) : PositionToPixel(FMinPosition) - 1;
    const QPoint anchor = FOrientation == rsHorizontal
                              ? QPoint(FRulerRect.left() + pixel, FRulerRect.top() + TrackWidth / 2)
                              : QPoint(FRulerRect.left() + TrackWidth / 2, FRulerRect.top() + pixel);
    const TmkPointsArray& outline = ThumbOutline(thumb);
    return QRect(anchor - QPoint(outline.HotX, outline.HotY), ThumbSize(thumb));
}

TmkRangeSliderCore::TThumb TmkRangeSliderCore::HitThumb(QPoint point) const {
    if (ThumbRect(StartThumb).contains(point))
        return StartThumb;
    if (ThumbRect(EndThumb).contains(point))
        return EndThumb;
    return NoThumb;
}

int TmkRangeSliderCore::TickStep() const {
    if (FFrequency > 0)
        return FFrequency;
    const long long range = (long long)FMax - FMin;
    long long step = 1;
    for (long long decade = 1;; decade *= 10) {
        for (int m : {1, 2, 5}) {
            step = decade * m;
            // Ticks at least 5 pixels apart; a step beyond the range shows only the first one.
            if ((long long)FRulerLength * step / range >= 5 || step >= range)
                return int(std::min<long long>(step, 1LL << 30));
        }
    }
}

std::vector<TmkRangeSliderCore::TTick> TmkRangeSliderCore::Ticks() const {
    const int step = TickStep();
    const int major = step >= 100 ? 1000 : step >= 10 ? 100 : step >= 1 ? 10 : 1;
    std::vector<TTick> ticks;
    for (long long v = (long long)FMin - FMin % step; v < FMax; v += step)
        if (v >= FMin)
            ticks.push_back({int(v), v % major == 0});
    return ticks;
}

bool TmkRangeSliderCore::KeyDown(TKey key, bool shift, bool ctrl) {
    FNotifyChange = true;
    const int d = FOrientation == rsHorizontal ? 1 : -1;
    const int delta = key == ArrowLeft || key == ArrowDown ? -d : d;
    if (shift) {
        if (InRange(FMinPosition + delta) && InRange(FMaxPosition + delta)) {
            const int newMax = FMaxPosition + delta;
            SetMinPosition(FMinPosition + delta);
            SetMaxPosition(newMax);
        }
    } else if (ctrl) {
        SetMaxPosition(FMaxPosition + delta);
    } else {
        SetMinPosition(FMinPosition + delta);
    }
    return true;
}

void TmkRangeSliderCore::MouseDown(bool leftButton, QPoint point) {
    if (!leftButton)
        return;
    const TThumb thumb = HitThumb(point);
    if (thumb == NoThumb)
        return;
    FDragThumb = thumb;
    FGrabOffset = PositionToPixel(thumb == StartThumb ? FMinPosition : FMaxPosition) - Along(point);
    FDragging = true;
    FNotifyChange = false;
    FDragStartMin = FMinPosition;
    FDragStartMax = FMaxPosition;
}

void TmkRangeSliderCore::MouseMove(QPoint point, bool shift) {
    if (!FDragging)
        return;
    const int v = PixelToPosition(Along(point) + FGrabOffset);
    if (FDragThumb == StartThumb) {
        if (!shift) {
            SetMinPosition(v);
        } else {
            const int n = FMaxPosition + (v - FMinPosition);
            if (InRange(v) && InRange(n))
                MoveBoth(v, n, v > FMaxPosition);
        }
    } else if (!shift) {
        SetMaxPosition(v);
    } else {
        const int n = FMinPosition + (v - FMaxPosition);
        if (InRange(n) && InRange(v))
            MoveBoth(n, v, v >= FMinPosition);
    }
}

// The grabbed thumb's setter goes first, unless the other thumb is in its way: the setters keep the start at
// or before the end, so a move past the other thumb's place would shrink the range.
void TmkRangeSliderCore::MoveBoth(int start, int end, bool endFirst) {
    if (endFirst) {
        SetMaxPosition(end);
        SetMinPosition(start);
    } else {
        SetMinPosition(start);
        SetMaxPosition(end);
    }
}

void TmkRangeSliderCore::MouseUp() {
    // A release without a grab reports nothing: keys may have moved the thumbs since the last drag.
    const bool dragged = FDragging;
    FDragging = false;
    FDragThumb = NoThumb;
    if (dragged && (FMinPosition != FDragStartMin || FMaxPosition != FDragStartMax)) {
        FNotifyChange = true;
        Raise(Events.Change);
    }
}
