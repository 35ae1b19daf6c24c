#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TTaskListModel;
class TmkRangeSlider;
struct TTaskNode;

// "Edit the Start & End Time": narrows a row's current range with a two-thumb slider over its full
// range, two boxes that take any time text, and arrow buttons that widen it by a second. OK writes the
// range into the row; Cancel and the close box leave the row alone.
class TEditTimeForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditTimeForm(TTaskListModel& tasks, QWidget* parent = nullptr);

    // The Trim button and the popup entry: checks the focused row and shows the editor for it.
    // False when a message turned it away.
    bool tbtnTrimClick(TTaskNode* focusedRow);
    TTaskNode* Row() const { return FRow; }

    TmkRangeSlider* tkbTime = nullptr;
    QLabel* labStartTime = nullptr;
    QLabel* labEndTime = nullptr;
    QLineEdit* edtStartTime = nullptr;
    QLineEdit* edtEndTime = nullptr;
    QLabel* labLength = nullptr;
    QToolButton* sbtnStartTime = nullptr;
    QToolButton* sbtnEndTime = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QTimer* tmrRefresh = nullptr;

    void edtStartTimeKeyUp();
    void edtEndTimeKeyUp();
    void sbtnStartTimeClick();
    void sbtnEndTimeClick();
    void btnOKClick();

protected:
    void showEvent(QShowEvent* event) override; // FormShow

private:
    void SetSliderFromRow();
    void RefreshBoxes();
    void ShowLength();
    void PaintOverlay(QPainter& painter);
    // Puts a valid typed value on the slider without rewriting the box it came from.
    void PlaceTyped(bool start, int seconds);
    bool CheckBox(QLineEdit* box, const QString& which, double& value);

    TTaskListModel& FTasks;
    TTaskNode* FRow = nullptr;
    bool FSkipRefresh = false; // the slider's Tag: the next refresh of the boxes is skipped
    QImage FRangePicture, FStartPicture, FEndPicture;
};
