#include "EditDVDVolumeForm.h"

#include "ui/WidgetNames.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TEditDVDVolumeForm::TEditDVDVolumeForm(QWidget* parent) : QDialog(parent) {
    setObjectName("EditDVDVolumeForm");
    setWindowTitle("Edit the DVD Volume");
    setWindowModality(Qt::WindowModal); // the main window is disabled while the dialog is open
    setFixedSize(409, 159);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(24, 20, 24, 16);
    rows->addWidget(new QLabel("DVD Volume (Prefixsion of output files:)", this));
    edtDVDVolume = Named(new QLineEdit(this), "edtDVDVolume");
    edtDVDVolume->setFixedWidth(353);
    rows->addWidget(edtDVDVolume);
    rows->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = Named(new QPushButton("&OK", this), "btnOK");
    btnCancel = Named(new QPushButton("&Cancel", this), "btnCancel");
    btnOK->setDefault(true);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    rows->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, [this] {
        emit PrefixChosen(edtDVDVolume->text());
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TEditDVDVolumeForm::Edit(const QString& prefix) {
    edtDVDVolume->setText(prefix);
    edtDVDVolume->selectAll();
    show();
    raise();
    activateWindow();
}
