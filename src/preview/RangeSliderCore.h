#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <stdexcept>
#include <vector>

enum TmkOrientation { rsHorizontal, rsVertical };
enum TmkTickStyle { rsBottomRight, rsTopLeft };
enum TmkThumbStyle { rsStandard, rsTriangle, rsCorner, rsArrow };

// A thumb outline: its corners in order and the hot spot, the point that sits on the thumb's position.
struct TmkPointsArray {
    int HotX = 0;
    int HotY = 0;
    std::vector<QPoint> Points;
};

class EmkRangeSlider : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The two-thumb range slider without its painting: values, clamping, events in their order, thumb
// shapes and places, the ruler, the tick marks and what keys and the mouse do. The widget forwards its
// size, keys and mouse here and paints what this class describes.
class TmkRangeSliderCore {
public:
    enum TThumb { NoThumb, StartThumb, EndThumb };
    enum TKey { ArrowLeft, ArrowRight, ArrowUp, ArrowDown };
    struct TTick {
        int Value = 0;
        bool Major = false;
    };

    // Raised in the order the setters describe. Repaint and RedrawThumb ask the widget to paint;
    // Resize asks it to take a new size (after an orientation change, or a ruler length from
    // GetRulerLength).
    struct TEvents {
        std::function<void()> BeforeChange;
        std::function<void(int)> MinChange, MaxChange, MinPosChange, MaxPosChange;
        std::function<void()> Change;
        std::function<void(int&)> GetRulerLength;
        std::function<void()> Repaint;
        std::function<void(TThumb)> RedrawThumb;
        std::function<void(int, int)> Resize;
    };
    TEvents Events;

    static constexpr int TrackWidth = 11;
    static constexpr int ThumbScale = 3;

    TmkRangeSliderCore();

    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int MinPosition() const { return FMinPosition; }
    int MaxPosition() const { return FMaxPosition; }
    int Frequency() const { return FFrequency; }
    TmkOrientation Orientation() const { return FOrientation; }
    TmkTickStyle TickStyle() const { return FTickStyle; }
    TmkThumbStyle ThumbStyle() const { return FThumbStyle; }

    // Min and Max throw EmkRangeSlider ("Min >= Max", "Max <= Min") and then change nothing.
    void SetMin(int v);
    void SetMax(int v);
    void SetMinPosition(int v);
    void SetMaxPosition(int v);
    void SetFrequency(int v);
    void SetOrientation(TmkOrientation v);
    void SetTickStyle(TmkTickStyle v);
    void SetThumbStyle(TmkThumbStyle v);

    // The control's size in pixels, as the widget has it.
    void SetSize(int width, int height);
    QSize Size() const { return {FWidth, FHeight}; }
    QSize MinimumSize() const;

    void UpdateRuler();
    int RulerLength() const { return FRulerLength; }
    QRect RulerRect() const { return FRulerRect; }
    double PixelsPerUnit() const;
    int PositionToPixel(double v) const;
    int PixelToPosition(int p) const;

    static TmkPointsArray StyleShape(TmkThumbStyle style);
    // A thumb's outline and hot spot after turning, mirroring and scaling, and its picture's size.
    const TmkPointsArray& ThumbOutline(TThumb thumb) const;
    QSize ThumbSize(TThumb thumb) const;
    // Where the thumb is drawn, which is also where a click grabs it.
    QRect ThumbRect(TThumb thumb) const;
    TThumb HitThumb(QPoint point) const;

    int TickStep() const;
    // Tick marks from Min up to but not including Max (those before Min would not show).
    std::vector<TTick> Ticks() const;

    // True when the key was one of the four arrows, which the control then claims.
    bool KeyDown(TKey key, bool shift, bool ctrl);
    void MouseDown(bool leftButton, QPoint point);
    void MouseMove(QPoint point, bool shift);
    void MouseUp();
    bool Dragging() const { return FDragging; }
    TThumb DragThumb() const { return FDragThumb; }
    bool NotifyChange() const { return FNotifyChange; }

private:
    void BuildThumbs();
    void Raise(const std::function<void()>& event) const;
    void Raise(const std::function<void(int)>& event, int value) const;
    void RaiseChange() const;
    void Repaint() const;
    bool InRange(int v) const { return v >= FMin && v <= FMax; }
    void MoveBoth(int start, int end, bool endFirst);
    int Along(QPoint p) const { return FOrientation == rsHorizontal ? p.x() : p.y(); }

    int FMaxPosition = 10;
    int FMinPosition = 0;
    int FMax = 10;
    int FMin = 0;
    TmkOrientation FOrientation = rsHorizontal;
    TmkTickStyle FTickStyle = rsBottomRight;
    int FFrequency = 0;
    TmkThumbStyle FThumbStyle = rsStandard;
    bool FDragging = false;
    int FGrabOffset = 0;
    TThumb FDragThumb = NoThumb;
    int FDragStartMin = 0;
    int FDragStartMax = 0;
    bool FNotifyChange = true;
    TmkPointsArray FMinThumb, FMaxThumb;
    QRect FRulerRect;
    int FRulerLength = 0;
    int FWidth = 200;
    int FHeight = 32;
};
