#include "AboutForm.h"

#include "Pictures.h"
#include "ui/Dialogs.h"
#include "ui/WidgetNames.h"
#include "app/EncoderVersion.h"
#include "app/HelpLinks.h"
#include "tasks/ProductInfo.h"
#include "dvd/DvdReadVersion.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

TAboutForm::TAboutForm(const TAppPaths& paths, const QUrl& homePage, QWidget* parent)
    : QDialog(parent), FPaths(paths), FStageOne(new TEncoderVersion(this)),
      FStageTwo(new TEncoderVersion(this)) {
    setObjectName("AboutForm");
    setWindowTitle(QStringLiteral("About %1").arg(kProductTitle));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(520);

    auto* rows = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setPixmap(Pictures::Load("open-dvd", {64, 64}));
    top->addWidget(picture, 0, Qt::AlignTop);
    auto* heading = new QVBoxLayout;
    labProduct = Named(new QLabel(kProductTitle, this), "labProduct");
    QFont title = labProduct->font();
    title.setPixelSize(20);
    title.setBold(true);
    labProduct->setFont(title);
    labVersion = Named(new QLabel(QStringLiteral("Version %1").arg(VELLORIC_VERSION), this), "labVersion");
    auto* link = Named(new QLabel(this), "labHomePage");
    link->setText(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(homePage.toString().toHtmlEscaped(), kMakerName));
    connect(link, &QLabel::linkActivated, this, [this, homePage] {
        Dialogs::OpenExternally(this, kProductTitle, homePage, HomePageKind(homePage));
    });
    heading->addWidget(labProduct);
    heading->addWidget(labVersion);
    heading->addWidget(link);
    top->addLayout(heading, 1);
    rows->addLayout(top);

    auto* parts = new QFormLayout;
    labLibraries = Named(new QLabel(this), "labLibraries");
    labLibraries->setText(QStringLiteral("%1, Qt %2").arg(DvdReadVersionText(), qVersion()));
    labStageOne = Named(new QLabel(this), "labStageOne");
    labStageTwo = Named(new QLabel(this), "labStageTwo");
    for (QLabel* label : {labLibraries, labStageOne, labStageTwo}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
    }
    parts->addRow("Libraries:", labLibraries);
    parts->addRow("Stage one (asapi.dll):", labStageOne);
    parts->addRow("Stage two (wmaspi.dll):", labStageTwo);
    rows->addLayout(parts);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    rows->addWidget(buttons);

    const auto found = [this](QLabel* label) {
        return [this, label](const QString& line) {
            label->setText(line);
            if (--FPending == 0)
                emit EncodersFound();
        };
    };
    connect(FStageOne, &TEncoderVersion::Found, this, found(labStageOne));
    connect(FStageTwo, &TEncoderVersion::Found, this, found(labStageTwo));
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Asked afresh at each showing: the links in the program folder may point elsewhere by now.
    labStageOne->setText("...");
    labStageTwo->setText("...");
    FPending = 2;
    FStageOne->Start(FPaths.StageOneEncoder(), {});
    FStageTwo->Start(FPaths.StageTwoEncoder(), {"-version"});
}
