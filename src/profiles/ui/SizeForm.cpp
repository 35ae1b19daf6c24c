#include "SizeForm.h"

#include "ValueListEditor.h"
#include "ui/Dialogs.h"
#include "profiles/IniText.h"

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

void TSizeForm::btnOKClick() {
    int number = 0;
    if (!TextToInt(edtWidth->text(), number)) {
        Dialogs::Message(this, "Incorrect Width", "Please specify a proper width for output videos.",
                         Dialogs::TIcon::Information);
        edtWidth->setFocus();
        return;
    }
    if (!TextToInt(edtHeight->text(), number)) {
        Dialogs::Message(this, "Incorrect Height", "Please specify a proper height for output videos.",
                         Dialogs::TIcon::Information);
        edtHeight->setFocus();
        return;
    }
    FVideoGrid->SetRowText(kVideoSize, edtWidth->text() + "x" + edtHeight->text());
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
