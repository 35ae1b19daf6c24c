#include "OpenDVDForm.h"

#include "ui/Dialogs.h"
#include "ui/WidgetNames.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TOpenDVDForm::TOpenDVDForm(QWidget* parent, TDriveSources sources)
    : QDialog(parent), FSources(std::move(sources)) {
    setObjectName("OpenDVDForm");
    setWindowTitle("Open a DVD");
    setWindowModality(Qt::WindowModal); // the main window is disabled while the dialog is open
    setFixedSize(377, 108);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(16, 16, 16, 12);
    auto* drive = new QHBoxLayout;
    drive->addWidget(new QLabel("DVD Disc:", this));
    cmbDrive = Named(new QComboBox(this), "cmbDrive");
    cmbDrive->setEditable(false);
    cmbDrive->setFixedWidth(289);
    cmbDrive->setPlaceholderText("No optical drive found");
    drive->addWidget(cmbDrive);
    rows->addLayout(drive);
    rows->addStretch(1);
    auto* buttons = new QHBoxLayout;
    btnRefresh = Named(new QPushButton("&Refresh", this), "btnRefresh");
    btnOpen = Named(new QPushButton("&Open", this), "btnOpen");
    btnCancel = Named(new QPushButton("&Cancel", this), "btnCancel");
    btnOpen->setDefault(true);
    buttons->addWidget(btnRefresh);
    buttons->addStretch(1);
    buttons->addWidget(btnOpen);
    buttons->addWidget(btnCancel);
    rows->addLayout(buttons);

    connect(btnRefresh, &QPushButton::clicked, this, &TOpenDVDForm::FillDriveList);
    connect(btnOpen, &QPushButton::clicked, this, &TOpenDVDForm::btnOpenClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TOpenDVDForm::showEvent(QShowEvent* event) {
    FillDriveList();
    QDialog::showEvent(event);
}

void TOpenDVDForm::FillDriveList() {
    FDrives = ::FillDriveList(ListOpticalDrives(FSources));
    cmbDrive->clear();
    for (const TDriveEntry& entry : FDrives.Entries)
        cmbDrive->addItem(entry.Text);
    cmbDrive->setCurrentIndex(FDrives.Selected);
}

void TOpenDVDForm::btnOpenClick() {
    const int index = cmbDrive->currentIndex();
    const bool chosen = index >= 0 && index < int(FDrives.Entries.size());
    // With no drive listed there is nothing to test: the message names the folder a disc would have.
    const QString folder = VideoTsFolderOf(chosen ? FDrives.Entries[size_t(index)].Root : QString());
    const QString disc = chosen ? DiscOfEntry(FDrives.Entries[size_t(index)]) : QString();
    if (disc.isEmpty()) {
        Dialogs::Message(this, "No DVD Detected.", folder + " is not found. Please insert a DVD disc.",
                         Dialogs::TIcon::Information);
        return;
    }
    const QString label = FDrives.Entries[size_t(index)].Label;
    accept();
    emit DiscChosen(disc, label);
}
