// Takes pictures of reading subtitles into text in the window, on a real X display (run it under Xvfb):
//   velloric_text_shots OUTPUT_DIR PROGRAM_DIR SUBTITLE_DISC
// writes subtitle-choice.png (the subtitle list open on "All as text") and text-notes.png (the closing
// message of a run of the disc's title with the direct engine). PROGRAM_DIR must hold the profiles and
// the encoders; a copy of it is used so the real one keeps its preferences.
#include "app/ui/MainWindow.h"
#include "preview/VlcPlayback.h"
#include "profiles/IniFile.h"
#include "profiles/Preferences.h"
#include "support/NoDesktop.h"
#include "support/ProgramFolder.h"
#include "support/ScreenShots.h"
#include "tasks/TaskListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

namespace {

// The screen where the window lies: a list's popup and a message are windows of their own.
bool Shoot(const QWidget& window, const QString& path) {
    Wait(400);
    const QRect area = window.frameGeometry();
    return SaveShot(QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()),
                    path);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: velloric_text_shots OUTPUT_DIR PROGRAM_DIR SUBTITLE_DISC\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString disc = QString::fromLocal8Bit(argv[3]);
    const TProgramFolder program(TProgramFolder::Real, QString::fromLocal8Bit(argv[2]) + "/");
    QTemporaryDir output;
    TNoDesktop desktop;
    TIniFile preferences(program.Path + "Preferences.ini");
    preferences.WriteBool("Main", "FirstUse", false);
    preferences.WriteString("Main", "Engine", kEngineDirect);

    TMainForm window(nullptr, nullptr, program.Path, {},
                     std::make_unique<TVlcPlayback>(QStringList{"--aout=dummy"}));
    window.show();
    window.OpenDiscFolder(disc);
    window.findChild<QLineEdit*>("edtOutputDir")->setText(output.path());
    window.findChild<QComboBox*>("cmbProfile")->setCurrentText("H.264 AAC (MKV)");
    TTaskNode* title = window.Tasks().Title(0);
    window.Tasks().SetChecked(title, true);
    window.TaskView()->setCurrentIndex(window.Tasks().IndexOf(title));

    auto* subtitles = window.findChild<QComboBox*>("cmbSub");
    const int text = subtitles->findText(kSubtitleTextText);
    if (text < 0) {
        std::fprintf(stderr, "the subtitle list has no \"%s\"\n", qPrintable(kSubtitleTextText));
        return 1;
    }
    subtitles->setCurrentIndex(text);
    emit subtitles->activated(text);
    subtitles->showPopup();
    subtitles->view()->setCurrentIndex(subtitles->model()->index(text, 0));
    bool ok = Shoot(window, outDir + "/subtitle-choice.png");
    subtitles->hidePopup();

    // The run's closing message, the real one: shot, then closed.
    bool shown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* message = QApplication::activeModalWidget();
        if (!message || shown)
            return;
        shown = true;
        ok = Shoot(window, outDir + "/text-notes.png") && ok;
        message->close();
    });
    poll.start(200);
    window.tbtnStartClick();
    while (!shown)
        Wait(200);
    window.close();
    return ok ? 0 : 1;
}
