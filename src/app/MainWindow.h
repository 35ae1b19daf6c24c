#pragma once

#include "AppContext.h"
#include "TaskListModel.h"

#include <QMainWindow>

class QComboBox;
class QTreeView;
class QLabel;

// The program's window: the task list of the opened disc with the row choices beneath it.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);

    // Loads a disc folder (a VIDEO_TS folder or one that holds it) into the task list.
    void OpenDiscFolder(const QString& path);
    // Opens each command-line entry in turn (folders, files inside them, or one .tmp list of them).
    void OpenCommandLine(const QStringList& arguments);

    TAppContext& Context() { return FContext; }
    TTaskListModel& Tasks() { return *FTasks; }
    QTreeView* TaskView() const { return ltvTask; }

private:
    void tbtnOpenDirClick();
    void ShowChoices(const TChoiceLists& choices);
    void ShowError(const QString& text);

    TAppContext FContext;
    TTaskListModel* FTasks = nullptr;
    QTreeView* ltvTask = nullptr;
    QComboBox* cmbAudio = nullptr;
    QComboBox* cmbAudioLanguage = nullptr;
    QComboBox* cmbSub = nullptr;
    QComboBox* cmbAngle = nullptr;
    QLabel* labHint = nullptr;
    bool FShowingChoices = false;
};
