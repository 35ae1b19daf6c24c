#pragma once

#include "dvd/OpticalDrives.h"

#include <QDialog>

class QComboBox;
class QPushButton;

// "Open a DVD": lists the optical drives with the labels of their discs and opens the chosen disc's
// VIDEO_TS folder. Every showing, and Refresh, lists the drives afresh.
class TOpenDVDForm : public QDialog {
    Q_OBJECT
public:
    explicit TOpenDVDForm(QWidget* parent = nullptr, TDriveSources sources = {});

    void FillDriveList();
    void btnOpenClick();

    const TDriveList& Drives() const { return FDrives; }

    QComboBox* cmbDrive = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnOpen = nullptr;
    QPushButton* btnCancel = nullptr;

signals:
    // Open found the folder: the dialog has closed; the label is the new output prefix.
    void DiscChosen(const QString& videoTsFolder, const QString& label);

protected:
    void showEvent(QShowEvent* event) override;

private:
    TDriveSources FSources;
    TDriveList FDrives;
};
