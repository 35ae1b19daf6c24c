#pragma once

#include "tasks/AppPaths.h"

#include <QDialog>

class QLabel;
class TEncoderVersion;

// The About box: the product, its version, and the libraries and encoders in use as found at run time.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    // programDir: where the two encoders are; homePage: the address the link opens.
    TAboutForm(const TAppPaths& paths, const QUrl& homePage, QWidget* parent = nullptr);

    QLabel* labProduct = nullptr;
    QLabel* labVersion = nullptr;
    QLabel* labLibraries = nullptr;
    QLabel* labStageOne = nullptr;
    QLabel* labStageTwo = nullptr;

signals:
    // The encoders have both answered (or given up).
    void EncodersFound();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TAppPaths FPaths;
    TEncoderVersion* FStageOne;
    TEncoderVersion* FStageTwo;
    int FPending = 0;
};
