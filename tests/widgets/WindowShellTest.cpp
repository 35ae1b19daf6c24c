// The window as a user meets it: start-up, opening discs, the task tree and its menu, the prefix and
// Open-DVD dialogs, drag and drop, help and About, and the enabled states through real conversions.
#include "app/DesktopSignals.h"
#include "app/LogindSleepLock.h"
#include "tasks/TaskListModel.h"
#include "app/ui/AboutForm.h"
#include "app/ui/EditDVDVolumeForm.h"
#include "app/ui/HintPanel.h"
#include "app/ui/MainWindow.h"
#include "app/ui/StartScreen.h"
#include "app/ui/TaskHeader.h"
#include "app/ui/TaskTree.h"
#include "dvd/ui/OpenDVDForm.h"
#include "preview/ui/EditTimeForm.h"
#include "profiles/IniFile.h"
#include "support/FakePlayback.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDBusUnixFileDescriptor>
#include <QDesktopServices>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolTip>
#include <QtTest>
#include <functional>
#include <poll.h>
#include <unistd.h>

namespace {

class TFakeSleepLock : public TSleepLock {
public:
    bool* Released;
    explicit TFakeSleepLock(bool* released) : Released(released) {}
    ~TFakeSleepLock() override { *Released = true; }
    bool Held() const override { return true; }
};

// Catches what the window hands to the desktop (help, home page, output folder) instead of opening it.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
    TUrlCatcher() {
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~TUrlCatcher() override {
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
public slots:
    void Open(const QUrl& url) { Opened << url; }
};

// The login manager's Inhibit on a private bus: records the call and hands out the write end of a pipe,
// whose read end sees the end of file once every copy of the lock is closed.
class TFakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QStringList Call;
    int ReadEnd = -1;
    ~TFakeLogind() override {
        if (ReadEnd >= 0)
            ::close(ReadEnd);
    }
public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode) {
        Call = {what, who, why, mode};
        int ends[2];
        if (::pipe(ends) != 0)
            return {};
        ReadEnd = ends[0];
        QDBusUnixFileDescriptor lock(ends[1]); // a copy of its own
        ::close(ends[1]);
        return lock;
    }
};

// Records what the window tells the desktop.
class TFakeDesktop : public TDesktopSignals {
public:
    QStringList Notes;                // "summary|body|failed"
    QList<QPair<int, bool>> Progress; // percent, shown
    void Notify(const QString& summary, const QString& body, bool failed) override {
        Notes << QStringLiteral("%1|%2|%3").arg(summary, body).arg(failed);
    }
    void SetTaskBarProgress(double fraction, bool shown) override {
        Progress << qMakePair(qRound(fraction * 100), shown);
    }
};

// True once nothing holds the pipe's write end any more.
bool WriteEndClosed(int readEnd) {
    pollfd p{readEnd, POLLIN, 0};
    char byte;
    return ::poll(&p, 1, 0) == 1 && ::read(readEnd, &byte, 1) == 0;
}

QAction* Action(const TMainForm& window, const char* name) {
    return window.findChild<QAction*>(name);
}

// Enabled states of the toolbar, the tree and the right-hand panel, as "name=0/1" texts.
QStringList States(const TMainForm& window) {
    QStringList states;
    for (const char* name : {"tbtnOpenDVD", "tbtnOpenDir", "tbtnOpenImage", "tbtnStart", "tbtnStop", "tbtnTrim", "tbtnSetting",
                             "tbtnAbout", "tbtnHelp", "tbtnWebsite"})
        states << QStringLiteral("%1=%2").arg(name).arg(Action(window, name)->isEnabled());
    states << QStringLiteral("ltvTask=%1").arg(window.TaskView()->isEnabled());
    states << QStringLiteral("panProfile=%1").arg(window.findChild<QWidget*>("panProfile")->isEnabled());
    return states;
}

QStringList Expected(const QString& enabled) {
    QStringList states;
    const QStringList on = enabled.split(' ');
    for (const char* name : {"tbtnOpenDVD", "tbtnOpenDir", "tbtnOpenImage", "tbtnStart", "tbtnStop", "tbtnTrim", "tbtnSetting",
                             "tbtnAbout", "tbtnHelp", "tbtnWebsite", "ltvTask", "panProfile"})
        states << QStringLiteral("%1=%2").arg(name).arg(on.contains(name));
    return states;
}

const QString kIdle = "tbtnOpenDVD tbtnOpenDir tbtnOpenImage tbtnSetting tbtnAbout tbtnHelp tbtnWebsite ltvTask panProfile";
const QString kLoaded = kIdle + " tbtnStart tbtnTrim";
const QString kConverting = "tbtnStop tbtnAbout tbtnHelp tbtnWebsite";

QString OutputText(TMainForm& window, const TTaskNode* node) {
    return window.Tasks().CellText(*node, TTaskListModel::ColOutput);
}

void Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

void WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class WindowShellTest : public QObject {
    Q_OBJECT
private slots:
    void StartUpReadsThePreferencesAndShowsTheStartScreen() {
        TProgramFolder folder;
        TIniFile prefs(folder.Path + "Preferences.ini");
        prefs.WriteString("Main", "Version", "3.1");
        prefs.WriteInteger("Main", "Profile", 2);
        prefs.WriteString("Main", "Output Path", "/no/such/folder/");
        bool released = false;
        {
            TMainForm window(nullptr, nullptr, folder.Path);
            window.HoldSleepLock(std::make_unique<TFakeSleepLock>(&released));
            window.show();
            QCOMPARE(window.windowTitle(), QStringLiteral("Velloric DVD Converter V3.1"));
            auto* profile = window.findChild<QComboBox*>("cmbProfile");
            QStringList names;
            for (int i = 0; i < profile->count(); ++i)
                names << profile->itemText(i);
            // File names in alphabetical order, capitals or not.
            QCOMPARE(names, QStringList({"Any Player - MPEG-4 (MP4)", "Audio Only - MP3", "AVI - MPEG-4 Xvid",
                                         "H.264 AAC (MKV)", "H.264 AAC (MP4)", "Keep Original (MKV)",
                                         "WebM - VP8 Vorbis"}));
            QCOMPARE(profile->currentIndex(), 2);
            QCOMPARE(window.Context().OutputExt, QStringLiteral(".avi"));
            QCOMPARE(window.findChild<QLineEdit*>("edtOutputDir")->text(),
                     QStringLiteral("/no/such/folder/"));

            QCOMPARE(States(window), Expected(kIdle));
            QCOMPARE(window.findChild<QStackedWidget*>("panTaskArea")->currentWidget()->objectName(),
                     QStringLiteral("panbg"));
            QVERIFY(!window.HintPanel()->isVisible());
            QCOMPARE(window.findChild<QStackedWidget*>("panBottom")->currentWidget()->objectName(),
                     QStringLiteral("panBottomCenter"));
            // The buttons in order, with separators between the groups.
            QStringList toolbar;
            for (QAction* action : window.findChild<QToolBar*>("ToolBar1")->actions())
                toolbar << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
            QCOMPARE(toolbar,
                     QStringList({"tbtnOpenDVD", "tbtnOpenDir", "tbtnOpenImage", "|", "tbtnStart", "tbtnStop", "|", "tbtnTrim",
                                  "tbtnSetting", "|", "tbtnAbout", "tbtnHelp", "tbtnWebsite"}));
            QCOMPARE(Action(window, "tbtnTrim")->toolTip(),
                     QStringLiteral("Specify the Start and End Time for ripping"));
            const QIcon icon = Action(window, "tbtnStart")->icon();
            QVERIFY(!icon.pixmap(48, 48, QIcon::Normal).isNull());
            QVERIFY(icon.pixmap(48, 48, QIcon::Normal).toImage() !=
                    icon.pixmap(48, 48, QIcon::Disabled).toImage());
            QVERIFY(!released);
        }
        QVERIFY(released); // the lock goes with the window

        // A saved index beyond the list selects no profile; closing writes -1 back.
        prefs.WriteInteger("Main", "Profile", 7);
        {
            TMainForm window(nullptr, nullptr, folder.Path);
            window.show();
            QCOMPARE(window.findChild<QComboBox*>("cmbProfile")->currentIndex(), -1);
            window.close();
        }
        QCOMPARE(TIniFile(folder.Path + "Preferences.ini").ReadInteger("Main", "Profile", 9), -1);
    }

    void CommandLineAndLoadingTheSampleDisc() {
        TProgramFolder folder;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        window.OpenCommandLine({SampleDiscDir("ntsc") + "/VIDEO_TS"}); // a folder without its "/"
        QCOMPARE(window.Context().DVDInformation.DiscPath, SampleDiscDir("ntsc") + "/VIDEO_TS/");
        QCOMPARE(window.findChild<QStackedWidget*>("panTaskArea")->currentWidget(), window.TaskView());
        TTaskListModel& tasks = window.Tasks();
        QCOMPARE(tasks.TitleCount(), 3);
        QCOMPARE(tasks.CheckedRows(), std::vector<TTaskNode*>{tasks.Title(0)}); // the longest title
        QCOMPARE(States(window), Expected(kLoaded));
        QTRY_VERIFY(!window.HintPanel()->isVisible()); // shrunk away after the load

        // An entry that names nothing leaves the list as it is.
        window.OpenCommandLine({"/no/such/disc"});
        QCOMPARE(tasks.TitleCount(), 3);
    }

    void HintPanelSlidesWithoutHoldingTheWindow() {
        TProgramFolder folder;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        THintPanel* hint = window.HintPanel();
        window.ShowHintPanel("Opening the DVD.   Please wait....");
        QVERIFY(hint->isVisible());
        QVERIFY(hint->height() < THintPanel::FullHeight); // returned before the panel was grown
        QVERIFY(!hint->chkTurnoff->isVisible());
        QTRY_COMPARE(hint->height(), THintPanel::FullHeight);
        QCOMPARE(hint->labHint->text(), QStringLiteral("Opening the DVD.   Please wait...."));
        const QWidget* area = hint->parentWidget();
        QCOMPARE(hint->geometry().bottom(), area->height() - 1);
        QCOMPARE(hint->x(), (area->width() - hint->width()) / 2);
        window.HideHintPanel();
        QVERIFY(hint->isVisible());
        QTRY_VERIFY(!hint->isVisible());
    }

    void TreeColumnsCheckBoxesAndPopupMenu() {
        TProgramFolder folder;
        TScriptedDialogs dialogs;
        auto player = std::make_unique<TFakePlayback>();
        TFakePlayback& playback = *player;
        TMainForm window(nullptr, nullptr, folder.Path, {}, std::move(player));
        window.show();
        TTaskTree* tree = window.TaskTree();
        QCOMPARE(tree->header()->count(), 5);
        const int widths[] = {175, 80, 80, 200, 10};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(tree->header()->sectionSize(c), widths[c]);

        // An empty list: the check entries and the prefix entry are disabled, the rest enabled.
        tree->UpdateMenuStates();
        for (QAction* a : {tree->pmiCheckAll, tree->pmiUncheck, tree->pmiDVDVolume})
            QVERIFY(!a->isEnabled());
        for (QAction* a : {tree->pmiOpenDVD, tree->pmiOpenDir, tree->pmiOpenImage, tree->pmiTrimTime})
            QVERIFY(a->isEnabled());
        QCOMPARE(tree->pmiTrimTime->text(), QStringLiteral("Edit Start && End Time"));

        window.OpenDiscFolder(SampleDiscDir("pal") + "/");
        TTaskListModel& tasks = window.Tasks();
        tree->UpdateMenuStates();
        for (QAction* a : {tree->pmiCheckAll, tree->pmiUncheck, tree->pmiDVDVolume})
            QVERIFY(a->isEnabled());
        QCOMPARE(tree->visualRect(tasks.IndexOf(tasks.Title(0))).height(), TTaskTree::RowHeight);

        const auto checked = [&] {
            QStringList names;
            for (TTaskNode* node : tasks.CheckedRows())
                names << (node->Parent ? node->Parent->ShortName + "/" : QString()) + node->ShortName;
            return names;
        };
        tree->pmiCheckChapter->trigger(); // also chapters of collapsed titles
        QCOMPARE(checked().size(), 1 + 4 + 2 + 3);
        tree->pmiUncheck->trigger();
        QVERIFY(checked().isEmpty());
        tree->pmiCheckTitle->trigger();
        QCOMPARE(checked(), QStringList({"Title01", "Title02", "Title03"}));
        tree->pmiCheckTitleChapter->trigger();
        QCOMPARE(checked().size(), 3 + 4 + 2 + 3);
        tree->pmiUncheck->trigger();

        // Space flips the focused row's box from any column, and focuses the lists on it.
        tree->setFocus();
        tree->setCurrentIndex(tasks.IndexOf(tasks.Title(1)->Children[1].get(), TTaskListModel::ColOutput));
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(checked(), QStringList({"Title02/Chapter02"}));
        QTest::keyClick(tree, Qt::Key_Space);
        QVERIFY(checked().isEmpty());
        // A click on a box checks that row and makes it the focused one.
        const QModelIndex title3 = tasks.IndexOf(tasks.Title(2));
        const QRect row = tree->visualRect(title3);
        QStyleOptionViewItem option;
        option.initFrom(tree);
        option.rect = row;
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, box.center());
        QCOMPARE(checked(), QStringList({"Title03"}));
        QCOMPARE(tasks.FocusedRow(), tasks.Title(2));
        QCOMPARE(window.findChild<QComboBox*>("cmbAudio")->currentText(), QStringLiteral("French AC3 2ch"));

        // A double click on a row plays it in the preview below the grids, after the first-use notice.
        QVERIFY(window.PreviewPanel()->isVisible());
        QCOMPARE(window.PreviewPanel()->parentWidget(), window.findChild<QWidget*>("panProfile"));
        dialogs.Asked.clear();
        playback.Take();
        QSignalSpy play(&window, &TMainForm::PlayRequested);
        const QPoint row1 =
            tree->visualRect(tasks.IndexOf(tasks.Title(0), TTaskListModel::ColOutput)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row1, 500);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, row1);
        QCOMPARE(play.count(), 1);
        QCOMPARE(dialogs.Asked.size(), 1);
        QVERIFY(dialogs.Asked[0].Text.startsWith("This product is not designed for playing DVD movies"));
        const QStringList calls = playback.Take();
        QVERIFY2(calls.contains("Render " + window.DiscPath() + "VIDEO_TS.IFO"), qPrintable(calls.join('|')));
        QVERIFY2(calls.contains("PlayTitle 1"), qPrintable(calls.join('|')));
        QVERIFY(calls.contains("Subpictures off")); // the subtitle list shows "None"
        QCOMPARE(playback.State(), TDvdPlayback::Playing);

        // Trim and the popup entry open the time editor on the focused row.
        QSignalSpy trim(&window, &TMainForm::TrimRequested);
        tree->pmiTrimTime->trigger();
        QVERIFY(window.EditTimeForm()->isVisible());
        QCOMPARE(window.EditTimeForm()->Row(), tasks.Title(0));
        window.EditTimeForm()->reject();
        tree->setCurrentIndex(tasks.IndexOf(tasks.Title(1)->Children[1].get()));
        Action(window, "tbtnTrim")->trigger();
        QCOMPARE(trim.count(), 2);
        QCOMPARE(window.EditTimeForm()->Row(), tasks.Title(1)->Children[1].get());
        window.EditTimeForm()->reject();

        // Opening a disc stops the preview first.
        window.OpenDiscFolder(SampleDiscDir("pal") + "/");
        QCOMPARE(playback.State(), TDvdPlayback::Stopped);
    }

    void HeaderBackgroundIsTheTileShiftedOnePixel() {
        QImage tile(16, 17, QImage::Format_ARGB32);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 16; ++x)
                tile.setPixel(x, y, qRgb(x * 10, y * 10, 100));
        const QImage cell = TTaskHeader::TiledBackground(QPixmap::fromImage(tile), {40, 22});
        QCOMPARE(cell.size(), QSize(40, 22));
        QCOMPARE(cell.pixel(1, 0), tile.pixel(0, 0));
        QCOMPARE(cell.pixel(17, 3), tile.pixel(0, 3));
        QCOMPARE(cell.pixel(16, 5), tile.pixel(15, 5));
        QCOMPARE(cell.pixel(5, 17), tile.pixel(4, 0)); // the second row of tiles starts at the top again
        QCOMPARE(cell.pixel(0, 2), tile.pixel(15, 2));
    }

    void TitleColumnTakesTheWidthGainedAndCutTextsShowWhole() {
        TProgramFolder folder;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.OpenDiscFolder(SampleDiscDir("pal"));
        TTaskTree* tree = window.TaskTree();
        QHeaderView* header = tree->header();
        TTaskListModel& tasks = window.Tasks();
        QTRY_VERIFY(tree->isVisible());
        const int base = tree->width(), height = window.height();

        // The Title column takes what the window gains and gives it back, down to its first 175 pixels;
        // the other columns keep theirs.
        for (const int gain : {300, 120, -100, 0, 40}) {
            window.resize(798 + gain, height);
            QTRY_COMPARE(window.width(), 798 + gain);
            QCoreApplication::processEvents();
            QCOMPARE(header->sectionSize(TTaskListModel::ColTitle),
                     std::max(175, 175 + tree->width() - base));
            for (const auto& [column, width] : {std::pair{1, 80}, {2, 80}, {3, 200}, {4, 10}})
                QCOMPARE(header->sectionSize(column), width);
        }
        // A width the user drags the column to is the one that follows the window from then on.
        header->resizeSection(TTaskListModel::ColTitle, 250);
        const int dragged = tree->width();
        window.resize(798 + 140, height);
        QTRY_COMPARE(window.width(), 798 + 140);
        QCoreApplication::processEvents();
        QCOMPARE(header->sectionSize(TTaskListModel::ColTitle), 250 + tree->width() - dragged);

        // A cut text shows whole in its tooltip; a text that fits has none.
        const auto hover = [&](const TTaskNode* row) {
            const QPoint at = tree->visualRect(tasks.IndexOf(row)).center();
            QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(tree->viewport(), &help);
        };
        const TTaskNode* title = tasks.Title(0);
        tree->expand(tasks.IndexOf(title));
        const QString whole = tasks.CellText(*title, TTaskListModel::ColTitle);
        const struct {
            int Gain;
            const TTaskNode* Row;
            bool Shown;
        } hovers[] = {{0, title, true}, {0, title->Children[0].get(), false}, {300, title, false}};
        for (const auto& h : hovers) {
            window.resize(798 + h.Gain, height);
            QTRY_COMPARE(window.width(), 798 + h.Gain);
            QCoreApplication::processEvents();
            hover(h.Row);
            if (h.Shown) {
                QTRY_VERIFY(QToolTip::isVisible());
                QCOMPARE(QToolTip::text(), whole);
            } else {
                QTRY_VERIFY(!QToolTip::isVisible());
            }
        }
    }

    void PrefixDialogOkAndCancel() {
        TProgramFolder folder;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        window.OpenDiscFolder(SampleDiscDir("pal"));
        TTaskNode* chapter = window.Tasks().Title(0)->Children[2].get();
        TEditDVDVolumeForm* form = window.EditDVDVolumeForm();
        QCOMPARE(form->windowTitle(), QStringLiteral("Edit the DVD Volume"));
        struct Step {
            const char* Typed;
            bool Ok;
            const char* Shown; // the Output File text afterwards
        };
        const Step steps[] = {
            {"MOVIE", true, "MOVIE-Title01-Chapter03.mp4"},
            {"OTHER", false, "MOVIE-Title01-Chapter03.mp4"}, // Cancel leaves the prefix
            {"", true, "Title01-Chapter03.mp4"},             // empty: no leading "-"
            {" ", true, " -Title01-Chapter03.mp4"},          // a blank is kept
            {"AC/DC", true, "AC_DC-Title01-Chapter03.mp4"},  // no "/" can reach a file name
        };
        QString previous;
        for (const Step& step : steps) {
            window.TaskTree()->pmiDVDVolume->trigger();
            QVERIFY(form->isVisible());
            QVERIFY(form->isModal());
            QCOMPARE(form->edtDVDVolume->text(), previous); // the prefix in force
            form->edtDVDVolume->setText(step.Typed);
            (step.Ok ? form->btnOK : form->btnCancel)->click();
            QVERIFY(!form->isVisible());
            QCOMPARE(OutputText(window, chapter), QString(step.Shown));
            if (step.Ok)
                previous = step.Typed;
        }
        QCOMPARE(window.Context().DVDInformation.OutputPrefix, QStringLiteral("AC/DC")); // kept as typed
    }

    void OpenDvdDialogOnFixtureFiles() {
        TProgramFolder folder;
        QTemporaryDir dir;
        // sr0 holds the sample disc, mounted; sr1 is empty.
        const QString mounts = dir.filePath("mounts");
        WriteFile(mounts,
                  ("/dev/sr0 " + SampleDiscDir("pal").replace(" ", "\\040") + " udf ro 0 0\n").toLocal8Bit());
        TDriveSources sources;
        sources.CdromInfoPath = QStringLiteral(VELLORIC_SOURCE_DIR) + "/tests/data/drives/cdrom-info-two";
        sources.MountsPath = mounts;
        sources.ByLabelDir = dir.filePath("none");
        QString label = "MY_DISC";
        sources.ReadLabel = [&label](const QString& device) {
            return device == "/dev/sr0" ? std::optional<QString>(label) : std::nullopt;
        };
        TScriptedDialogs dialogs;
        TMainForm window(nullptr, nullptr, folder.Path, sources);
        window.show();
        TOpenDVDForm* form = window.OpenDVDForm();
        Action(window, "tbtnOpenDVD")->trigger();
        QVERIFY(form->isVisible());
        QCOMPARE(form->windowTitle(), QStringLiteral("Open a DVD"));
        QCOMPARE(form->cmbDrive->count(), 2);
        QCOMPARE(form->cmbDrive->itemText(0), SampleDiscDir("pal") + "/ [MY_DISC]");
        QCOMPARE(form->cmbDrive->itemText(1), QStringLiteral("/dev/sr1 [No Disc]"));
        QCOMPARE(form->cmbDrive->currentIndex(), 0);

        // The empty drive: the dialog says so and stays open.
        form->cmbDrive->setCurrentIndex(1);
        form->btnOpen->click();
        QCOMPARE(dialogs.Asked.size(), 1);
        QCOMPARE(dialogs.Asked[0].Caption, QStringLiteral("No DVD Detected."));
        QCOMPARE(dialogs.Asked[0].Text,
                 QStringLiteral("/dev/sr1/VIDEO_TS/ is not found. Please insert a DVD disc."));
        QVERIFY(form->isVisible());

        // Refresh sees a changed label; Open closes the dialog, sets the prefix and loads the disc.
        label = "HOLIDAY [2019]";
        form->btnRefresh->click();
        QCOMPARE(form->cmbDrive->itemText(0), SampleDiscDir("pal") + "/ [HOLIDAY [2019]]");
        form->btnOpen->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(window.Context().DVDInformation.OutputPrefix, QStringLiteral("HOLIDAY [2019]"));
        QCOMPARE(window.Context().DVDInformation.DiscPath, SampleDiscDir("pal") + "/VIDEO_TS/");
        QCOMPARE(OutputText(window, window.Tasks().Title(0)), QStringLiteral("HOLIDAY [2019]-Title01.mp4"));

        // Opening a folder afterwards keeps the prefix.
        window.OpenDiscFolder(SampleDiscDir("ntsc"));
        QCOMPARE(window.Context().DVDInformation.OutputPrefix, QStringLiteral("HOLIDAY [2019]"));

        // No drive at all: the message names the folder a disc would have.
        sources.CdromInfoPath = dir.filePath("absent");
        TOpenDVDForm bare(nullptr, sources);
        bare.show();
        QCOMPARE(bare.cmbDrive->count(), 0);
        bare.btnOpen->click();
        QCOMPARE(dialogs.Asked.last().Text,
                 QStringLiteral("VIDEO_TS/ is not found. Please insert a DVD disc."));
    }

    void DragAndDropOpensTheFirstItemUnlessConverting() {
        TProgramFolder folder;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        Drop(&window, {QUrl::fromLocalFile(SampleDiscDir("ntsc")), QUrl::fromLocalFile(SampleDiscDir("pal")),
                       QUrl::fromLocalFile("/tmp")});
        QTRY_COMPARE(window.Context().DVDInformation.Standard, QStringLiteral("NTSC"));
        QTest::qWait(50);
        QCOMPARE(window.Context().DVDInformation.DiscPath, SampleDiscDir("ntsc") + "/VIDEO_TS/");
        // A dropped file opens its folder; something that is not there is ignored.
        Drop(&window, {QUrl::fromLocalFile(SampleDiscDir("pal") + "/VIDEO_TS/VTS_01_0.IFO")});
        QTRY_COMPARE(window.Context().DVDInformation.Standard, QStringLiteral("PAL"));
        Drop(&window, {QUrl::fromLocalFile("/no/such/folder"), QUrl::fromLocalFile(SampleDiscDir("ntsc"))});
        QTest::qWait(50);
        QCOMPARE(window.Context().DVDInformation.Standard, QStringLiteral("PAL"));

        // While a conversion runs, a drop does nothing.
        QTemporaryDir out;
        qputenv("FAKE_STAGE1", "slow");
        qputenv("FAKE_STAGE1_STEPS", "60");
        TScriptedDialogs dialogs;
        window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path());
        bool dropped = false;
        QTimer::singleShot(300, &window, [&] {
            QVERIFY(window.Driver().Running());
            Drop(&window, {QUrl::fromLocalFile(SampleDiscDir("ntsc"))});
            QTimer::singleShot(100, &window, [&] { dropped = true; });
        });
        window.tbtnStartClick();
        qunsetenv("FAKE_STAGE1");
        qunsetenv("FAKE_STAGE1_STEPS");
        QVERIFY(dropped);
        QTest::qWait(50);
        QCOMPARE(window.Context().DVDInformation.Standard, QStringLiteral("PAL"));
        QCOMPARE(dialogs.Asked.last().Text.section("\n\n", 0, 0), QStringLiteral("The conversion is completed successfully."));
    }

    void SplitterMovesTheButtonsWithTheSettingsPanel() {
        TProgramFolder folder;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.resize(900, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* splitter = window.findChild<QSplitter*>("panSplitterHost");
        QWidget* profile = window.findChild<QWidget*>("panProfile");
        QCOMPARE(splitter->handle(1)->objectName(), QStringLiteral("panSplitter"));
        QCOMPARE(profile->width(), 200);
        const auto x = [&](const char* name) {
            QWidget* w = window.findChild<QWidget*>(name);
            return w->mapTo(&window, QPoint(0, 0)).x();
        };
        const int setting = x("bbtnSetting"), browse = x("bbtnBrowser"), open = x("bbtnOpen");
        QCOMPARE(setting, open); // the right-hand buttons line up
        // The bar dragged 20 pixels to the left.
        QWidget* bar = splitter->handle(1);
        const QPoint grip(bar->width() / 2, bar->height() / 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, grip);
        QMouseEvent move(QEvent::MouseMove, QPointF(grip - QPoint(20, 0)),
                         bar->mapToGlobal(QPointF(grip - QPoint(20, 0))), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, grip - QPoint(20, 0));
        QCOMPARE(profile->width(), 220);
        QCOMPARE(x("bbtnSetting"), setting - 20);
        QCOMPARE(x("bbtnBrowser"), browse - 20);
        QCOMPARE(x("bbtnOpen"), open - 20);
        // A wider window goes to the task list; the right-hand panel keeps its width.
        window.resize(1000, 600);
        QTRY_COMPARE(window.findChild<QWidget*>("panMain")->width(), 1000 - 10 - 10 - 220);
        QCOMPARE(profile->width(), 220);
    }

    void HelpWebsiteLinkAndAbout() {
        TProgramFolder folder(TProgramFolder::Real);
        TUrlCatcher urls;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        Action(window, "tbtnHelp")->trigger();
        Action(window, "tbtnWebsite")->trigger();
        emit window.StartScreen()->labLink->linkActivated("home");
        QCOMPARE(urls.Opened.size(), 3);
        QCOMPARE(urls.Opened[0], QUrl::fromLocalFile(folder.Path + "help/index.html"));
        QCOMPARE(urls.Opened[1], urls.Opened[0]); // no home page was given to the build: the manual
        QCOMPARE(urls.Opened[2], urls.Opened[0]);
        QVERIFY(QFile::exists(ProgramBinDir() + "/help/index.html")); // the build ships it

        TAboutForm* about = window.AboutForm();
        QSignalSpy found(about, &TAboutForm::EncodersFound);
        Action(window, "tbtnAbout")->trigger();
        QVERIFY(about->isVisible());
        QVERIFY(found.wait(10000));
        QCOMPARE(about->labProduct->text(), QStringLiteral("Velloric DVD Converter"));
        QVERIFY2(about->labLibraries->text().startsWith("libdvdread 6."),
                 qPrintable(about->labLibraries->text()));
        QVERIFY(about->labLibraries->text().contains(QStringLiteral("Qt ") + qVersion()));
        QVERIFY2(about->labStageOne->text().startsWith("MEncoder"), qPrintable(about->labStageOne->text()));
        QVERIFY2(about->labStageTwo->text().startsWith("ffmpeg version"),
                 qPrintable(about->labStageTwo->text()));
    }

    void HelpWebsiteAndOpenSaySoWhenNoProgramOpensThem() {
        TProgramFolder folder;
        QTemporaryDir out;
        TScriptedDialogs dialogs;
        TMainForm window(nullptr, nullptr, folder.Path);
        window.show();
        window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path());
        const QString manual = window.Context().Paths.HelpFile();
        const auto press = [&](const char* name) { window.findChild<QPushButton*>(name)->click(); };
        const struct {
            std::function<void()> Press;
            bool Opens;        // a program takes it
            const char* What;  // the message's, when none does
            QString Path;      // what the message names
        } cases[] = {
            {[&] { Action(window, "tbtnHelp")->trigger(); }, false, "the manual", manual},
            {[&] { Action(window, "tbtnWebsite")->trigger(); }, false, "the manual", manual},
            {[&] { emit window.AboutForm()->findChild<QLabel*>("labHomePage")->linkActivated("home"); }, false,
             "the manual", manual},
            {[&] { press("bbtnOpen"); }, false, "the folder", out.path()},
            {[&] { press("bbtnOpen"); }, true, "", out.path()},
        };
        for (const auto& c : cases) {
            dialogs.Asked.clear();
            dialogs.Opened.clear();
            dialogs.Opens = c.Opens;
            c.Press();
            QCOMPARE(dialogs.Opened.size(), 1);
            QCOMPARE(dialogs.Opened[0].toLocalFile(), c.Path);
            if (c.Opens) {
                QVERIFY(dialogs.Asked.isEmpty());
                continue;
            }
            QCOMPARE(dialogs.Asked.size(), 1);
            QCOMPARE(dialogs.Asked[0].Icon, Dialogs::TIcon::Warning);
            QCOMPARE(dialogs.Asked[0].Text,
                     QStringLiteral("No program could be found to open %1:\n\n%2").arg(c.What, c.Path));
        }
        // A folder that is not there is not handed on: the message says so.
        dialogs.Asked.clear();
        dialogs.Opened.clear();
        window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path() + "/gone");
        press("bbtnOpen");
        QVERIFY(dialogs.Opened.isEmpty());
        QCOMPARE(dialogs.Asked.size(), 1);
        QCOMPARE(dialogs.Asked[0].Text, "This folder does not exist:\n\n" + out.path() + "/gone");
    }

    void PlaceSizePanelAndLastFolderAreKeptAndDamagedOnesIgnored() {
        TProgramFolder folder;
        TScriptedDialogs dialogs;
        const QString ini = folder.Path + "Preferences.ini";
        const auto panel = [](const TMainForm& window) { return window.findChild<QWidget*>("panProfile")->width(); };
        QSize firstSize;
        QPoint firstPlace;
        {
            TMainForm window(nullptr, nullptr, folder.Path);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            firstSize = window.size();
            firstPlace = window.pos();
            window.resize(880, 560);
            window.move(30, 40);
            auto* splitter = window.findChild<QSplitter*>("panSplitterHost");
            QTRY_COMPARE(splitter->width(), 880 - 10); // the strip left of it
            splitter->setSizes({880 - 20 - 260, 260});
            QTRY_COMPARE(panel(window), 260);
            dialogs.Paths = {SampleDiscDir("pal")};
            window.tbtnOpenDirClick();
            QCOMPARE(dialogs.Asked.last().Start, QString()); // nothing chosen before
            window.close();
        }
        QFile kept(ini);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        const QByteArray good = kept.readAll();
        kept.close();

        // Each damaged value alone: its part starts as on a first start, the others as they were left.
        const struct {
            const char* Key;
            const char* Value;
            bool FrameKept, PanelKept, FolderKept;
        } cases[] = {
            {"", "", true, true, true},
            {"Width", "7OO", false, true, true},
            {"Width", "0", false, true, true},
            {"Height", "", false, true, true},
            {"Top", "-100000000", false, true, true},
            {"Left", "5000", false, true, true}, // off every screen
            {"Settings Panel Width", "5", true, false, true},
            {"Settings Panel Width", "700", true, false, true}, // too little room left for the task list
            {"Last Folder", "/no/such/folder", true, true, false},
        };
        for (const auto& c : cases) {
            QFile reset(ini);
            QVERIFY(reset.open(QIODevice::WriteOnly | QIODevice::Truncate));
            reset.write(good);
            reset.close();
            if (*c.Key)
                TIniFile(ini).WriteString("Window", c.Key, c.Value);
            TMainForm window(nullptr, nullptr, folder.Path);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(window.size(), c.FrameKept ? QSize(880, 560) : firstSize);
            QCOMPARE(window.pos(), c.FrameKept ? QPoint(30, 40) : firstPlace);
            QTRY_COMPARE(panel(window), c.PanelKept ? 260 : 200);
            dialogs.Paths = {};
            window.tbtnOpenDirClick();
            QCOMPARE(dialogs.Asked.last().Start, c.FolderKept ? SampleDiscDir("pal") : QString());
        }
    }

    void SleepLockWithoutALoginManagerRunsOn() {
        // A bus that is not there: no lock, no error, no wait.
        TLogindSleepLock lock("Velloric DVD Converter", "test",
                              QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "velloric-none"));
        QSignalSpy answered(&lock, &TLogindSleepLock::Answered);
        QVERIFY(answered.wait(1000));
        QCOMPARE(answered.first().first().toBool(), false);
        QVERIFY(!lock.Held());
    }

    void SleepLockAsksTheLoginManagerAndHoldsItsLock() {
        // A private bus with a stand-in login manager; nothing here reaches the real one.
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (!daemon.waitForStarted(5000)) { // CI installs it (scripts/install-deps.sh): there it must run
            QVERIFY2(qEnvironmentVariable("CI") != "true", "no dbus-daemon under CI");
            QSKIP("no dbus-daemon");
        }
        QVERIFY(daemon.waitForReadyRead(5000));
        const QString address = QString::fromLocal8Bit(daemon.readLine()).trimmed();
        TFakeLogind logind;
        {
            QDBusConnection service = QDBusConnection::connectToBus(address, "fake-logind");
            QVERIFY(service.registerService("org.freedesktop.login1"));
            QVERIFY(
                service.registerObject("/org/freedesktop/login1", &logind, QDBusConnection::ExportAllSlots));
            auto lock =
                std::make_unique<TLogindSleepLock>("Velloric DVD Converter", "A conversion must not stop",
                                                   QDBusConnection::connectToBus(address, "lock-client"));
            QSignalSpy answered(lock.get(), &TLogindSleepLock::Answered);
            QVERIFY(answered.wait(5000));
            QCOMPARE(answered.first().first().toBool(), true);
            QVERIFY(lock->Held());
            QCOMPARE(logind.Call,
                     QStringList({"sleep", "Velloric DVD Converter", "A conversion must not stop", "block"}));
            QTest::qWait(50);
            QVERIFY(!WriteEndClosed(logind.ReadEnd)); // held while the lock lives
            lock.reset();
            QTRY_VERIFY(WriteEndClosed(logind.ReadEnd)); // and released with it
        }
        QDBusConnection::disconnectFromBus("fake-logind");
        QDBusConnection::disconnectFromBus("lock-client");
        daemon.kill();
        daemon.waitForFinished(3000);
    }

    void EnabledStatesThroughRealConversions() {
        TProgramFolder folder(TProgramFolder::Real);
        QTemporaryDir out;
        TScriptedDialogs dialogs;
        TUrlCatcher urls; // the run may open the output folder at the end
        auto player = std::make_unique<TFakePlayback>();
        TFakePlayback& playback = *player;
        auto signals_ = std::make_unique<TFakeDesktop>();
        TFakeDesktop& desktop = *signals_;
        TMainForm window(nullptr, nullptr, folder.Path, {}, std::move(player), std::move(signals_));
        window.show();
        window.OpenDiscFolder(SampleDiscDir("pal"));
        TTaskListModel& tasks = window.Tasks();
        tasks.RunCheckCommand(TCheckCommand::UncheckAll);
        TTaskNode* chapter = tasks.Title(1)->Children[0].get(); // 4 seconds
        tasks.SetChecked(chapter, true);
        tasks.SetFocusedRow(chapter);
        window.ltvTaskDblClick(); // a preview plays when the run starts
        QCOMPARE(playback.State(), TDvdPlayback::Playing);
        dialogs.Asked.clear();
        QWidget elsewhere; // the user looks at another window while the run goes on
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_VERIFY(!window.isActiveWindow());
        window.findChild<QLineEdit*>("edtOutputDir")->setText(out.path() + "/");
        auto* bottom = window.findChild<QStackedWidget*>("panBottom");

        QStringList during;
        QString panelDuring;
        bool hintDuring = false;
        TDvdPlayback::TState previewDuring = TDvdPlayback::Playing;
        QTimer::singleShot(400, &window, [&] {
            previewDuring = playback.State();
            during = States(window);
            panelDuring = bottom->currentWidget()->objectName();
            hintDuring = window.HintPanel()->isVisible();
        });
        window.tbtnStartClick();
        QCOMPARE(previewDuring, TDvdPlayback::Stopped);
        QCOMPARE(during, Expected(kConverting));
        QCOMPARE(panelDuring, QStringLiteral("panBottomLeft"));
        QVERIFY(hintDuring);
        QCOMPARE(dialogs.Asked.last().Text.section("\n\n", 0, 0), QStringLiteral("The conversion is completed successfully."));
        QVERIFY(QFileInfo(out.filePath("Title02-Chapter01.mp4")).size() > 0);
        QCOMPARE(States(window), Expected(kLoaded));
        QCOMPARE(bottom->currentWidget()->objectName(), QStringLiteral("panBottomCenter"));
        QTRY_VERIFY(!window.HintPanel()->isVisible());
        // The desktop was told: one notification naming the output, the progress shown and hidden at the end.
        QCOMPARE(desktop.Notes, QStringList({"Conversion completed|Title02-Chapter01.mp4|0"}));
        QVERIFY(desktop.Progress.size() >= 2);
        QCOMPARE(desktop.Progress.last(), qMakePair(0, false));
        for (qsizetype i = 0; i + 1 < desktop.Progress.size(); ++i) {
            QVERIFY(desktop.Progress[i].second);
            QVERIFY(i == 0 || desktop.Progress[i].first > desktop.Progress[i - 1].first);
        }
        QCOMPARE(desktop.Progress[desktop.Progress.size() - 2].first, 100);

        // While the window is the active one, nothing is told.
        window.activateWindow();
        QTRY_VERIFY(window.isActiveWindow());
        desktop.Notes.clear();

        // Again: the file exists, and "No" skips it without touching it.
        const QDateTime written = QFileInfo(out.filePath("Title02-Chapter01.mp4")).lastModified();
        dialogs.Asked.clear();
        dialogs.Answers = {Dialogs::TAnswer::No};
        window.tbtnStartClick();
        QCOMPARE(dialogs.Asked.first().Caption, QStringLiteral("Output File Exists"));
        QVERIFY(dialogs.Asked.first().Text.startsWith(
            "The output file Title02-Chapter01.mp4 is already existent."));
        QCOMPARE(QFileInfo(out.filePath("Title02-Chapter01.mp4")).lastModified(), written);
        QCOMPARE(States(window), Expected(kLoaded));
        QVERIFY(desktop.Notes.isEmpty());

        // Stop during the whole first title: cancelled, nothing left behind, the window usable again.
        tasks.SetChecked(chapter, false);
        tasks.SetChecked(tasks.Title(0), true);
        dialogs.Asked.clear();
        QTimer::singleShot(1200, &window, [&] { Action(window, "tbtnStop")->trigger(); });
        window.tbtnStartClick();
        QCOMPARE(dialogs.Asked.last().Caption, QStringLiteral("Cancel"));
        QCOMPARE(dialogs.Asked.last().Text, QStringLiteral("The conversion is canceled."));
        QVERIFY(!QFile::exists(out.filePath("Title01.mp4")));
        QVERIFY(!QFile::exists(window.Driver().WorkFilePath()));
        QCOMPARE(States(window), Expected(kLoaded));
    }
};

QTEST_MAIN(WindowShellTest)
#include "WindowShellTest.moc"
