#pragma once

#include "preview/DvdPlayback.h"

#include <QStringList>

// Records what the preview asks of its player and keeps the state a player would have.
class TFakePlayback : public TDvdPlayback {
public:
    QStringList Calls;
    TState Current = Unavailable;

    void Deactivate() override { Record("Deactivate", Unavailable); }
    void Activate(quintptr) override { Record("Activate", Stopped); }
    void Clear() override { Record("Clear", Current == Unavailable ? Unavailable : Stopped); }
    void RenderDvd(const QString& ifoPath) override { Calls << "Render " + ifoPath; }
    void Run() override { Record("Run", Playing); }
    void Pause() override { Record("Pause", Paused); }
    void Stop() override { Record("Stop", Stopped); }
    TState State() const override { return Current; }
    void PlayTitle(int title) override { Calls << QString("PlayTitle %1").arg(title); }
    void PlayChapterInTitle(int title, int chapter) override {
        Calls << QString("PlayChapter %1 %2").arg(title).arg(chapter);
    }
    void PlayAtTime(const TDvdTimeCode& t) override {
        Calls << QString("PlayAtTime %1:%2:%3.%4").arg(t.Hours).arg(t.Minutes).arg(t.Seconds).arg(t.Frames);
    }
    void SetSubpictureState(bool on) override { Calls << QString("Subpictures %1").arg(on ? "on" : "off"); }
    void SelectSubpictureStream(int stream) override { Calls << QString("Subpicture %1").arg(stream); }

    // The calls since the last look, and forgotten.
    QStringList Take() {
        QStringList c = Calls;
        Calls.clear();
        return c;
    }

private:
    void Record(const QString& call, TState next) {
        Calls << call;
        Current = next;
    }
};
