#include "EditTimeForm.h"

#include "PreviewDialogs.h"
#include "RangeSlider.h"
#include "tasks/TaskListModel.h"
#include "tasks/TimeText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

int RoundHalfEven(double v) {
    return int(std::nearbyint(v));
}

const QColor kLightCyan(0xC0, 0xF8, 0xFF);
const QColor kCyan(0x00, 0xC8, 0xE8);
const QColor kBlue(0x10, 0x40, 0xE0);

// A thumb: straight edge toward the range, the outer lower corner cut off by a diagonal.
QImage ThumbPicture(const QColor& colour, bool mirrored) {
    QImage picture(10, 22, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(colour.darker(130));
    p.setBrush(colour);
    QPolygon shape({QPoint(0, 0), QPoint(9, 0), QPoint(9, 21), QPoint(0, 12)});
    if (mirrored)
        shape = QPolygon({QPoint(9, 0), QPoint(0, 0), QPoint(0, 21), QPoint(9, 12)});
    p.drawPolygon(shape);
    return picture;
}

QImage RangePicture() {
    QImage picture(30, 8, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&picture);
    QLinearGradient gradient(0, 0, 30, 0);
    gradient.setColorAt(0, kLightCyan);
    gradient.setColorAt(1, kBlue);
    p.fillRect(picture.rect(), gradient);
    return picture;
}

QIcon ArrowIcon(const QColor& colour, bool left) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(colour.darker(140));
    p.setBrush(colour);
    const QPolygonF right({QPointF(2, 5), QPointF(8, 5), QPointF(8, 1.5), QPointF(14.5, 8), QPointF(8, 14.5),
                           QPointF(8, 11), QPointF(2, 11)});
    p.drawPolygon(left ? QTransform(-1, 0, 0, 1, 16, 0).map(right) : right);
    return QIcon(pixmap);
}

} // namespace

TEditTimeForm::TEditTimeForm(TTaskListModel& tasks, QWidget* parent) : QDialog(parent), FTasks(tasks) {
    setObjectName("EditTimeForm");
    setWindowTitle("Edit the Start & End Time");
    setWindowModality(Qt::WindowModal);
    FRangePicture = RangePicture();
    FStartPicture = ThumbPicture(kCyan, false);
    FEndPicture = ThumbPicture(kBlue, true);

    auto* hint = new QLabel("Use the Slide Bar or Edit Boxes to change the Start and End Time.", this);
    hint->setObjectName("Label2");
    labStartTime = new QLabel("Start Time", this);
    labStartTime->setObjectName("labStartTime");
    labEndTime = new QLabel("End Time", this);
    labEndTime->setObjectName("labEndTime");
    labEndTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    tkbTime = new TmkRangeSlider(this);
    tkbTime->setObjectName("tkbTime");
    tkbTime->setFixedSize(371, 32);
    tkbTime->SetFrequency(100000); // at most one tick, at 0, which the overlay covers
    tkbTime->PaintOverlay = [this](QPainter& p) { PaintOverlay(p); };

    sbtnStartTime = new QToolButton(this);
    sbtnStartTime->setObjectName("sbtnStartTime");
    sbtnStartTime->setIcon(ArrowIcon(kCyan, true));
    sbtnEndTime = new QToolButton(this);
    sbtnEndTime->setObjectName("sbtnEndTime");
    sbtnEndTime->setIcon(ArrowIcon(kBlue, false));
    for (QToolButton* b : {sbtnStartTime, sbtnEndTime}) {
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
    }

    edtStartTime = new QLineEdit(this);
    edtStartTime->setObjectName("edtStartTime");
    edtEndTime = new QLineEdit(this);
    edtEndTime->setObjectName("edtEndTime");
    labLength = new QLabel("Length:", this);
    labLength->setObjectName("labLength");
    labLength->setMinimumWidth(130);
    btnOK = new QPushButton("&OK", this);
    btnOK->setObjectName("btnOK");
    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    for (QPushButton* b : {btnOK, btnCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    tmrRefresh = new QTimer(this);
    tmrRefresh->setObjectName("tmrRefresh");
    tmrRefresh->setInterval(1);
    tmrRefresh->setSingleShot(true);

    auto* top = new QHBoxLayout;
    top->addWidget(labStartTime);
    top->addStretch();
    top->addWidget(labEndTime);
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(sbtnStartTime);
    sliderRow->addWidget(tkbTime);
    sliderRow->addWidget(sbtnEndTime);
    auto* boxes = new QHBoxLayout;
    auto* startLabel = new QLabel("Start:", this);
    startLabel->setObjectName("labStart");
    auto* endLabel = new QLabel("End:", this);
    endLabel->setObjectName("Label1");
    boxes->addWidget(startLabel);
    boxes->addWidget(edtStartTime);
    boxes->addSpacing(8);
    boxes->addWidget(endLabel);
    boxes->addWidget(edtEndTime);
    boxes->addSpacing(8);
    boxes->addWidget(labLength);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    auto* topIndent = new QHBoxLayout;
    topIndent->addSpacing(sbtnStartTime->sizeHint().width() + 10);
    topIndent->addLayout(top);
    topIndent->addSpacing(sbtnEndTime->sizeHint().width() + 10);
    layout->addLayout(topIndent);
    layout->addLayout(sliderRow);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
    setTabOrder(tkbTime, edtStartTime);
    setTabOrder(edtStartTime, edtEndTime);
    setTabOrder(edtEndTime, btnOK);
    setTabOrder(btnOK, btnCancel);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The boxes show the positions after each change of the slider.
    for (auto signal : {&TmkRangeSlider::MinChange, &TmkRangeSlider::MaxChange, &TmkRangeSlider::MinPosChange,
                        &TmkRangeSlider::MaxPosChange})
        connect(tkbTime, signal, this, &TEditTimeForm::RefreshBoxes);
    connect(edtStartTime, &QLineEdit::textEdited, this, &TEditTimeForm::edtStartTimeKeyUp);
    connect(edtEndTime, &QLineEdit::textEdited, this, &TEditTimeForm::edtEndTimeKeyUp);
    connect(sbtnStartTime, &QToolButton::clicked, this, &TEditTimeForm::sbtnStartTimeClick);
    connect(sbtnEndTime, &QToolButton::clicked, this, &TEditTimeForm::sbtnEndTimeClick);
    connect(btnOK, &QPushButton::clicked, this, &TEditTimeForm::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(tmrRefresh, &QTimer::timeout, tkbTime, qOverload<>(&QWidget::update));
}

bool TEditTimeForm::tbtnTrimClick(TTaskNode* focusedRow) {
    if (!focusedRow) {
        Dialogs::Message(parentWidget(), "No Title/Chapter selected",
                         "Please select a Title/Chapter firstly.", Dialogs::TIcon::Information);
        return false;
    }
    // Whole-second slider ends: a range that rounds to nothing cannot be edited either.
    if (focusedRow->FullEnd == focusedRow->FullStart ||
        RoundHalfEven(focusedRow->FullEnd) <= RoundHalfEven(focusedRow->FullStart)) {
        Dialogs::Message(parentWidget(), "Time can not be edited", "The Start Time is equal to the End Time.",
                         Dialogs::TIcon::Information);
        return false;
    }
    FRow = focusedRow;
    // Min goes to 0 first, so that an end below the previous opening's start is accepted.
    tkbTime->SetMin(0);
    SetSliderFromRow();
    show();
    return true;
}

// The positions clamp against each other: a start beyond the previous end is held there in a first
// pass, so the row's values go on twice.
void TEditTimeForm::SetSliderFromRow() {
    tkbTime->SetMax(RoundHalfEven(FRow->FullEnd));
    tkbTime->SetMin(RoundHalfEven(FRow->FullStart));
    tkbTime->SetMinPosition(RoundHalfEven(FRow->CurStart));
    tkbTime->SetMaxPosition(RoundHalfEven(FRow->CurEnd));
}

void TEditTimeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FRow)
        return;
    SetSliderFromRow();
    // The boxes start with the row's own texts, so a typed fraction survives an OK without changes.
    if (tkbTime->MinPosition() == RoundHalfEven(FRow->CurStart) &&
        tkbTime->MaxPosition() == RoundHalfEven(FRow->CurEnd)) {
        edtStartTime->setText(FRow->CurStartText);
        edtEndTime->setText(FRow->CurEndText);
    }
    labStartTime->setText(FRow->FullStartText);
    labEndTime->setText(FRow->FullEndText);
    tmrRefresh->start();
}

void TEditTimeForm::RefreshBoxes() {
    if (FSkipRefresh)
        return;
    edtStartTime->setText(SecondsToTimeText(tkbTime->MinPosition()));
    edtEndTime->setText(SecondsToTimeText(tkbTime->MaxPosition()));
    ShowLength();
}

void TEditTimeForm::ShowLength() {
    labLength->setText("Length:" + SecondsToTimeText(tkbTime->MaxPosition() - tkbTime->MinPosition()));
}

void TEditTimeForm::PlaceTyped(bool start, int seconds) {
    FSkipRefresh = true;
    if (start)
        tkbTime->SetMinPosition(seconds);
    else
        tkbTime->SetMaxPosition(seconds);
    FSkipRefresh = false;
    tkbTime->update();
    ShowLength();
}

void TEditTimeForm::edtStartTimeKeyUp() {
    const double v = TimeTextToSeconds(edtStartTime->text());
    const int r = v < 0 ? -1 : RoundHalfEven(v);
    if (r == -1 || r < tkbTime->Min() || r >= tkbTime->MaxPosition()) {
        labLength->setText("Invalid Start Time.");
        return;
    }
    PlaceTyped(true, r);
}

void TEditTimeForm::edtEndTimeKeyUp() {
    const double v = TimeTextToSeconds(edtEndTime->text());
    const int r = v < 0 ? -1 : RoundHalfEven(v);
    if (r == -1 || r <= tkbTime->MinPosition() || r > tkbTime->Max()) {
        labLength->setText("Invalid End Time");
        return;
    }
    PlaceTyped(false, r);
}

void TEditTimeForm::sbtnStartTimeClick() {
    if (tkbTime->Min() < tkbTime->MinPosition())
        tkbTime->SetMinPosition(tkbTime->MinPosition() - 1);
}

void TEditTimeForm::sbtnEndTimeClick() {
    if (tkbTime->MaxPosition() < tkbTime->Max())
        tkbTime->SetMaxPosition(tkbTime->MaxPosition() + 1);
}

bool TEditTimeForm::CheckBox(QLineEdit* box, const QString& which, double& value) {
    const QString text = box->text();
    value = TimeTextToSeconds(text);
    QString problem;
    if (value < 0)
        problem = QStringLiteral("\"%1\" is not a time. Please type the %2 Time as hours:minutes:seconds, "
                                 "for example 00:01:05.")
                      .arg(text, which);
    else if (value < FRow->FullStart || value > FRow->FullEnd)
        problem = QStringLiteral("The %1 Time %2 lies outside %3, which runs from %4 to %5.")
                      .arg(which, text, FRow->DisplayText, FRow->FullStartText, FRow->FullEndText);
    if (problem.isEmpty())
        return true;
    Dialogs::Message(this, "Invalid " + which + " Time", problem, Dialogs::TIcon::Information);
    box->setFocus();
    box->selectAll();
    return false;
}

void TEditTimeForm::btnOKClick() {
    if (!FRow)
        return;
    double start = 0, end = 0;
    if (!CheckBox(edtStartTime, "Start", start) || !CheckBox(edtEndTime, "End", end))
        return;
    if (end <= start) {
        Dialogs::Message(this, "Invalid End Time",
                         QStringLiteral("The End Time %1 must be after the Start Time %2.")
                             .arg(edtEndTime->text(), edtStartTime->text()),
                         Dialogs::TIcon::Information);
        edtEndTime->setFocus();
        edtEndTime->selectAll();
        return;
    }
    FTasks.SetTrimmedTexts(FRow, edtStartTime->text(), edtEndTime->text());
    accept();
}

// The editor's own look over the slider: a white band on the track, the chosen range as a cyan-to-blue
// bar, and a cyan start and a blue end thumb where the slider's own thumbs lie, so a click on a picture
// grabs the thumb beneath it.
void TEditTimeForm::PaintOverlay(QPainter& painter) {
    const QRect ruler = tkbTime->Core().RulerRect();
    const int left = ruler.left();
    const int pMin = tkbTime->PositionToPixel(tkbTime->MinPosition());
    const int pMax = tkbTime->PositionToPixel(tkbTime->MaxPosition());
    painter.fillRect(tkbTime->rect(), palette().color(QPalette::Window));
    painter.fillRect(QRect(QPoint(left, 7), QPoint(tkbTime->width() - left - 1, 14)), Qt::white);
    if (pMax > pMin)
        painter.drawImage(QRect(QPoint(left + pMin, 7), QPoint(left + pMax - 1, 14)), FRangePicture);
    painter.drawImage(tkbTime->Core().ThumbRect(TmkRangeSliderCore::StartThumb).adjusted(0, 0, 0, -1),
                      FStartPicture);
    painter.drawImage(tkbTime->Core().ThumbRect(TmkRangeSliderCore::EndThumb).adjusted(0, 0, 0, -1),
                      FEndPicture);
    if (tkbTime->hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(QRect(QPoint(left - 1, 6), QPoint(tkbTime->width() - left, 15)));
    }
}
