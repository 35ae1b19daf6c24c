#include "SubtitleTextJob.h"

#include "convert/DirectArgs.h"
#include "convert/DvdStreamReader.h"
#include "convert/ProgramStreamPacks.h"
#include "subtitles/SubPictureDecoder.h"
#include "subtitles/SubPictureSplitter.h"
#include "subtitles/TextPicture.h"
#include "subtitles/TextRecognizer.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace {

// A picture larger than any disc's frame is damage: reading it would only cost time.
constexpr int kLargestSide = 2048;
constexpr int kPacksARead = 256;
// Pictures decoded ahead of a stream's text reader: the disc is read far faster than the text.
constexpr size_t kWaitingMost = 4;

// A decoded picture on its way to its stream's text reader, its times on the output's time line.
struct TWaitingPicture {
    TSubtitleBitmap Bitmap;
    double Start = 0, End = 0;
    bool Forced = false;
};

} // namespace

// One stream's text reader on a thread of its own, and the pictures waiting for it.
struct TSubtitleTextJob::TStreamWork {
    TTextStream Stream;
    QString Note, Error; // English data read the stream; no data at all could be loaded
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<TWaitingPicture> Waiting;
    bool Closed = false; // no more pictures come
    std::thread Thread;

    // Blocks while the reader is behind; false once the job is cancelled or the reader has given up. A
    // cancel wakes neither side: the disc's reader sees it at its next read and closes every stream, a
    // text reader at its next picture and closes its own.
    bool Hand(TWaitingPicture picture, const std::atomic<bool>& cancel) {
        std::unique_lock lock(Lock);
        Changed.wait(lock, [&] { return Waiting.size() < kWaitingMost || Closed || cancel; });
        if (Closed || cancel)
            return false;
        Waiting.push_back(std::move(picture));
        Changed.notify_all();
        return true;
    }

    void Close() {
        std::lock_guard lock(Lock);
        Closed = true;
        Changed.notify_all();
    }

    void Read(const std::atomic<bool>& cancel) {
        ReadAll(cancel);
        Close(); // the disc's reader stops handing pictures to a reader that gave up
    }

    void ReadAll(const std::atomic<bool>& cancel) {
        TTextRecognizer recognizer;
        if (!recognizer.Open(ReaderLanguageOf(Stream.Stream.Language))) {
            const QString why = recognizer.ErrorText();
            if (!recognizer.Open("eng")) {
                Error = recognizer.ErrorText();
                return;
            }
            Note = QStringLiteral("the %1 subtitles were read with English data (%2)")
                       .arg(Stream.Stream.Language, why);
        }
        Stream.ReaderLanguage = recognizer.Language();
        for (;;) {
            TWaitingPicture picture;
            {
                std::unique_lock lock(Lock);
                Changed.wait(lock, [&] { return !Waiting.empty() || Closed || cancel; });
                if (cancel || Waiting.empty())
                    return;
                picture = std::move(Waiting.front());
                Waiting.pop_front();
                Changed.notify_all();
            }
            const TSubtitleBitmap& bitmap = picture.Bitmap;
            const bool huge = bitmap.Width > kLargestSide || bitmap.Height > kLargestSide;
            if (!huge && TextColourOf(bitmap) < 0)
                continue; // a picture that shows nothing (a clearing unit, the stream's blank first one)
            ++Stream.Pictures;
            const QString text = huge ? QString() : recognizer.Read(TextOnWhite(bitmap));
            if (text.isEmpty()) {
                ++Stream.Unread;
                continue;
            }
            Stream.Cues.push_back({picture.Start, picture.End, text, picture.Forced});
        }
    }
};

TSubtitleTextJob::~TSubtitleTextJob() {
    Cancel();
    Wait();
}

void TSubtitleTextJob::Start(const TTextJobInput& input) {
    if (FThread.joinable())
        return;
    FRunning = true;
    FThread = std::thread([this, input] {
        Run(input);
        FRunning = false;
    });
}

void TSubtitleTextJob::Wait() {
    if (FThread.joinable())
        FThread.join();
}

void TSubtitleTextJob::Run(const TTextJobInput& input) {
    TDvdStreamReader reader;
    if (!reader.Open(input.DiscPath, input.Title, input.Angle, input.Start, input.End)) {
        FError = reader.ErrorText();
        return;
    }
    const double offset = reader.OffsetSeconds();
    TSubPictureDecoder decoder(PaletteArgument(reader.Palette()));
    if (!decoder.Ready()) {
        FError = "FFmpeg's DVD subtitle decoder cannot be opened";
        return;
    }
    // Each stream's reader loads its language data at once, while the disc is read and the encoder starts.
    std::set<int> ids;
    std::map<int, TStreamWork*> workOf;
    std::vector<std::unique_ptr<TStreamWork>> works;
    for (const TListedStream& listed : reader.Outline().Subtitles) {
        if (!ids.insert(listed.Id).second)
            continue;
        works.push_back(std::make_unique<TStreamWork>());
        TStreamWork* work = works.back().get();
        work->Stream.Stream = listed;
        workOf[listed.Id] = work;
        work->Thread = std::thread([work, this] { work->Read(FCancel); });
    }
    const auto finish = [&] {
        for (const auto& work : works) {
            work->Close();
            work->Thread.join();
        }
    };
    if (works.empty())
        return;

    TSubPictureSplitter splitter(ids);
    std::vector<char> packs(size_t(kPacksARead) * kPackBytes);
    int64_t earliest = -1;
    while (!FCancel) {
        const qint64 read = reader.Read(packs.data(), qint64(packs.size()));
        if (read < 0) {
            FError = reader.ErrorText();
            break;
        }
        if (read == 0)
            break;
        const auto* bytes = reinterpret_cast<const unsigned char*>(packs.data());
        const int count = int(read / kPackBytes);
        if (earliest < 0) {
            int64_t video = -1;
            FirstTimestamps(bytes, count, earliest, video);
        }
        splitter.Feed(bytes, count);
        for (const TSubPictureUnit& unit : splitter.Take()) {
            TShownSubPicture shown;
            if (FCancel || !decoder.Decode(unit, shown))
                continue;
            const int64_t base = earliest < 0 ? 0 : earliest;
            TWaitingPicture picture;
            picture.Start = double(shown.StartPts - base) / 90000.0 - offset;
            picture.End =
                shown.EndPts < 0 ? picture.Start - 1 : double(shown.EndPts - base) / 90000.0 - offset;
            picture.Forced = shown.Forced;
            picture.Bitmap = std::move(shown.Bitmap);
            workOf[unit.StreamId]->Hand(std::move(picture), FCancel);
        }
    }
    finish();
    for (const auto& work : works)
        if (!work->Error.isEmpty() && FError.isEmpty())
            FError = "subtitles cannot be read as text: " + work->Error;
    if (!FError.isEmpty())
        return;
    for (const auto& work : works) {
        if (!work->Note.isEmpty())
            FNotes << work->Note;
        work->Stream.Cues = SettledCues(std::move(work->Stream.Cues), input.Length);
        FStreams.push_back(std::move(work->Stream));
    }
    if (splitter.Dropped() > 0)
        FNotes << QStringLiteral("%1 damaged sub-pictures were skipped").arg(splitter.Dropped());
}
