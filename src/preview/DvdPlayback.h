#pragma once

#include <QObject>
#include <QString>

// A DVD time code: where PlayAtTime jumps to within the current title.
struct TDvdTimeCode {
    int Hours = 0;
    int Minutes = 0;
    int Seconds = 0;
    int Frames = 0;
    bool operator==(const TDvdTimeCode&) const = default;
};
TDvdTimeCode TimeCodeOf(int seconds);

// What the preview needs of a DVD player, and nothing more. Titles and chapters are numbered from 1.
// Every call returns at once; the playback runs on its own threads and reports back through the queued
// signals below, on the thread that owns this object.
class TDvdPlayback : public QObject {
    Q_OBJECT
public:
    enum TState { Unavailable, Stopped, Paused, Playing };

    using QObject::QObject;

    virtual void Deactivate() = 0;                   // any earlier playback is gone
    virtual void Activate(quintptr videoWindow) = 0; // a new, empty player showing its video there
    virtual void Clear() = 0;                        // playback stopped, nothing loaded
    virtual void RenderDvd(const QString& ifoPath) = 0;
    virtual void Run() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual TState State() const = 0;
    virtual void PlayTitle(int title) = 0;
    virtual void PlayChapterInTitle(int title, int chapter) = 0;
    virtual void PlayAtTime(const TDvdTimeCode& time) = 0;
    virtual void SetSubpictureState(bool on) = 0;
    virtual void SelectSubpictureStream(int stream) = 0; // from 0

signals:
    void Failed(const QString& problem); // the disc or title could not be played; the player is stopped
    void Ended();                        // the title played to its end; the player is stopped
};
