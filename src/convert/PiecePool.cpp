#include "PiecePool.h"

#include "convert/ConversionHelpers.h"
#include "convert/ProgressTracker.h"
#include "convert/StallWatch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

using namespace ConversionHelpers;

namespace {

// The last "time=" an encoder's chunk reports; false when none.
bool LastTime(const QString& chunk, double& seconds) {
    const qsizetype at = chunk.lastIndexOf("time=");
    if (at < 0)
        return false;
    QString text = chunk.mid(at + 5);
    const qsizetype blank = text.indexOf(' ');
    if (blank < 0)
        return false;
    return ReadStageTwoTime(text.left(blank), seconds);
}

QString EncoderOf(const TPiece& piece) {
    return kStageTwo + ", " + piece.Name + ",";
}

} // namespace

bool TPiecePool::Start(const QString& encoder, QString& problem) {
    for (auto& piece : FPieces) {
        piece->Feeder = std::make_unique<TDirectFeeder>(piece->Reader);
        if (piece->Feeder->InputFd() < 0) {
            problem = "The disc cannot be read: " + piece->Feeder->ErrorText();
            End();
            return false;
        }
        piece->Slot.Pump = Pump;
        if (!piece->Slot.Launch(encoder, piece->Arguments, QString(), piece->Feeder->InputFd())) {
            problem = kStageTwo + " could not be started: " + piece->Slot.StartError();
            End();
            return false;
        }
    }
    for (auto& piece : FPieces)
        piece->Feeder->Start();
    return true;
}

TPiecePool::TOutcome TPiecePool::Run(double stallSeconds, QString& problem) {
    std::vector<TStallWatch> watches(FPieces.size(), TStallWatch(stallSeconds));
    // A reader that failed explains its encoder's failure; it is known once the feeders have ended.
    const auto fail = [&](const QString& what) {
        End();
        problem = what;
        for (auto& piece : FPieces)
            if (piece->Feeder->Failed())
                problem = "The disc cannot be read: " + piece->Feeder->ErrorText();
        return Failed;
    };
    for (;;) {
        if (Pump)
            Pump();
        if (StopRequested && StopRequested()) {
            End();
            return Cancelled;
        }
        bool got = false, running = false;
        double done = 0;
        for (size_t i = 0; i < FPieces.size(); ++i) {
            TPiece& piece = *FPieces[i];
            QString chunk;
            while (piece.Slot.TryReadChunk(chunk)) {
                got = true;
                double time = 0;
                // The first reads hold the banner and the input's description, whose times are not progress.
                if (piece.Reads++ >= 2 && LastTime(chunk, time) && time > piece.Time)
                    piece.Time = time;
            }
            watches[i].Progress(piece.Time);
            if (piece.Seconds > 0)
                done += std::min(piece.Time, piece.Seconds);
            if (!piece.Ended && piece.Slot.OutputEnded()) {
                piece.Ended = true;
                const bool exitedWell =
                    piece.Slot.ExitStatus() == QProcess::NormalExit && piece.Slot.ExitCode() == 0;
                if (!exitedWell)
                    return fail(Describe(piece.Slot, EncoderOf(piece)));
            }
            if (!piece.Ended && watches[i].Stalled())
                return fail(Stalled(piece.Slot, EncoderOf(piece), watches[i]));
            running = running || !piece.Ended;
        }
        if (got && Advance)
            Advance(done);
        if (!running)
            break;
        if (!got) {
            QEventLoop loop;
            QTimer::singleShot(50, &loop, &QEventLoop::quit);
            for (auto& piece : FPieces)
                if (!piece->Ended && piece->Slot.Process()) {
                    QObject::connect(piece->Slot.Process(), &QProcess::readyRead, &loop, &QEventLoop::quit);
                    QObject::connect(piece->Slot.Process(), &QProcess::finished, &loop, &QEventLoop::quit);
                }
            loop.exec();
        }
    }
    End();
    for (auto& piece : FPieces)
        if (piece->Feeder->Failed())
            return fail({});
    return Done;
}

void TPiecePool::End() {
    for (auto& piece : FPieces) {
        piece->Slot.Terminate();
        if (piece->Feeder)
            piece->Feeder->Stop();
    }
    // A read from a slow or damaged drive may take a while to return: the window stays live meanwhile.
    for (auto& piece : FPieces) {
        if (!piece->Feeder)
            continue;
        while (piece->Feeder->Writing()) {
            if (Pump)
                Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        piece->Feeder->Finish();
    }
}
