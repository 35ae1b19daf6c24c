// A disc image opens in the window by every route a folder does: the command line, Open Image, a drop
// and the Open-DVD dialog (a mounted medium that holds an image); the caption and the outputs name it.
#include "app/ui/MainWindow.h"
#include "app/ui/TaskTree.h"
#include "dvd/ui/OpenDVDForm.h"
#include "tasks/TaskListModel.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

void Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

} // namespace

class DiscRoutesTest : public QObject {
    Q_OBJECT

private slots:
    void AnImageOpensByEveryRoute() {
        QTemporaryDir dir;
        const QString media = dir.filePath("media");
        QDir().mkpath(media);
        const QString image = media + "/Holiday Film.Iso";
        QProcess make;
        make.start("genisoimage", {"-quiet", "-dvd-video", "-o", image, SampleDiscDir("pal")});
        QVERIFY(make.waitForFinished(60000) && make.exitCode() == 0);
        const QString mounts = dir.filePath("mounts");
        QFile m(mounts);
        QVERIFY(m.open(QIODevice::WriteOnly));
        m.write(("/dev/sr0 " + media.toLocal8Bit().replace(" ", "\\040") + " iso9660 ro 0 0\n"));
        m.close();
        TDriveSources sources;
        sources.CdromInfoPath = QStringLiteral(VELLORIC_SOURCE_DIR) + "/tests/data/drives/cdrom-info-two";
        sources.MountsPath = mounts;
        sources.ByLabelDir = dir.filePath("none");
        sources.ReadLabel = [](const QString& device) {
            return device == "/dev/sr0" ? std::optional<QString>("USB_STICK") : std::nullopt;
        };

        TProgramFolder folder;
        TScriptedDialogs dialogs;
        TMainForm window(nullptr, nullptr, folder.Path, sources);
        window.show();
        const QString caption = window.windowTitle();
        TTaskListModel& tasks = window.Tasks();
        const auto opened = [&](const char* route) {
            if (window.Context().DVDInformation.DiscPath != image || tasks.TitleCount() != 3) {
                qWarning("%s: %s, %d titles", route, qPrintable(window.Context().DVDInformation.DiscPath),
                         tasks.TitleCount());
                return false;
            }
            return window.windowTitle() == caption + " - " + image;
        };
        const auto reset = [&] { window.OpenDiscFolder(SampleDiscDir("ntsc")); };

        window.OpenCommandLine({image});
        QVERIFY(opened("command line"));
        QCOMPARE(window.Context().DVDInformation.OutputPrefix, QStringLiteral("Holiday Film"));
        QCOMPARE(tasks.CellText(*tasks.Title(0), TTaskListModel::ColOutput),
                 QStringLiteral("Holiday Film-Title01.mp4"));

        reset();
        dialogs.Paths = {image};
        window.findChild<QAction*>("tbtnOpenImage")->trigger();
        QVERIFY(opened("Open Image"));
        QCOMPARE(dialogs.Asked.last().Kind, QStringLiteral("open"));
        QVERIFY(dialogs.Asked.last().Text.contains("*.[iI][sS][oO]"));
        // A file that is no image is refused by name; the list stays.
        dialogs.Paths = {SampleDiscDir("pal") + "/VIDEO_TS/VTS_01_0.IFO"};
        window.findChild<TTaskTree*>()->pmiOpenImage->trigger();
        QVERIFY(dialogs.Asked.last().Text.endsWith("VTS_01_0.IFO: not a DVD image (neither an .iso file nor a UDF volume)"));
        QVERIFY(opened("after a refused file"));

        reset();
        Drop(&window, {QUrl::fromLocalFile(image)});
        QTRY_VERIFY(opened("drop"));

        reset();
        window.findChild<QAction*>("tbtnOpenDVD")->trigger();
        TOpenDVDForm* form = window.OpenDVDForm();
        QCOMPARE(form->cmbDrive->itemText(0), media + "/ [USB_STICK]");
        form->cmbDrive->setCurrentIndex(0);
        form->btnOpen->click();
        QVERIFY(!form->isVisible());
        QVERIFY(opened("Open-DVD dialog"));
    }
};

QTEST_MAIN(DiscRoutesTest)
#include "DiscRoutesTest.moc"
