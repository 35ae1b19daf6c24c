// Rows of the direct engine converted side by side: each row in flight runs the one-row code on a thread of
// its own with encoders of its own, while the run's thread asks the questions, shows the figures and gathers
// the outcomes.
#include "ConversionDriver.h"

#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "convert/ConversionHelpers.h"
#include "dvd/DiscLoader.h"
#include "profiles/ArgumentBuilder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>

using namespace ConversionHelpers;

namespace {

thread_local TRowWork* tRowOfThread = nullptr; // set on a side-by-side row's thread

struct TRowInFlight {
    size_t Index = 0;
    const TTaskNode* Item = nullptr;
    QString Output;
    std::unique_ptr<TRowWork> Work = std::make_unique<TRowWork>(); // made and ended on the row's thread
    std::mutex WorkLock;     // over the ending of Work
    double Position = 0;     // where the row got to, once Work has ended
    std::unique_ptr<QThread> Thread;
    std::atomic<bool> Ended{false};
    int Outcome = 0;
    QString Problem;
};

// What a row came to, kept in the order of the rows.
struct TRowEnd {
    enum { NotRun, Done, Failed, Skipped } Kind = NotRun;
    QString Output;
    QString Problem;
};

} // namespace

TRowWork& TConversionDriver::Row() {
    return tRowOfThread ? *tRowOfThread : FRow;
}

bool TConversionDriver::OnRowThread() const {
    return tRowOfThread != nullptr;
}

void TConversionDriver::PumpRow() {
    if (OnRowThread())
        QCoreApplication::processEvents(); // this thread's own: its encoders' output
    else
        FFrontEnd.PumpEvents();
}

void TConversionDriver::ReportFromRow(const QString& caption, const QString& text) {
    if (!OnRowThread())
        return FFrontEnd.ReportError(caption, text);
    const std::lock_guard lock(FRowLock);
    FRowMessages.push_back({caption, text});
}

void TConversionDriver::ShowRowMessages() {
    QList<std::pair<QString, QString>> messages;
    {
        const std::lock_guard lock(FRowLock);
        messages.swap(FRowMessages);
    }
    for (const auto& [caption, text] : messages)
        FFrontEnd.ReportError(caption, text);
}

TRunResult TConversionDriver::ConvertRowsSideBySide(const std::vector<TTaskNode*>& items,
                                                     const TRunSettings& settings) {
    const QString stageTwoText = BuildStageTwoArgs(ProfilePathOf(settings.ProfileName), settings.Grids);
    const QString outputDir = IncludeTrailingSeparator(settings.OutputDirText);
    const double frameRate = FContext.DVDInformation.FrameRate;
    std::vector<TRowEnd> ends(items.size());
    std::list<TRowInFlight> flight; // a list: a row's thread holds on to its entry
    size_t next = 0;
    bool launchFailed = false;
    QString hint;
    // A row that ends wakes the run's thread at once, so that the next row starts without waiting out a
    // period of the figures' refresh.
    std::mutex endLock;
    std::condition_variable rowEnded;

    const auto startRow = [&](size_t index) {
        const TTaskNode& item = *items[index];
        QString output = OutputPathOf(item, outputDir);
        // Asked here, one row at a time, before the row starts: never two questions at once.
        if (!ApplyOverwritePolicy(output)) {
            ends[index] = {TRowEnd::Skipped, QFileInfo(output).fileName(), {}};
            return;
        }
        TRowInFlight& row = flight.emplace_back();
        row.Index = index;
        row.Item = &item;
        row.Output = output;
        // Only a file the policy has let go is replaced: one that appears meanwhile (another run's) is kept.
        row.Work->MayReplaceOutput =
            QFileInfo::exists(output) || FFrontEnd.OverwritePolicy() == TPreferences::Overwrite;
        row.Work->Progress.StartRun({ItemSeconds(item)});
        row.Work->Progress.StartItem(ItemSeconds(item), frameRate, TProgressTracker::OneEncoder);
        row.Thread.reset(QThread::create([this, &row, &endLock, &rowEnded, stageTwoText] {
            tRowOfThread = row.Work.get();
            row.Outcome = ConvertItemDirect(*row.Item, row.Output, stageTwoText, row.Problem);
            tRowOfThread = nullptr;
            {
                // Its encoders' processes belong to this thread: they end here.
                const std::lock_guard lock(row.WorkLock);
                row.Position = row.Work->Position;
                row.Work.reset();
            }
            {
                const std::lock_guard lock(endLock);
                row.Ended = true;
            }
            rowEnded.notify_all();
        }));
        row.Thread->start();
    };
    const auto endRow = [&](TRowInFlight& row) {
        row.Thread->wait();
        TRowEnd& end = ends[row.Index];
        end.Output = row.Output;
        end.Problem = row.Problem;
        switch (TItemOutcome(row.Outcome)) {
        case ItemDone:
            end.Kind = TRowEnd::Done;
            FRow.Progress.RowEnded(ItemSeconds(*row.Item));
            break;
        case ItemLaunchFailed:
            launchFailed = true;
            [[fallthrough]];
        case ItemFailed:
            end.Kind = TRowEnd::Failed;
            FRow.Progress.RowEnded(row.Position);
            break;
        case ItemCancelled:
            break;
        }
    };
    const auto showFlight = [&] {
        std::vector<TRowProgress> rows;
        QStringList names;
        for (TRowInFlight& row : flight) {
            const std::lock_guard lock(row.WorkLock);
            rows.push_back({row.Item->OutputName, row.Work ? row.Work->Position.load() : row.Position,
                            ItemSeconds(*row.Item)});
            names << QFileInfo(row.Output).fileName();
        }
        FRow.Progress.ShowRows(rows, frameRate);
        Show();
        if (!names.isEmpty() && "Converting: " + names.join(", ") != hint) {
            hint = "Converting: " + names.join(", ");
            FFrontEnd.SetHintText(hint);
        }
    };

    for (;;) {
        // The rows that ended make room first, for the next ones to start in the same round.
        for (auto row = flight.begin(); row != flight.end();) {
            if (!row->Ended) {
                ++row;
                continue;
            }
            endRow(*row);
            row = flight.erase(row);
        }
        while (FState == Converting && !launchFailed && flight.size() < size_t(FRowsAtOnce) &&
               next < items.size())
            startRow(next++);
        ShowRowMessages();
        const bool starting = FState == Converting && !launchFailed && next < items.size();
        if (flight.empty() && !starting)
            break;
        showFlight();
        FFrontEnd.PumpEvents();
        std::unique_lock lock(endLock);
        rowEnded.wait_for(lock, std::chrono::milliseconds(20), [&] {
            return std::any_of(flight.begin(), flight.end(),
                               [](const TRowInFlight& row) { return row.Ended.load(); });
        });
    }

    TRunResult result;
    for (const TRowEnd& end : ends) {
        if (end.Kind == TRowEnd::Done)
            result.Outputs << end.Output;
        else if (end.Kind == TRowEnd::Failed)
            result.Failures.push_back({QFileInfo(end.Output).fileName(), end.Problem});
        else if (end.Kind == TRowEnd::Skipped)
            result.Skipped << end.Output;
    }
    if (FState == CancelRequested)
        return Cancel(result);
    if (launchFailed) {
        EndProgress();
        FFrontEnd.ShowProgressPanel(false);
        result.Outcome = TRunResult::LaunchFailed;
        return result;
    }
    return Complete(result, settings.OutputDirText);
}
