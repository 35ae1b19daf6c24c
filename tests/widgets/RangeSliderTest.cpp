#include "preview/ui/RangeSlider.h"
#include "support/QtPrinters.h"

#include <QtTest>
#include <functional>

namespace {

// Every event of the slider in the order it came.
struct TEventLog {
    QStringList Events;
    explicit TEventLog(TmkRangeSlider& s) {
        QObject::connect(&s, &TmkRangeSlider::BeforeChange, [this] { Events << "Before"; });
        QObject::connect(&s, &TmkRangeSlider::MinChange,
                         [this](int v) { Events << QString("Min(%1)").arg(v); });
        QObject::connect(&s, &TmkRangeSlider::MaxChange,
                         [this](int v) { Events << QString("Max(%1)").arg(v); });
        QObject::connect(&s, &TmkRangeSlider::MinPosChange,
                         [this](int v) { Events << QString("MinPos(%1)").arg(v); });
        QObject::connect(&s, &TmkRangeSlider::MaxPosChange,
                         [this](int v) { Events << QString("MaxPos(%1)").arg(v); });
        QObject::connect(&s, &TmkRangeSlider::Change, [this] { Events << "Change"; });
    }
};

void Place(TmkRangeSlider& s, int min, int max, int minPos, int maxPos) {
    s.SetMin(-1000000);
    s.SetMax(max);
    s.SetMin(min);
    s.SetMaxPosition(maxPos);
    s.SetMinPosition(minPos);
    s.SetMaxPosition(maxPos);
}

QString Values(const TmkRangeSlider& s) {
    return QString("%1..%2 [%3 %4]").arg(s.Min()).arg(s.Max()).arg(s.MinPosition()).arg(s.MaxPosition());
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent e(type, at, w->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), modifiers);
    QCoreApplication::sendEvent(w, &e);
}

QRgb Rgb(const QImage& picture, int x, int y) {
    return picture.pixel(x, y);
}
QRgb Rgb(const QImage& picture, QPoint at) {
    return picture.pixel(at);
}

} // namespace

class RangeSliderTest : public QObject {
    Q_OBJECT
private slots:
    void SettersClampAndRaiseEventsInOrder_data() {
        QTest::addColumn<std::function<void(TmkRangeSlider&)>>("action");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("values");
        QTest::addColumn<QStringList>("events");
        using F = std::function<void(TmkRangeSlider&)>;
        // Each case starts from 0..10 with the thumbs at 2 and 8.
        QTest::newRow("Max to Min refused") << F([](auto& s) { s.SetMax(0); }) << "Max <= Min"
                                            << "0..10 [2 8]" << QStringList{};
        QTest::newRow("Min to Max refused") << F([](auto& s) { s.SetMin(10); }) << "Min >= Max"
                                            << "0..10 [2 8]" << QStringList{};
        QTest::newRow("start beyond the end")
            << F([](auto& s) { s.SetMinPosition(20); }) << ""
            << "0..10 [8 8]" << QStringList{"Before", "MinPos(8)", "Change"};
        QTest::newRow("start below Min") << F([](auto& s) { s.SetMinPosition(-5); }) << ""
                                         << "0..10 [0 8]" << QStringList{"Before", "MinPos(0)", "Change"};
        QTest::newRow("end below the start") << F([](auto& s) { s.SetMaxPosition(1); }) << ""
                                             << "0..10 [2 2]" << QStringList{"Before", "MaxPos(2)", "Change"};
        QTest::newRow("end above Max") << F([](auto& s) { s.SetMaxPosition(99); }) << ""
                                       << "0..10 [2 10]" << QStringList{"Before", "MaxPos(10)", "Change"};
        QTest::newRow("Max narrows the end") << F([](auto& s) { s.SetMax(6); }) << ""
                                             << "0..6 [2 6]" << QStringList{"Before", "Max(6)", "Change"};
        QTest::newRow("Min narrows the start") << F([](auto& s) { s.SetMin(3); }) << ""
                                               << "3..10 [3 8]" << QStringList{"Before", "Min(3)", "Change"};
        QTest::newRow("start to its value") << F([](auto& s) { s.SetMinPosition(2); }) << ""
                                            << "0..10 [2 8]" << QStringList{};
        QTest::newRow("Min to its value") << F([](auto& s) { s.SetMin(0); }) << ""
                                          << "0..10 [2 8]" << QStringList{"Before", "Min(0)", "Change"};
        QTest::newRow("clamped start that stays")
            << F([](auto& s) {
                   s.SetMinPosition(8);
                   s.SetMinPosition(13);
               })
            << ""
            << "0..10 [8 8]" << QStringList{"Before", "MinPos(8)", "Change", "Before", "MinPos(8)", "Change"};
        QTest::newRow("negative frequency ignored") << F([](auto& s) { s.SetFrequency(-1); }) << ""
                                                    << "0..10 [2 8]" << QStringList{};
        QTest::newRow("frequency") << F([](auto& s) { s.SetFrequency(5); }) << ""
                                   << "0..10 [2 8]" << QStringList{"Before"};
        QTest::newRow("thumb style") << F([](auto& s) { s.SetThumbStyle(rsArrow); }) << ""
                                     << "0..10 [2 8]" << QStringList{"Before"};
    }
    void SettersClampAndRaiseEventsInOrder() {
        QFETCH(std::function<void(TmkRangeSlider&)>, action);
        QFETCH(QString, error);
        QFETCH(QString, values);
        QFETCH(QStringList, events);
        TmkRangeSlider s;
        Place(s, 0, 10, 2, 8);
        TEventLog log(s);
        QString raised;
        try {
            action(s);
        } catch (const EmkRangeSlider& e) {
            raised = e.what();
        }
        QCOMPARE(raised, error);
        QCOMPARE(Values(s), values);
        QCOMPARE(log.Events, events);
    }

    void KeysMoveTheThumbs_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("values");
        const int h = rsHorizontal, v = rsVertical, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("Right: start") << h << 2 << 8 << int(Qt::Key_Right) << 0 << "0..10 [3 8]";
        QTest::newRow("Left: start") << h << 2 << 8 << int(Qt::Key_Left) << 0 << "0..10 [1 8]";
        QTest::newRow("Up is Right") << h << 2 << 8 << int(Qt::Key_Up) << 0 << "0..10 [3 8]";
        QTest::newRow("Ctrl+Right: end") << h << 2 << 8 << int(Qt::Key_Right) << ctrl << "0..10 [2 9]";
        QTest::newRow("Shift+Right: both") << h << 2 << 8 << int(Qt::Key_Right) << shift << "0..10 [3 9]";
        QTest::newRow("Shift+Right at Max") << h << 2 << 10 << int(Qt::Key_Right) << shift << "0..10 [2 10]";
        QTest::newRow("Shift+Left at Min") << h << 0 << 5 << int(Qt::Key_Left) << shift << "0..10 [0 5]";
        QTest::newRow("Shift+Right, thumbs together")
            << h << 5 << 5 << int(Qt::Key_Right) << shift << "0..10 [5 6]";
        QTest::newRow("Left at Min") << h << 0 << 8 << int(Qt::Key_Left) << 0 << "0..10 [0 8]";
        QTest::newRow("Right into the end") << h << 8 << 8 << int(Qt::Key_Right) << 0 << "0..10 [8 8]";
        QTest::newRow("vertical Down: toward Max") << v << 2 << 8 << int(Qt::Key_Down) << 0 << "0..10 [3 8]";
        QTest::newRow("vertical Up: toward Min") << v << 2 << 8 << int(Qt::Key_Up) << 0 << "0..10 [1 8]";
        QTest::newRow("vertical Ctrl+Down") << v << 2 << 8 << int(Qt::Key_Down) << ctrl << "0..10 [2 9]";
    }
    void KeysMoveTheThumbs() {
        QFETCH(int, orientation);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, values);
        TmkRangeSlider s;
        s.SetOrientation(TmkOrientation(orientation));
        Place(s, 0, 10, from, to);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        s.setFocus();
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QCoreApplication::sendEvent(&s, &press);
        QVERIFY(press.isAccepted()); // the arrows are the slider's, also inside a dialog
        QCOMPARE(Values(s), values);
    }

    void DraggingAThumbReportsChangeOnceOnRelease() {
        TmkRangeSlider s;
        s.resize(371, 32);
        Place(s, 0, 10, 2, 8);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        TEventLog log(s);
        const QPoint grab = s.Core().ThumbRect(TmkRangeSliderCore::StartThumb).center();
        const int unit = s.PositionToPixel(1) - s.PositionToPixel(0);
        SendMouse(&s, QEvent::MouseButtonPress, grab);
        QVERIFY(s.hasFocus());
        SendMouse(&s, QEvent::MouseMove, grab + QPoint(unit, 0));
        SendMouse(&s, QEvent::MouseMove, grab + QPoint(3 * unit, 0));
        QCOMPARE(log.Events, (QStringList{"Before", "MinPos(3)", "Before", "MinPos(5)"}));
        SendMouse(&s, QEvent::MouseButtonRelease, grab + QPoint(3 * unit, 0));
        QCOMPARE(log.Events.last(), "Change");
        QCOMPARE(Values(s), "0..10 [5 8]");

        // The end thumb, dragged out and back: no Change at the release.
        log.Events.clear();
        const QPoint end = s.Core().ThumbRect(TmkRangeSliderCore::EndThumb).center();
        SendMouse(&s, QEvent::MouseButtonPress, end);
        SendMouse(&s, QEvent::MouseMove, end + QPoint(unit, 0));
        SendMouse(&s, QEvent::MouseMove, end);
        SendMouse(&s, QEvent::MouseButtonRelease, end);
        QCOMPARE(log.Events, (QStringList{"Before", "MaxPos(9)", "Before", "MaxPos(8)"}));

        // Shift drags both, but not past Max: 5..8 moved by 3 would put the end at 11.
        log.Events.clear();
        const QPoint start = s.Core().ThumbRect(TmkRangeSliderCore::StartThumb).center();
        SendMouse(&s, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::ShiftModifier);
        SendMouse(&s, QEvent::MouseMove, start + QPoint(3 * unit, 0), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(Values(s), "0..10 [5 8]");
        SendMouse(&s, QEvent::MouseMove, start + QPoint(unit, 0), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(Values(s), "0..10 [6 9]");
        SendMouse(&s, QEvent::MouseButtonRelease, start + QPoint(unit, 0));
        QCOMPARE(log.Events, (QStringList{"Before", "MinPos(6)", "Before", "MaxPos(9)", "Change"}));

        // From the end thumb the same, but not past Min: 6..9 moved by -7 would put the start at -1. A move
        // that takes the end below the start's old place keeps the range's width.
        log.Events.clear();
        const QPoint last = s.Core().ThumbRect(TmkRangeSliderCore::EndThumb).center();
        SendMouse(&s, QEvent::MouseButtonPress, last, Qt::LeftButton, Qt::ShiftModifier);
        SendMouse(&s, QEvent::MouseMove, last - QPoint(7 * unit, 0), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(Values(s), "0..10 [6 9]");
        SendMouse(&s, QEvent::MouseMove, last - QPoint(6 * unit, 0), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(Values(s), "0..10 [0 3]");
        SendMouse(&s, QEvent::MouseButtonRelease, last - QPoint(6 * unit, 0));
        QCOMPARE(log.Events, (QStringList{"Before", "MinPos(0)", "Before", "MaxPos(3)", "Change"}));

        // The start thumb carried past the end's old place the same way: 0..3 moved by 5 is 5..8.
        log.Events.clear();
        const QPoint first = s.Core().ThumbRect(TmkRangeSliderCore::StartThumb).center();
        SendMouse(&s, QEvent::MouseButtonPress, first, Qt::LeftButton, Qt::ShiftModifier);
        SendMouse(&s, QEvent::MouseMove, first + QPoint(5 * unit, 0), Qt::LeftButton, Qt::ShiftModifier);
        SendMouse(&s, QEvent::MouseButtonRelease, first + QPoint(5 * unit, 0));
        QCOMPARE(Values(s), "0..10 [5 8]");
        QCOMPARE(log.Events, (QStringList{"Before", "MaxPos(8)", "Before", "MinPos(5)", "Change"}));

        // Off the thumbs, or with another button, nothing is grabbed.
        log.Events.clear();
        SendMouse(&s, QEvent::MouseButtonPress, QPoint(s.width() / 2, 30));
        SendMouse(&s, QEvent::MouseMove, QPoint(5, 30));
        SendMouse(&s, QEvent::MouseButtonRelease, QPoint(5, 30));
        const QPoint again = s.Core().ThumbRect(TmkRangeSliderCore::StartThumb).center();
        SendMouse(&s, QEvent::MouseButtonPress, again, Qt::RightButton);
        SendMouse(&s, QEvent::MouseMove, again + QPoint(unit, 0));
        SendMouse(&s, QEvent::MouseButtonRelease, again + QPoint(unit, 0), Qt::RightButton);
        QCOMPARE(log.Events, QStringList{});
        QCOMPARE(Values(s), "0..10 [5 8]");
    }

    void RulerThumbsAndTicks() {
        TmkRangeSlider s;
        s.resize(371, 32);
        const TmkRangeSliderCore& c = s.Core();
        QCOMPARE(c.RulerRect(), QRect(13, 6, 345, 11));
        QCOMPARE(s.PositionToPixel(0), 0);
        QCOMPARE(s.PositionToPixel(10), 345);
        QCOMPARE(c.ThumbRect(TmkRangeSliderCore::StartThumb), QRect(3, 2, 10, 22));
        QCOMPARE(c.ThumbRect(TmkRangeSliderCore::EndThumb), QRect(13 + 345, 2, 10, 22));

        const auto ticks = [&c] {
            QStringList t;
            for (const auto& tick : c.Ticks())
                t << QString::number(tick.Value) + (tick.Major ? "*" : "");
            return t.join(' ');
        };
        QCOMPARE(ticks(), "0* 1 2 3 4 5 6 7 8 9");
        s.SetMax(3600);
        QCOMPARE(c.TickStep(), 100);
        QCOMPARE(ticks().count('*'), 4); // 0, 1000, 2000, 3000
        QVERIFY(ticks().startsWith("0* 100 200"));
        s.SetFrequency(100000);
        QCOMPARE(ticks(), "0*");
        s.SetMin(600);
        QCOMPARE(ticks(), "");

        // A ruler length asked of the owner sets the width; below 30 it is 30.
        s.SetOnGetRullerLength([](int& length) { length = 100; });
        QCOMPARE(s.width(), 2 * 10 + 100 + 6);
        s.SetOnGetRullerLength([](int& length) { length = 5; });
        QCOMPARE(c.RulerLength(), 30);
        QCOMPARE(s.width(), 2 * 10 + 30 + 6);
    }

    // In every shape, orientation and tick side the start thumb lies wholly on the Min side of its
    // position and the end thumb on the Max side, so they never overlap.
    void ThumbsLieOutsideTheRange() {
        for (int o : {rsHorizontal, rsVertical})
            for (int t : {rsBottomRight, rsTopLeft})
                for (int style : {rsStandard, rsTriangle, rsCorner, rsArrow}) {
                    TmkRangeSlider s;
                    s.SetOrientation(TmkOrientation(o));
                    s.SetTickStyle(TmkTickStyle(t));
                    s.SetThumbStyle(TmkThumbStyle(style));
                    Place(s, 0, 10, 5, 5);
                    const TmkRangeSliderCore& c = s.Core();
                    const QRect start = c.ThumbRect(TmkRangeSliderCore::StartThumb);
                    const QRect end = c.ThumbRect(TmkRangeSliderCore::EndThumb);
                    const QString what = QString("orientation %1 ticks %2 style %3").arg(o).arg(t).arg(style);
                    const bool h = o == rsHorizontal;
                    const int at = (h ? c.RulerRect().left() : c.RulerRect().top()) + s.PositionToPixel(5);
                    QVERIFY2((h ? start.right() : start.bottom()) == at - 1, qPrintable(what));
                    QVERIFY2((h ? end.left() : end.top()) == at, qPrintable(what));
                    QVERIFY2(!start.intersects(end), qPrintable(what));
                    // Across the track the thumb covers its centre line.
                    const int centre = h ? c.RulerRect().center().y() : c.RulerRect().center().x();
                    QVERIFY2((h ? start.top() : start.left()) <= centre, qPrintable(what));
                    QVERIFY2((h ? start.bottom() : start.right()) >= centre, qPrintable(what));
                }
    }

    void OrientationSwapsTheSize() {
        TmkRangeSlider s;
        s.resize(371, 32);
        s.SetOrientation(rsVertical);
        QCOMPARE(s.size(), QSize(32, 371));
        QCOMPARE(s.Core().RulerRect(), QRect(6, 13, 11, 345));
        QCOMPARE(s.Core().ThumbSize(TmkRangeSliderCore::StartThumb), QSize(22, 10));
        s.SetOrientation(rsHorizontal);
        QCOMPARE(s.size(), QSize(371, 32));
    }

    void PaintsTrackTicksAndThumbs() {
        TmkRangeSlider s;
        s.resize(371, 32);
        Place(s, 0, 10, 2, 8);
        const QImage picture = s.grab().toImage();
        const QPalette p = s.palette();
        const QRect start = s.Core().ThumbRect(TmkRangeSliderCore::StartThumb);
        const QRect end = s.Core().ThumbRect(TmkRangeSliderCore::EndThumb);
        QCOMPARE(Rgb(picture, start.center()), p.color(QPalette::Button).rgb());
        QCOMPARE(Rgb(picture, end.center()), p.color(QPalette::Button).rgb());
        QCOMPARE(Rgb(picture, start.left() + 1, start.top()), p.color(QPalette::Light).rgb()); // raised edge
        QCOMPARE(Rgb(picture, start.right(), start.top() + 5), p.color(QPalette::Dark).rgb());
        // The track between the thumbs, off the tick marks, and the sunken edge above it.
        const int between = 13 + s.PositionToPixel(5) + s.PositionToPixel(1) / 2;
        QCOMPARE(Rgb(picture, between, 11), p.color(QPalette::Midlight).rgb());
        QCOMPARE(Rgb(picture, between, 6), p.color(QPalette::Dark).rgb());
        // A tick mark at 5 on the centre line is black; below the track is the control's colour.
        QCOMPARE(Rgb(picture, 13 + s.PositionToPixel(5), 11), QColor(Qt::black).rgb());
        QCOMPARE(Rgb(picture, between, 28), p.color(QPalette::Window).rgb());
    }
};

QTEST_MAIN(RangeSliderTest)
#include "RangeSliderTest.moc"
