// Measures how long the window's event loop goes without handling events while a disc loads and while
// the real encoders convert a title: a 1 ms timer notes the time between its ticks.
//   velloric_gap_probe PROGRAM_DIR SAMPLE_DISC [TITLE]
// prints the longest gap and the 99th percentile of each phase. PROGRAM_DIR must hold the profiles and
// the two encoders; a copy of it is used.
#include "tasks/TaskListModel.h"
#include "ui/Dialogs.h"
#include "app/ui/MainWindow.h"
#include "support/NoDesktop.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

class TAutoAnswer : public Dialogs::TAnswerer {
public:
    Dialogs::TAnswer Message(const Dialogs::TRequest& request) override {
        std::printf("  message: %s\n", qPrintable(request.Text));
        return Dialogs::TAnswer::Yes;
    }
    QString Path(const Dialogs::TRequest&) override { return {}; }
};

// Notes the gaps between ticks of a 1 ms timer while it runs.
class TGapProbe {
public:
    TGapProbe() {
        FTimer.setInterval(1);
        FTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            const double gap = FClock.nsecsElapsed() / 1e6;
            FGaps.push_back(gap);
            if (gap > 30 && Where)
                std::printf("  %.1f ms gap, ending at %.2f s: %s\n", gap, FPhase.elapsed() / 1000.0,
                            qPrintable(Where()));
            FClock.restart();
        });
    }
    std::function<QString()> Where; // what the window shows, to tell where a long gap was

    void Start() {
        FGaps.clear();
        FPhase.start();
        FClock.start();
        FTimer.start();
    }
    void Stop(const char* phase) {
        FTimer.stop();
        FGaps.push_back(FClock.nsecsElapsed() / 1e6);
        std::vector<double> sorted = FGaps;
        std::sort(sorted.begin(), sorted.end());
        const double p99 = sorted[size_t(double(sorted.size() - 1) * 0.99)];
        std::printf("%-32s ticks %7zu  longest gap %7.1f ms  99th percentile %5.1f ms\n", phase, FGaps.size(),
                    sorted.back(), p99);
    }

private:
    QTimer FTimer;
    QElapsedTimer FClock;
    QElapsedTimer FPhase;
    std::vector<double> FGaps;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: velloric_gap_probe PROGRAM_DIR SAMPLE_DISC [TITLE]\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]) + "/";
    const QString disc = QString::fromLocal8Bit(argv[2]);
    const int title = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 2;

    const TProgramFolder program(TProgramFolder::Real, source);
    const QString& folder = program.Path;
    QTemporaryDir output;
    TAutoAnswer answers;
    Dialogs::SetAnswerer(&answers);
    TNoDesktop desktop;

    TMainForm window(nullptr, nullptr, folder);
    window.show();
    window.findChild<QLineEdit*>("edtOutputDir")->setText(output.path());
    TGapProbe probe;
    probe.Where = [&window] { return window.findChild<QLabel*>("labHint")->text(); };

    probe.Start();
    window.OpenDiscFolder(disc);
    probe.Stop("opening the disc");

    TTaskListModel& tasks = window.Tasks();
    if (title < 1 || title > tasks.TitleCount())
        return 2;
    tasks.RunCheckCommand(TCheckCommand::UncheckAll);
    tasks.SetChecked(tasks.Title(title - 1), true);
    probe.Start();
    window.tbtnStartClick();
    probe.Stop("converting a title (both stages)");
    return 0;
}
