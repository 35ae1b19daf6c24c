#pragma once

#include <QDialog>

class QLineEdit;
class TValueListEditor;

// Asks for a custom output size and writes it into the Video grid's "Video Size" row as width "x" height,
// once both are sizes an encoder can take.
// Closing it by any way without a size puts "Original Size" back into that row.
class TSizeForm : public QDialog {
    Q_OBJECT
public:
    TSizeForm(TValueListEditor* videoGrid, QWidget* parent = nullptr);

    QLineEdit* edtWidth = nullptr;
    QLineEdit* edtHeight = nullptr;

    void btnOKClick();
    void done(int result) override; // FormClose, for OK, Cancel and the close box alike

private:
    bool ReadSide(QLineEdit* edit, const char* caption, const char* side, int& value);

    TValueListEditor* FVideoGrid;
};

// Shows the size dialog whenever the Video grid's current row is "Video Size" and reads "Custom Size".
void ConnectCustomSizeHandOff(TValueListEditor* videoGrid, TSizeForm* form);
