#pragma once

#include "convert/DirectEngine.h"
#include "convert/DvdStreamReader.h"
#include "convert/EncoderSlot.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// One piece of a row made in pieces: its part of the range, the reader that feeds it, its encoder and the
// file the encoder writes.
struct TPiece {
    QString Name;       // how messages name it: "piece 2 of 3", "the audio"
    double Seconds = 0; // its part of the range; 0: it does not count toward the row's progress
    TDvdStreamReader Reader;
    QStringList Arguments;
    QString File;

    std::unique_ptr<TDirectFeeder> Feeder;
    TEncoderSlot Slot;
    double Time = 0; // how far its encoder has come
    int Reads = 0;
    bool Ended = false;
};

// Runs the encoders of a row's pieces side by side, each fed by its own reader, and watches them as one:
// their progress adds up, and the first that fails or stalls ends them all.
class TPiecePool {
public:
    enum TOutcome { Done, Failed, Cancelled };

    explicit TPiecePool(std::vector<std::unique_ptr<TPiece>>& pieces) : FPieces(pieces) {}
    ~TPiecePool() { End(); }
    TPiecePool(const TPiecePool&) = delete;
    TPiecePool& operator=(const TPiecePool&) = delete;

    std::function<void()> Pump;                  // handles pending events while the pool waits
    std::function<bool()> StopRequested;         // Stop was pressed
    std::function<void(double seconds)> Advance; // the pieces' progress, added up

    // Starts every piece's encoder (the program at encoder) and its feeder. False, with problem set,
    // when one cannot be started: whatever was started is ended.
    bool Start(const QString& encoder, QString& problem);
    // Until every encoder has ended, one fails, one's progress stands still for stallSeconds, or Stop.
    TOutcome Run(double stallSeconds, QString& problem);
    // Ends every encoder and waits for the feeders (handling events meanwhile).
    void End();

private:
    std::vector<std::unique_ptr<TPiece>>& FPieces;
};
