#pragma once

#include "preview/RangeSliderCore.h"

#include <QImage>
#include <QWidget>
#include <functional>

// A two-thumb range slider: a track from Min to Max with a start thumb (MinPosition) and an end thumb
// (MaxPosition). Arrow keys move the start thumb, with Ctrl the end thumb, with Shift both; either thumb
// can be dragged, with Shift both. The values and events are those of TmkRangeSliderCore.
class TmkRangeSlider : public QWidget {
    Q_OBJECT
public:
    explicit TmkRangeSlider(QWidget* parent = nullptr);

    int Min() const { return FCore.Min(); }
    int Max() const { return FCore.Max(); }
    int MinPosition() const { return FCore.MinPosition(); }
    int MaxPosition() const { return FCore.MaxPosition(); }
    int Frequency() const { return FCore.Frequency(); }
    TmkOrientation Orientation() const { return FCore.Orientation(); }
    TmkTickStyle TickStyle() const { return FCore.TickStyle(); }
    TmkThumbStyle ThumbStyle() const { return FCore.ThumbStyle(); }

    // SetMin and SetMax throw EmkRangeSlider when the range would be empty.
    void SetMin(int v) { FCore.SetMin(v); }
    void SetMax(int v) { FCore.SetMax(v); }
    void SetMinPosition(int v) { FCore.SetMinPosition(v); }
    void SetMaxPosition(int v) { FCore.SetMaxPosition(v); }
    void SetFrequency(int v) { FCore.SetFrequency(v); }
    void SetOrientation(TmkOrientation v) {
        Core();
        FCore.SetOrientation(v);
    }
    void SetTickStyle(TmkTickStyle v) {
        Core();
        FCore.SetTickStyle(v);
    }
    void SetThumbStyle(TmkThumbStyle v) {
        Core();
        FCore.SetThumbStyle(v);
    }

    int PositionToPixel(double v) const { return Core().PositionToPixel(v); }
    int PixelToPosition(int p) const { return Core().PixelToPosition(p); }
    const TmkRangeSliderCore& Core() const;

    int Tag = 0;
    // Asked for the ruler length in pixels whenever the ruler is laid out; the control then takes the
    // width (height when vertical) that gives the track this length, at least 30.
    void SetOnGetRullerLength(std::function<void(int&)> handler);
    // Painted over the control after its own picture, in its own pixels.
    std::function<void(QPainter&)> PaintOverlay;

    QSize sizeHint() const override { return {200, 32}; }

signals:
    void BeforeChange();
    void MinChange(int value);
    void MaxChange(int value);
    void MinPosChange(int value);
    void MaxPosChange(int value);
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildThumbPictures();
    QImage ThumbPicture(TmkRangeSliderCore::TThumb thumb) const;
    void PaintTrack(QPainter& painter) const;

    mutable TmkRangeSliderCore FCore;
    QImage FMinThumb, FMaxThumb;
    bool FApplyingSize = false;
};
