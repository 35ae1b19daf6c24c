#include "VlcPlayback.h"

#include "dvd/DiscSource.h"

#include <QFileInfo>
#include <QUrl>
#include <vlc/vlc.h>

namespace {

const libvlc_event_e kEvents[] = {libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerEndReached,
                                  libvlc_MediaPlayerESAdded};

} // namespace

TVlcPlayback::TVlcPlayback(QStringList extraArguments, QObject* parent)
    : TDvdPlayback(parent), FArguments(std::move(extraArguments)) {
    QList<QByteArray> arguments{"--no-video-title-show", "--no-xlib", "--quiet", "--no-osd"};
    for (const QString& a : FArguments)
        arguments << a.toUtf8();
    FStarting = std::async(std::launch::async, [arguments] {
        std::vector<const char*> argv;
        for (const QByteArray& a : arguments)
            argv.push_back(a.constData());
        return libvlc_new(int(argv.size()), argv.data());
    });
}

TVlcPlayback::~TVlcPlayback() {
    Retire();
    for (std::future<void>& f : FRetiring)
        f.wait();
    if (FStarting.valid())
        FInstance = FStarting.get();
    if (FInstance)
        libvlc_release(FInstance);
}

// Waits for libVLC only when Play comes before it has started.
bool TVlcPlayback::EnsureInstance() {
    if (FStarting.valid()) {
        FInstance = FStarting.get();
        if (!FInstance)
            FInstanceError = "The video library (libVLC) could not be started.";
    }
    return FInstance != nullptr;
}

void TVlcPlayback::NewPlayer() {
    FPlayer = libvlc_media_player_new(FInstance);
    if (!FPlayer)
        return;
    if (FWindow)
        libvlc_media_player_set_xwindow(FPlayer, uint32_t(FWindow));
    // Clicks and keys stay with the window.
    libvlc_video_set_mouse_input(FPlayer, false);
    libvlc_video_set_key_input(FPlayer, false);
    FListener = std::make_unique<TListener>(TListener{this, ++FGeneration});
    libvlc_event_manager_t* events = libvlc_media_player_event_manager(FPlayer);
    for (libvlc_event_e e : kEvents)
        libvlc_event_attach(events, e, &TVlcPlayback::OnEvent, FListener.get());
}

// Stopping a player waits for its input thread, which may sit in a slow read of the disc: that wait
// happens on a thread of its own. Events are detached first, so nothing of the old player comes back.
void TVlcPlayback::Retire() {
    FRetiring.erase(std::remove_if(FRetiring.begin(), FRetiring.end(),
                                   [](std::future<void>& f) {
                                       return f.wait_for(std::chrono::seconds(0)) ==
                                              std::future_status::ready;
                                   }),
                    FRetiring.end());
    if (!FPlayer)
        return;
    libvlc_event_manager_t* events = libvlc_media_player_event_manager(FPlayer);
    for (libvlc_event_e e : kEvents)
        libvlc_event_detach(events, e, &TVlcPlayback::OnEvent, FListener.get());
    FListener.reset();
    libvlc_media_player_t* player = FPlayer;
    FRetiring.push_back(std::async(std::launch::async, [player] {
        libvlc_media_player_stop(player);
        libvlc_media_player_release(player);
    }));
    FPlayer = nullptr;
    FHasMedia = false;
}

// Runs on a libVLC thread: only hands the event over to the owner's thread.
void TVlcPlayback::OnEvent(const libvlc_event_t* event, void* listener) {
    if (event->type == libvlc_MediaPlayerESAdded &&
        event->u.media_player_es_changed.i_type != libvlc_track_text)
        return;
    const TListener from = *static_cast<const TListener*>(listener);
    const int type = event->type;
    QMetaObject::invokeMethod(
        from.Owner, [from, type] { from.Owner->HandleEvent(from.Generation, type); }, Qt::QueuedConnection);
}

void TVlcPlayback::HandleEvent(quint64 generation, int type) {
    if (!FPlayer || generation != FGeneration)
        return; // from a player retired since
    switch (type) {
    case libvlc_MediaPlayerEncounteredError:
        FEnded = true;
        emit Failed(FDiscFolder + " could not be played.");
        break;
    case libvlc_MediaPlayerEndReached:
        FEnded = true;
        emit Ended();
        break;
    case libvlc_MediaPlayerESAdded:
        ApplySubpicture();
        break;
    }
}

void TVlcPlayback::Deactivate() {
    Retire();
    FActive = false;
    FWanted = Stopped;
}

void TVlcPlayback::Activate(quintptr videoWindow) {
    Retire();
    FWindow = videoWindow;
    FActive = EnsureInstance();
    FWanted = Stopped;
    FEnded = false;
    if (FActive)
        NewPlayer();
}

void TVlcPlayback::Clear() {
    Retire();
    FWanted = Stopped;
}

void TVlcPlayback::RenderDvd(const QString& ifoPath) {
    // An image or a drive plays as it is; a folder by the folder of its VIDEO_TS.IFO.
    FDiscFolder = IsDiscFile(ifoPath) ? ifoPath : QFileInfo(ifoPath).absolutePath();
}

void TVlcPlayback::Run() {
    if (!FActive)
        return;
    if (FPlayer && FHasMedia) {
        if (FWanted == Paused && !FEnded)
            libvlc_media_player_set_pause(FPlayer, 0);
        else
            libvlc_media_player_play(FPlayer);
    }
    FEnded = false;
    FWanted = Playing;
}

void TVlcPlayback::Pause() {
    if (!FActive)
        return;
    if (FPlayer && FHasMedia)
        libvlc_media_player_set_pause(FPlayer, 1);
    FWanted = Paused;
}

void TVlcPlayback::Stop() {
    Retire();
    FWanted = Stopped;
}

TDvdPlayback::TState TVlcPlayback::State() const {
    if (!FActive)
        return Unavailable;
    if (!FPlayer || FEnded)
        return Stopped;
    return FWanted;
}

// libVLC 3 reads the title and chapter after "#" counted from 1 (a title 0 also plays the first one).
QString TVlcPlayback::Location(const QString& discFolder, int title, int chapter) {
    QString location = "dvdsimple://" + QString::fromLatin1(QUrl::toPercentEncoding(discFolder, "/"));
    location += QStringLiteral("#%1").arg(title);
    if (chapter > 0)
        location += QStringLiteral(":%1").arg(chapter);
    return location;
}

void TVlcPlayback::Play(int title, int chapter) {
    if (!FActive) {
        if (!FInstanceError.isEmpty())
            QMetaObject::invokeMethod(
                this, [this] { emit Failed(FInstanceError); }, Qt::QueuedConnection);
        return;
    }
    if (FHasMedia || !FPlayer) {
        Retire();
        NewPlayer();
    }
    if (!FPlayer)
        return;
    libvlc_media_t* media =
        libvlc_media_new_location(FInstance, Location(FDiscFolder, title, chapter).toUtf8());
    if (!media)
        return;
    libvlc_media_player_set_media(FPlayer, media);
    libvlc_media_release(media);
    FHasMedia = true;
    FEnded = false;
    if (FWanted == Playing)
        libvlc_media_player_play(FPlayer);
}

void TVlcPlayback::PlayTitle(int title) {
    Play(title, 0);
}

void TVlcPlayback::PlayChapterInTitle(int title, int chapter) {
    Play(title, chapter);
}

void TVlcPlayback::PlayAtTime(const TDvdTimeCode& time) {
    if (FPlayer && FHasMedia)
        libvlc_media_player_set_time(FPlayer,
                                     ((time.Hours * 60LL + time.Minutes) * 60 + time.Seconds) * 1000);
}

void TVlcPlayback::SetSubpictureState(bool on) {
    FSubpicturesOn = on;
    ApplySubpicture();
}

void TVlcPlayback::SelectSubpictureStream(int stream) {
    FSubpictureStream = stream;
    ApplySubpicture();
}

// libVLC lists a title's subtitles only once it has opened it, so the choice is applied again as each
// subtitle track appears.
void TVlcPlayback::ApplySubpicture() {
    if (!FPlayer || !FHasMedia)
        return;
    int wanted = -1;
    if (FSubpicturesOn && FSubpictureStream >= 0) {
        libvlc_track_description_t* list = libvlc_video_get_spu_description(FPlayer);
        int index = 0;
        for (libvlc_track_description_t* t = list; t; t = t->p_next) {
            if (t->i_id < 0)
                continue; // "Disable"
            if (index++ == FSubpictureStream)
                wanted = t->i_id;
        }
        libvlc_track_description_list_release(list);
        if (wanted < 0)
            return; // not there (yet)
    }
    if (libvlc_video_get_spu(FPlayer) != wanted)
        libvlc_video_set_spu(FPlayer, wanted);
}

int TVlcPlayback::ShownSubpictureStream() const {
    if (!FPlayer || !FHasMedia)
        return -1;
    const int current = libvlc_video_get_spu(FPlayer);
    int index = 0, shown = -1;
    libvlc_track_description_t* list = libvlc_video_get_spu_description(FPlayer);
    for (libvlc_track_description_t* t = list; t; t = t->p_next) {
        if (t->i_id < 0)
            continue;
        if (t->i_id == current)
            shown = index;
        ++index;
    }
    libvlc_track_description_list_release(list);
    return shown;
}

qint64 TVlcPlayback::TitleTimeMs() const {
    return FPlayer && FHasMedia ? libvlc_media_player_get_time(FPlayer) : -1;
}
