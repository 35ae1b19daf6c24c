#include "LogindSleepLock.h"
#include "tasks/ProductInfo.h"
#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velloric DVD Converter"));
    TMainForm window;
    window.HoldSleepLock(
        std::make_unique<TLogindSleepLock>(kProductTitle, "A DVD conversion must not be cut short"));
    window.show();
    window.OpenCommandLine(app.arguments().mid(1));
    return app.exec();
}
