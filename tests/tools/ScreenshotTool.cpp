// Takes the README's pictures of the window on a real X display (run it under Xvfb):
//   velloric_screenshots OUTPUT_DIR PROGRAM_DIR SAMPLE_DISC
// writes start-screen.png, loaded-disc.png, previewing.png and converting.png. PROGRAM_DIR must hold the
// profiles and the two encoders; a copy of it is used so the real one keeps its preferences.
#include "ui/Dialogs.h"
#include "app/ui/MainWindow.h"
#include "preview/VlcPlayback.h"
#include "preview/ui/PreviewPanel.h"
#include "profiles/IniFile.h"
#include "support/NoDesktop.h"
#include "support/ProgramFolder.h"
#include "support/ScreenShots.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

namespace {

// The run's closing messages are answered at once, so the tool never waits for a user.
class TAutoAnswer : public Dialogs::TAnswerer {
public:
    Dialogs::TAnswer Message(const Dialogs::TRequest& request) override {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(request.Caption), qPrintable(request.Text));
        return Dialogs::TAnswer::No;
    }
    QString Path(const Dialogs::TRequest&) override { return {}; }
};

bool Shoot(QWidget& window, const QString& path) {
    Wait(400);
    return SaveShot(window.screen()->grabWindow(window.winId()), path);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: velloric_screenshots OUTPUT_DIR PROGRAM_DIR SAMPLE_DISC\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString source = QString::fromLocal8Bit(argv[2]) + "/";
    const QString disc = QString::fromLocal8Bit(argv[3]);
    QDir().mkpath(outDir);

    const TProgramFolder program(TProgramFolder::Real, source);
    const QString& folder = program.Path;
    QTemporaryDir output;
    TAutoAnswer answers;
    Dialogs::SetAnswerer(&answers);
    TNoDesktop desktop;

    TIniFile(folder + "Preferences.ini").WriteBool("Main", "FirstUse", false); // no notice before the preview
    TMainForm window(nullptr, nullptr, folder, {},
                     std::make_unique<TVlcPlayback>(QStringList{"--aout=dummy"}));
    window.show();
    bool ok = Shoot(window, outDir + "/start-screen.png");

    window.OpenDiscFolder(disc);
    window.Context().DVDInformation.OutputPrefix = "SAMPLE";
    window.Tasks().RefreshTexts();
    window.findChild<QLineEdit*>("edtOutputDir")->setText(output.path());
    window.TaskView()->expandAll();
    window.TaskView()->setCurrentIndex(window.Tasks().IndexOf(window.Tasks().Title(0)));
    ok = Shoot(window, outDir + "/loaded-disc.png") && ok;

    window.ltvTaskDblClick(); // the preview plays the focused title
    Wait(3500);
    ok = Shoot(window, outDir + "/previewing.png") && ok;
    window.PreviewPanel()->Stop();

    QTimer::singleShot(2500, &window, [&] {
        ok = Shoot(window, outDir + "/converting.png") && ok;
        window.tbtnStopClick();
    });
    window.tbtnStartClick();
    window.close();
    return ok ? 0 : 1;
}
