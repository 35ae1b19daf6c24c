#include "SizeForm.h"

#include "ValueListEditor.h"
#include "ui/Dialogs.h"
#include "profiles/IniText.h"
#include "profiles/OutputSize.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const char* const kVideoSize = "Video Size";
}

TSizeForm::TSizeForm(TValueListEditor* videoGrid, QWidget* parent) : QDialog(parent), FVideoGrid(videoGrid) {
    setObjectName("SizeForm");
    setWindowTitle("Video Size of output files");
    setFixedSize(336, 106);
    setWindowModality(Qt::WindowModal);
    auto* layout = new QGridLayout(this);
    edtWidth = new QLineEdit(this);
    edtWidth->setObjectName("edtWidth");
    edtHeight = new QLineEdit(this);
    edtHeight->setObjectName("edtHeight");
    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("btnOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("btnCancel");
    layout->addWidget(new QLabel("Width:", this), 0, 0);
    layout->addWidget(edtWidth, 0, 1);
    layout->addWidget(new QLabel("Height:", this), 0, 2);
    layout->addWidget(edtHeight, 0, 3);
    layout->addWidget(ok, 1, 2);
    layout->addWidget(cancel, 1, 3);
    connect(ok, &QPushButton::clicked, this, &TSizeForm::btnOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// The side's number, or a message naming the box and why its text is no size an encoder can take.
bool TSizeForm::ReadSide(QLineEdit* edit, const char* caption, const char* side, int& value) {
    const QString proper = QStringLiteral("Please specify a proper %1 for output videos.").arg(side);
    QString problem;
    if (!TextToInt(edit->text(), value))
        problem = proper;
    else if (const QString why = OutputSideProblem(value); !why.isEmpty())
        problem = proper + "\nThe " + side + " is not one an encoder can take: " + why + ".";
    if (problem.isEmpty())
        return true;
    Dialogs::Message(this, caption, problem, Dialogs::TIcon::Information);
    edit->setFocus();
    return false;
}

void TSizeForm::btnOKClick() {
    int width = 0, height = 0;
    if (!ReadSide(edtWidth, "Incorrect Width", "width", width) ||
        !ReadSide(edtHeight, "Incorrect Height", "height", height))
        return;
    // The numbers as read, so a size typed as "$280" or " 640" reaches the encoders as plain decimals.
    FVideoGrid->SetRowText(kVideoSize, QStringLiteral("%1x%2").arg(width).arg(height));
    accept();
}

void TSizeForm::done(int result) {
    if (FVideoGrid->RowText(kVideoSize) == "Custom Size")
        FVideoGrid->SetRowText(kVideoSize, "Original Size");
    QDialog::done(result);
}

void ConnectCustomSizeHandOff(TValueListEditor* videoGrid, TSizeForm* form) {
    QObject::connect(videoGrid, &TValueListEditor::StringsChanged, form, [videoGrid, form] {
        if (!form->isVisible() && videoGrid->CurrentKey() == kVideoSize &&
            videoGrid->RowText(kVideoSize) == "Custom Size")
            form->show();
    });
}
