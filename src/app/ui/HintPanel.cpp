#include "HintPanel.h"

#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVariantAnimation>

THintPanel::THintPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("PanHint");
    setAttribute(Qt::WA_StyledBackground, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    labHint = Named(new QLabel(this), "labHint");
    labHint->setAlignment(Qt::AlignCenter);
    labHint->setWordWrap(true);
    QFont font = labHint->font();
    font.setBold(true);
    labHint->setFont(font);
    chkTurnoff =
        Named(new QCheckBox("Turn off the computer after the conversion is completed.", this), "chkTurnoff");
    layout->addWidget(labHint, 1);
    layout->addWidget(chkTurnoff, 0, Qt::AlignCenter);
    setFixedWidth(FullWidth);
    setFixedHeight(0);
    hide();
    parent->installEventFilter(this);

    FAnimation = new QVariantAnimation(this);
    connect(FAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { SetPanelHeight(value.toInt()); });
    connect(FAnimation, &QVariantAnimation::finished, this, [this] {
        if (FShowing) {
            emit Grown();
        } else {
            hide();
            emit Hidden();
        }
    });
}

void THintPanel::ShowHint(const QString& text) {
    chkTurnoff->hide();
    labHint->setText(text);
    FShowing = true;
    show();
    raise();
    Place();
    FAnimation->stop();
    // About a quarter of a second from wherever a shrink left it.
    FAnimation->setStartValue(height());
    FAnimation->setEndValue(FullHeight);
    FAnimation->setDuration(2 * (FullHeight - height()) + 1);
    FAnimation->start();
}

void THintPanel::SetText(const QString& text) {
    labHint->setText(text);
}

void THintPanel::HideHint() {
    if (!isVisible())
        return;
    FShowing = false;
    FAnimation->stop();
    FAnimation->setStartValue(height());
    FAnimation->setEndValue(0);
    FAnimation->setDuration(height() * 3 / 2 + 1);
    FAnimation->start();
}

bool THintPanel::Animating() const {
    return FAnimation->state() == QAbstractAnimation::Running;
}

void THintPanel::SetPanelHeight(int height) {
    setFixedHeight(height);
    Place();
}

void THintPanel::Place() {
    const QWidget* area = parentWidget();
    move((area->width() - width()) / 2, area->height() - height());
}

bool THintPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Place();
    return QFrame::eventFilter(watched, event);
}

void THintPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, 10); // rounded top corners only
    QPainterPath path;
    path.addRoundedRect(box, 8, 8);
    QLinearGradient fill(0, 0, 0, FullHeight);
    fill.setColorAt(0, QColor(0xfd, 0xfe, 0xff));
    fill.setColorAt(1, QColor(0xdc, 0xe6, 0xf2));
    painter.fillPath(path, fill);
    painter.setPen(QPen(QColor(0x7f, 0x93, 0xb0), 1));
    painter.drawPath(path);
}
