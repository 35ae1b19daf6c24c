// Shows the preview playing the first title of the sample disc and the time editor, and saves a picture of
// each: preview-panel.png and edit-time.png in the folder given. Run it on an X display (Xvfb will do);
// scripts/screenshots-preview.sh does.
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "preview/VlcPlayback.h"
#include "preview/ui/EditTimeForm.h"
#include "preview/ui/PreviewPanel.h"
#include "profiles/IniFile.h"
#include "support/TestPaths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>
#include <cstdio>

namespace {

void Wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

struct THost : TPreviewHost {
    const TTaskNode* Row = nullptr;
    QString Disc;
    const TTaskNode* PreviewRow() const override { return Row; }
    QString DiscPath() const override { return Disc; }
    int SubtitleEntry() const override { return 1; } // the English subtitle, shown from 2 s to 20 s
    void ShowHintPanel(const QString&) override {}
    void HideHintPanel() override {}
};

// The window as the X server shows it, libVLC's video window included.
bool Save(QWidget& window, const QString& path) {
    const QPixmap picture = window.screen()->grabWindow(window.winId());
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    TAppContext context;
    TTaskListModel tasks(context);
    auto library = CreateDvdReadAccess();
    if (!LoadDisc(SampleDiscDir("pal") + "/", context, tasks, *library).LibraryOpened || tasks.IsEmpty()) {
        std::fprintf(stderr, "the sample disc %s could not be opened\n", qPrintable(SampleDiscDir("pal")));
        return 1;
    }
    TTaskNode* chapter = tasks.Title(0)->Children.at(1).get();

    QTemporaryDir preferences; // with the first-use notice already seen, so no message box waits
    TIniFile(preferences.filePath("Preferences.ini")).WriteBool("Main", "FirstUse", false);
    TVlcPlayback playback({"--aout=dummy"});
    THost host;
    host.Row = tasks.Title(0); // from its start: a subtitle shows only when its start was played
    host.Disc = context.DVDInformation.DiscPath;
    QWidget window;
    window.setWindowTitle("Preview");
    auto* layout = new QVBoxLayout(&window);
    auto* panel = new TPreviewPanel(playback, host, preferences.filePath("Preferences.ini"), &window);
    layout->addWidget(panel);
    window.resize(360, 330);
    window.show();
    Wait(300);
    panel->bbtnPlayClick();
    Wait(3500);
    bool ok = Save(window, out + "/preview-panel.png");
    panel->Stop();

    TEditTimeForm form(tasks);
    tasks.SetTrimmedRange(chapter, 7, 10);
    form.tbtnTrimClick(chapter);
    Wait(300);
    ok = Save(form, out + "/edit-time.png") && ok;
    form.reject();
    return ok ? 0 : 1;
}
