#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// "Edit the DVD Volume": changes or clears the prefix that begins every output file name. OK takes the
// text exactly as typed; Cancel and the close box leave the prefix as it was.
class TEditDVDVolumeForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditDVDVolumeForm(QWidget* parent = nullptr);

    // Shows the dialog with the prefix in force.
    void Edit(const QString& prefix);

    QLineEdit* edtDVDVolume = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

signals:
    // OK was pressed: the new prefix.
    void PrefixChosen(const QString& prefix);
};
