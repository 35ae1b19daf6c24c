#pragma once

#include "DvdPlayback.h"

#include <QStringList>
#include <future>
#include <memory>
#include <vector>

struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_event_t;

// The DVD player over libVLC: a title or chapter plays from the disc folder through the location
// "dvdsimple://<folder>#<title>:<chapter>" into the video window. Nothing here waits for
// libVLC: a player that is done with is stopped and released on a thread of its own, and libVLC's
// events come back as queued calls. libVLC itself starts on a thread when this object is made, since
// loading its modules takes a good part of a second.
class TVlcPlayback : public TDvdPlayback {
    Q_OBJECT
public:
    // extraArguments go to libVLC as given (tests run it headless with --vout=dummy --aout=dummy).
    explicit TVlcPlayback(QStringList extraArguments = {}, QObject* parent = nullptr);
    ~TVlcPlayback() override;

    void Deactivate() override;
    void Activate(quintptr videoWindow) override;
    void Clear() override;
    void RenderDvd(const QString& ifoPath) override;
    void Run() override;
    void Pause() override;
    void Stop() override;
    TState State() const override;
    void PlayTitle(int title) override;
    void PlayChapterInTitle(int title, int chapter) override;
    void PlayAtTime(const TDvdTimeCode& time) override;
    void SetSubpictureState(bool on) override;
    void SelectSubpictureStream(int stream) override;

    // Where the player is in its title, in milliseconds; -1 when nothing plays.
    qint64 TitleTimeMs() const;
    // The subtitle track shown, counted from 0 among the title's subtitles; -1 for none.
    int ShownSubpictureStream() const;
    // The location handed to libVLC for a title and chapter (both from 1) of a disc folder.
    static QString Location(const QString& discFolder, int title, int chapter);

private:
    bool EnsureInstance();
    void NewPlayer();
    void Retire();
    void Play(int title, int chapter);
    void ApplySubpicture();
    static void OnEvent(const libvlc_event_t* event, void* listener);
    void HandleEvent(quint64 generation, int type);

    // What libVLC's event callbacks get: which player (by generation) they speak of.
    struct TListener {
        TVlcPlayback* Owner;
        quint64 Generation;
    };

    QStringList FArguments;
    std::future<libvlc_instance_t*> FStarting;
    libvlc_instance_t* FInstance = nullptr;
    libvlc_media_player_t* FPlayer = nullptr;
    std::unique_ptr<TListener> FListener; // of FPlayer
    quint64 FGeneration = 0;
    QString FInstanceError;
    quintptr FWindow = 0;
    bool FActive = false;
    bool FHasMedia = false;
    bool FEnded = false;
    TState FWanted = Stopped; // what Run, Pause and Stop asked for; libVLC follows a moment later
    QString FDiscFolder;
    bool FSubpicturesOn = false;
    int FSubpictureStream = -1;
    std::vector<std::future<void>> FRetiring;
};
