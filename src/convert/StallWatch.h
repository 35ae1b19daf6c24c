#pragma once

#include <QElapsedTimer>

// Tells when a stage's progress figure has not advanced for a set time. A limit of 0 or less never stalls.
class TStallWatch {
public:
    explicit TStallWatch(double limitSeconds) : FLimitMs(qint64(limitSeconds * 1000)) { FSince.start(); }

    void Progress(double figure) {
        if (figure > FFigure) {
            FFigure = figure;
            FSince.restart();
        }
    }
    bool Stalled() const { return FLimitMs > 0 && FSince.elapsed() >= FLimitMs; }
    double LimitSeconds() const { return FLimitMs / 1000.0; }

private:
    qint64 FLimitMs;
    double FFigure = -1;
    QElapsedTimer FSince;
};
