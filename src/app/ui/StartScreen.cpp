#include "StartScreen.h"

#include "Pictures.h"
#include "ui/WidgetNames.h"
#include "tasks/ProductInfo.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

TStartScreen::TStartScreen(const QString& linkText, QWidget* parent) : QWidget(parent) {
    setObjectName("panbg");
    setAutoFillBackground(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 14);
    layout->setSpacing(6);

    labProgramName = Named(new QLabel(kProductTitle, this), "labProgramName");
    QFont title("Tahoma");
    title.setPixelSize(24);
    title.setBold(true);
    labProgramName->setFont(title);
    labProgramName->setStyleSheet("color: #1f3f66;");
    layout->addWidget(labProgramName);

    auto* body = new QHBoxLayout;
    auto* picture = Named(new QLabel(this), "imgStart");
    picture->setPixmap(Pictures::Load("start-screen", {150, 120}));
    picture->setAlignment(Qt::AlignTop);
    body->addWidget(picture, 0, Qt::AlignTop);
    body->addSpacing(18);

    auto* steps = new QVBoxLayout;
    steps->setSpacing(8);
    auto* heading = Named(new QLabel("Getting Start:", this), "labGettingStart");
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.15);
    heading->setFont(headingFont);
    steps->addWidget(heading);
    for (const char* line : {"1. Open a DVD disc or DVD dir.", "2. Select a profile and output path.",
                             "3. Click on the \"Start\" button."})
        steps->addWidget(new QLabel(line, this));
    steps->addStretch(1);
    body->addLayout(steps, 1);
    layout->addLayout(body, 1);

    labLink = Named(new QLabel(this), "labLink");
    labLink->setText(
        QStringLiteral("<a href=\"home\" style=\"color:#1f6fc4;\">%1</a>").arg(linkText.toHtmlEscaped()));
    labLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    labLink->setCursor(Qt::PointingHandCursor);
    connect(labLink, &QLabel::linkActivated, this, &TStartScreen::labLinkClick);
    layout->addWidget(labLink, 0, Qt::AlignRight);
}

void TStartScreen::paintEvent(QPaintEvent*) {
    // White, with a soft band at the bottom behind the link.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    QLinearGradient band(0, height() - 60, 0, height());
    band.setColorAt(0, QColor(255, 255, 255));
    band.setColorAt(1, QColor(0xe4, 0xec, 0xf6));
    painter.fillRect(QRect(0, height() - 60, width(), 60), band);
    painter.setPen(QColor(0xc9, 0xd4, 0xe3));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
