#include "MainWindow.h"

#include "ProductInfo.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>


TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    FContext.ProgramDir = IncludeTrailingSeparator(QCoreApplication::applicationDirPath());
    setWindowTitle(QStringLiteral("%1 V%2").arg(kProductTitle, VELLORIC_VERSION));
    resize(798, 544);

    FTasks = new TTaskListModel(FContext, this);
    FTasks->Pump = [] { QCoreApplication::processEvents(); };

    auto* toolbar = addToolBar(QStringLiteral("ToolBar1"));
    toolbar->setObjectName("ToolBar1");
    QAction* openDir = toolbar->addAction(QStringLiteral("Open Directory"));
    openDir->setObjectName("tbtnOpenDir");
    openDir->setToolTip(QStringLiteral("Open a Directory"));
    connect(openDir, &QAction::triggered, this, &TMainForm::tbtnOpenDirClick);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    ltvTask = new QTreeView(central);
    ltvTask->setObjectName("ltvTask");
    ltvTask->setModel(FTasks);
    ltvTask->setSelectionBehavior(QAbstractItemView::SelectRows);
    ltvTask->setAllColumnsShowFocus(true);
    ltvTask->header()->resizeSection(TTaskListModel::ColTitle, 175);
    ltvTask->header()->resizeSection(TTaskListModel::ColStart, 80);
    ltvTask->header()->resizeSection(TTaskListModel::ColEnd, 80);
    ltvTask->header()->resizeSection(TTaskListModel::ColOutput, 200);
    layout->addWidget(ltvTask, 1);
    labHint = new QLabel(central);
    labHint->setObjectName("labHint");
    layout->addWidget(labHint);

    auto* choices = new QHBoxLayout;
    const auto addChoice = [&](const QString& caption, const char* name) {
        choices->addWidget(new QLabel(caption, central));
        auto* box = new QComboBox(central);
        box->setObjectName(name);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        choices->addWidget(box);
        return box;
    };
    cmbAudio = addChoice(QStringLiteral("Audio Track:"), "cmbAudio");
    cmbSub = addChoice(QStringLiteral("Sub Title:"), "cmbSub");
    cmbAngle = addChoice(QStringLiteral("Angle:"), "cmbAngle");
    cmbAudioLanguage = new QComboBox(central);
    cmbAudioLanguage->setObjectName("cmbAudioLanguage");
    cmbAudioLanguage->hide();
    choices->addStretch(1);
    layout->addLayout(choices);
    setCentralWidget(central);

    connect(ltvTask->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FTasks->SetFocusedRow(TTaskListModel::NodeOf(current)); });
    connect(FTasks, &TTaskListModel::FocusedRowChanged, this, [this](TTaskNode* node) {
        const QModelIndex index = FTasks->IndexOf(node);
        if (index.isValid() && ltvTask->currentIndex().internalPointer() != node)
            ltvTask->setCurrentIndex(index);
    });
    connect(FTasks, &TTaskListModel::ChoicesChanged, this, &TMainForm::ShowChoices);
    const auto onPick = [this](void (TTaskListModel::*pick)(int)) {
        return [this, pick](int index) {
            if (!FShowingChoices && index >= 0)
                (FTasks->*pick)(index);
        };
    };
    connect(cmbAudio, &QComboBox::activated, this, onPick(&TTaskListModel::PickAudio));
    connect(cmbSub, &QComboBox::activated, this, onPick(&TTaskListModel::PickSubtitle));
    connect(cmbAngle, &QComboBox::activated, this, onPick(&TTaskListModel::PickAngle));
}

void TMainForm::ShowChoices(const TChoiceLists& choices) {
    FShowingChoices = true;
    const auto fill = [](QComboBox* box, const QStringList& items, int selected) {
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(selected < items.size() ? selected : -1);
    };
    fill(cmbAudio, choices.AudioTracks, choices.AudioIndex);
    fill(cmbAudioLanguage, choices.AudioLanguages, choices.AudioIndex);
    fill(cmbSub, choices.Subtitles, choices.SubtitleIndex);
    fill(cmbAngle, choices.Angles, choices.AngleIndex);
    FShowingChoices = false;
}

void TMainForm::OpenDiscFolder(const QString& path) {
    FTasks->Clear();
    labHint->setText(QStringLiteral("Opening the DVD.   Please wait...."));
    QCoreApplication::processEvents();
    auto library = CreateDvdReadAccess();
    try {
        const TLoadResult result =
            LoadDisc(path, FContext, *FTasks, *library, [] { QCoreApplication::processEvents(); });
        labHint->clear();
        if (!result.LibraryOpened)
            ShowError(result.LibraryError);
    } catch (const EIfoError& e) {
        labHint->clear();
        FTasks->Clear();
        ShowError(QString::fromStdString(e.what()));
        return;
    }
    FTasks->CheckLongestTitle();
    if (!FTasks->IsEmpty())
        ltvTask->scrollTo(FTasks->index(0, 0), QAbstractItemView::PositionAtCenter);
}

void TMainForm::OpenCommandLine(const QStringList& arguments) {
    QStringList entries = arguments;
    if (!arguments.isEmpty() && QFileInfo(arguments.first()).suffix().toLower() == "tmp") {
        QFile list(arguments.first());
        entries.clear();
        if (list.open(QIODevice::ReadOnly | QIODevice::Text))
            for (const QString& line : QString::fromLocal8Bit(list.readAll()).split('\n'))
                if (!line.trimmed().isEmpty())
                    entries << line.trimmed();
    }
    for (const QString& entry : entries) {
        const QFileInfo info(entry);
        if (info.isFile())
            OpenDiscFolder(IncludeTrailingSeparator(info.absolutePath()));
        else if (info.isDir())
            OpenDiscFolder(IncludeTrailingSeparator(entry));
    }
}

void TMainForm::tbtnOpenDirClick() {
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Please specify a DVD-ROM"));
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        OpenDiscFolder(IncludeTrailingSeparator(dir));
}

void TMainForm::ShowError(const QString& text) { QMessageBox::critical(this, kProductTitle, text); }
