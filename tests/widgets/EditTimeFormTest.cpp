#include "preview/ui/EditTimeForm.h"
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "tasks/TimeText.h"
#include "convert/ConversionDriver.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "preview/ui/RangeSlider.h"
#include "support/MediaProbe.h"
#include "support/RecordingFrontEnd.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

void SetRange(TTaskNode& n, double start, double end) {
    n.FullStart = n.CurStart = start;
    n.FullEnd = n.CurEnd = end;
    n.FullStartText = n.CurStartText = SecondsToTimeText(start);
    n.FullEndText = n.CurEndText = SecondsToTimeText(end);
}

// Title 1 with chapter 1 from 00:00:00 to 00:10:00, chapter 2 from 00:10:00 to 00:15:00 and
// chapter 3 from 00:20:00 to 00:25:00, and the editor over them.
struct TEditorRig {
    TAppContext Context;
    TTaskListModel Tasks{Context};
    TTaskNode* Title = nullptr;
    TTaskNode* Chapters[3] = {};
    TScriptedDialogs Dialogs;
    TEditTimeForm Form{Tasks};

    TEditorRig() {
        auto title = std::make_unique<TTaskNode>();
        title->Number = 1;
        title->DisplayText = "Title01";
        SetRange(*title, 0, 1500);
        Title = Tasks.AddTitle(std::move(title));
        const double ranges[3][2] = {{0, 600}, {600, 900}, {1200, 1500}};
        for (int j = 0; j < 3; ++j) {
            auto c = std::make_unique<TTaskNode>();
            c->Kind = TTaskNode::KindChapter;
            c->Number = j + 1;
            c->DisplayText = QStringLiteral("Chapter%1").arg(j + 1, 2, 10, QChar('0'));
            SetRange(*c, ranges[j][0], ranges[j][1]);
            Chapters[j] = Tasks.AddChapter(Title, std::move(c));
        }
    }
    QString Slider() const {
        const TmkRangeSlider* s = Form.tkbTime;
        return QString("%1..%2 [%3 %4]")
            .arg(s->Min())
            .arg(s->Max())
            .arg(s->MinPosition())
            .arg(s->MaxPosition());
    }
    QString Boxes() const { return Form.edtStartTime->text() + " " + Form.edtEndTime->text(); }
    void Type(QLineEdit* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }
};

} // namespace

class EditTimeFormTest : public QObject {
    Q_OBJECT
private slots:
    void OpeningChecks() {
        TEditorRig rig;
        QVERIFY(!rig.Form.tbtnTrimClick(nullptr));
        TTaskNode empty;
        QVERIFY(!rig.Form.tbtnTrimClick(&empty)); // 00:00:00 to 00:00:00
        QCOMPARE(rig.Dialogs.Asked.size(), 2);
        QCOMPARE(rig.Dialogs.Asked[0].Caption, "No Title/Chapter selected");
        QCOMPARE(rig.Dialogs.Asked[0].Text, "Please select a Title/Chapter firstly.");
        QCOMPARE(rig.Dialogs.Asked[1].Caption, "Time can not be edited");
        QCOMPARE(rig.Dialogs.Asked[1].Text, "The Start Time is equal to the End Time.");
        QVERIFY(!rig.Form.isVisible());

        QVERIFY(rig.Form.tbtnTrimClick(rig.Chapters[1]));
        QVERIFY(rig.Form.isVisible());
        QCOMPARE(rig.Form.windowTitle(), "Edit the Start & End Time");
        QCOMPARE(rig.Slider(), "600..900 [600 900]");
        QCOMPARE(rig.Form.labStartTime->text(), "00:10:00");
        QCOMPARE(rig.Form.labEndTime->text(), "00:15:00");
        QCOMPARE(rig.Boxes(), "00:10:00 00:15:00");
        QCOMPARE(rig.Form.labLength->text(), "Length:00:05:00");
    }

    void TypedTimes_data() {
        QTest::addColumn<bool>("startBox");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("slider");
        QTest::newRow("start at the end") << true << "00:15:00"
                                          << "Invalid Start Time."
                                          << "600..900 [600 900]";
        QTest::newRow("start a second before") << true << "00:14:59"
                                               << "Length:00:00:01"
                                               << "600..900 [899 900]";
        QTest::newRow("start before Min") << true << "00:09:59"
                                          << "Invalid Start Time."
                                          << "600..900 [600 900]";
        QTest::newRow("short form") << true << "0:11:5"
                                    << "Length:00:03:55"
                                    << "600..900 [665 900]";
        QTest::newRow("half second to even") << true << "00:12:30.5"
                                             << "Length:00:02:30"
                                             << "600..900 [750 900]";
        QTest::newRow("not a time") << true << "abc"
                                    << "Invalid Start Time."
                                    << "600..900 [600 900]";
        QTest::newRow("end at the start") << false << "00:10:00"
                                          << "Invalid End Time"
                                          << "600..900 [600 900]";
        QTest::newRow("end beyond Max") << false << "00:15:01"
                                        << "Invalid End Time"
                                        << "600..900 [600 900]";
        QTest::newRow("one colon only") << false << "12:00"
                                        << "Invalid End Time"
                                        << "600..900 [600 900]";
        QTest::newRow("end narrowed") << false << "00:12:00"
                                      << "Length:00:02:00"
                                      << "600..900 [600 720]";
    }
    void TypedTimes() {
        QFETCH(bool, startBox);
        QFETCH(QString, text);
        QFETCH(QString, label);
        QFETCH(QString, slider);
        TEditorRig rig;
        rig.Form.tbtnTrimClick(rig.Chapters[1]);
        QLineEdit* box = startBox ? rig.Form.edtStartTime : rig.Form.edtEndTime;
        rig.Type(box, text);
        QCOMPARE(rig.Form.labLength->text(), label);
        QCOMPARE(rig.Slider(), slider);
        QCOMPARE(box->text(), text); // the box keeps what was typed
    }

    void OkStoresTheTextsAsTyped() {
        TEditorRig rig;
        TTaskNode* row = rig.Chapters[1];
        rig.Form.tbtnTrimClick(row);
        rig.Type(rig.Form.edtStartTime, "00:12:30.5");
        QTest::mouseClick(rig.Form.btnOK, Qt::LeftButton);
        QVERIFY(!rig.Form.isVisible());
        QCOMPARE(row->CurStartText, "00:12:30.5");
        QCOMPARE(row->CurStart, 750.5);
        QCOMPARE(row->CurEndText, "00:15:00");
        QCOMPARE(row->CurEnd, 900.0);
        QCOMPARE(rig.Tasks.CellText(*row, TTaskListModel::ColStart), "[ 00:12:30.5");

        // Opened again, the boxes show the stored texts, so a plain OK keeps the fraction.
        rig.Form.tbtnTrimClick(row);
        QCOMPARE(rig.Boxes(), "00:12:30.5 00:15:00");
        rig.Form.btnOKClick();
        QCOMPARE(row->CurStart, 750.5);
    }

    void OkRefusesImpossibleRanges_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        QTest::newRow("start not a time") << "ten"
                                          << "00:15:00"
                                          << "Invalid Start Time"
                                          << "\"ten\" is not a time";
        QTest::newRow("start empty") << ""
                                     << "00:15:00"
                                     << "Invalid Start Time"
                                     << "\"\" is not a time";
        QTest::newRow("end beyond the row")
            << "00:10:00"
            << "00:20:00"
            << "Invalid End Time"
            << "00:20:00 lies outside Chapter02, which runs from 00:10:00 to 00:15:00";
        QTest::newRow("start rounds in, lies out") << "00:09:59.6"
                                                   << "00:15:00"
                                                   << "Invalid Start Time"
                                                   << "lies outside Chapter02";
        QTest::newRow("end before start") << "00:14:00"
                                          << "00:12:00"
                                          << "Invalid End Time"
                                          << "The End Time 00:12:00 must be after the Start Time 00:14:00.";
        QTest::newRow("empty range") << "00:12:00"
                                     << "00:12:00"
                                     << "Invalid End Time"
                                     << "must be after";
    }
    void OkRefusesImpossibleRanges() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        TEditorRig rig;
        TTaskNode* row = rig.Chapters[1];
        rig.Form.tbtnTrimClick(row);
        rig.Form.edtStartTime->setText(start);
        rig.Form.edtEndTime->setText(end);
        rig.Form.btnOKClick();
        QCOMPARE(rig.Dialogs.Asked.size(), 1);
        QCOMPARE(rig.Dialogs.Asked[0].Caption, caption);
        QVERIFY2(rig.Dialogs.Asked[0].Text.contains(message), qPrintable(rig.Dialogs.Asked[0].Text));
        QVERIFY(rig.Form.isVisible());
        QCOMPARE(row->CurStartText, "00:10:00");
        QCOMPARE(row->CurEndText, "00:15:00");
        QCOMPARE(row->CurStart, 600.0);
        QCOMPARE(row->CurEnd, 900.0);
    }

    void ArrowButtonsWidenTheRange() {
        TEditorRig rig;
        rig.Form.tbtnTrimClick(rig.Chapters[1]);
        rig.Form.sbtnStartTime->click(); // the start at Min, the end at Max: nothing
        rig.Form.sbtnEndTime->click();
        QCOMPARE(rig.Slider(), "600..900 [600 900]");
        rig.Type(rig.Form.edtStartTime, "00:11:00");
        rig.Type(rig.Form.edtEndTime, "00:14:00");
        rig.Form.sbtnStartTime->click();
        rig.Form.sbtnEndTime->click();
        QCOMPARE(rig.Slider(), "600..900 [659 841]");
        QCOMPARE(rig.Boxes(), "00:10:59 00:14:01");
        QCOMPARE(rig.Form.labLength->text(), "Length:00:03:02");
    }

    void TheSliderMovesTheBoxes() {
        TEditorRig rig;
        rig.Form.tbtnTrimClick(rig.Chapters[1]);
        QVERIFY(QTest::qWaitForWindowExposed(&rig.Form));
        rig.Form.tkbTime->setFocus();
        QTest::keyClick(rig.Form.tkbTime, Qt::Key_Right);
        QTest::keyClick(rig.Form.tkbTime, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(rig.Boxes(), "00:10:01 00:14:59");
        QCOMPARE(rig.Form.labLength->text(), "Length:00:04:58");
        // A drag of the end picture grabs the end thumb beneath it.
        const QRect end = rig.Form.tkbTime->Core().ThumbRect(TmkRangeSliderCore::EndThumb);
        const QPoint to =
            end.center() +
            QPoint(rig.Form.tkbTime->PositionToPixel(720) - rig.Form.tkbTime->PositionToPixel(899), 0);
        QTest::mousePress(rig.Form.tkbTime, Qt::LeftButton, {}, end.center());
        QTest::mouseMove(rig.Form.tkbTime, to);
        QTest::mouseRelease(rig.Form.tkbTime, Qt::LeftButton, {}, to);
        QCOMPARE(rig.Form.tkbTime->MaxPosition(), 720);
        QCOMPARE(rig.Form.edtEndTime->text(), SecondsToTimeText(rig.Form.tkbTime->MaxPosition()));
    }

    void EachOpeningShowsItsRowAndCancelKeepsIt() {
        TEditorRig rig;
        rig.Tasks.SetTrimmedRange(rig.Chapters[0], 100, 200);
        rig.Tasks.SetTrimmedRange(rig.Chapters[2], 1300, 1400);
        rig.Form.tbtnTrimClick(rig.Chapters[0]);
        QCOMPARE(rig.Slider(), "0..600 [100 200]");
        rig.Form.reject();
        rig.Form.tbtnTrimClick(rig.Chapters[2]);
        QCOMPARE(rig.Slider(), "1200..1500 [1300 1400]");
        QCOMPARE(rig.Boxes(), "00:21:40 00:23:20");
        rig.Form.tkbTime->SetMinPosition(1250);
        rig.Type(rig.Form.edtEndTime, "00:24:00");
        rig.Form.btnCancel->click();
        QVERIFY(!rig.Form.isVisible());
        QCOMPARE(rig.Chapters[2]->CurStart, 1300.0);
        QCOMPARE(rig.Chapters[2]->CurEndText, "00:23:20");
        rig.Form.tbtnTrimClick(rig.Chapters[2]);
        QCOMPARE(rig.Slider(), "1200..1500 [1300 1400]");
    }

    // The editor trims chapter 2 of the sample disc's first title, and the real encoders convert that
    // range and no more.
    void ATrimmedChapterConvertsToItsRange() {
        QTemporaryDir work;
        TAppContext context;
        context.SetProgramDir(ProgramBinDir() + "/");
        context.WorkDir = work.path() + "/";
        TTaskListModel tasks(context);
        auto library = CreateDvdReadAccess();
        QVERIFY(LoadDisc(SampleDiscDir("pal") + "/", context, tasks, *library).LibraryOpened);
        TTaskNode* chapter = tasks.Title(0)->Children.at(1).get();
        QCOMPARE(chapter->FullStartText + " " + chapter->FullEndText, "00:00:06 00:00:12");

        TScriptedDialogs dialogs;
        TEditTimeForm form(tasks);
        QVERIFY(form.tbtnTrimClick(chapter));
        QTest::keyClick(form.tkbTime, Qt::Key_Right); // the start to 7 s
        form.edtEndTime->clear();
        QTest::keyClicks(form.edtEndTime, "00:00:10.5");
        QCOMPARE(form.labLength->text(), "Length:00:00:03");
        form.btnOKClick();
        QVERIFY(dialogs.Asked.isEmpty());
        QCOMPARE(chapter->CurStart, 7.0);
        QCOMPARE(chapter->CurEnd, 10.5);

        tasks.SetChecked(chapter, true);
        TRunSettings settings;
        settings.OutputDirText = work.path() + "/";
        settings.ProfileName = "Any Player - MPEG-4 (MP4)";
        const TProfileLoad profile =
            LoadProfileRows(ProfilePath(context.ProgramDir, settings.ProfileName), settings.Grids);
        QVERIFY(profile.Error.isEmpty());
        context.OutputExt = "." + profile.Type;
        TRecordingFrontEnd frontEnd;
        TConversionDriver driver(context, tasks, frontEnd);
        const TRunResult result = driver.Start(settings);
        QCOMPARE(result.Outcome, TRunResult::Completed);
        QCOMPARE(result.Outputs.size(), 1);
        const QJsonObject probe = Probe(result.Outputs[0]);
        qInfo("output %s: %.3f s for the range 7 to 10.5 s", qPrintable(result.Outputs[0]), Duration(probe));
        QVERIFY2(std::abs(Duration(probe) - 3.5) < 1.0, qPrintable(QString::number(Duration(probe))));
        QVERIFY(!Stream(probe, "video").isEmpty());
        QVERIFY(!Stream(probe, "audio").isEmpty());
    }
};

QTEST_MAIN(EditTimeFormTest)
#include "EditTimeFormTest.moc"
