#include "SubtitleTextJob.h"

#include "convert/DirectArgs.h"
#include "convert/DvdStreamReader.h"
#include "convert/ProgramStreamPacks.h"
#include "subtitles/SubPictureDecoder.h"
#include "subtitles/SubPictureSplitter.h"
#include "subtitles/TextPicture.h"
#include "subtitles/TextRecognizer.h"

#include <map>
#include <memory>
#include <set>

namespace {

// A picture larger than any disc's frame is damage: reading it would only cost time.
constexpr int kLargestSide = 2048;
constexpr int kPacksARead = 256;

} // namespace

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
    std::set<int> ids;
    std::map<int, size_t> streamOf;
    std::vector<std::unique_ptr<TTextRecognizer>> readers;
    for (const TListedStream& listed : reader.Outline().Subtitles) {
        if (!ids.insert(listed.Id).second)
            continue;
        TTextStream stream;
        stream.Stream = listed;
        auto recognizer = std::make_unique<TTextRecognizer>();
        if (!recognizer->Open(ReaderLanguageOf(listed.Language))) {
            const QString why = recognizer->ErrorText();
            recognizer = std::make_unique<TTextRecognizer>();
            if (!recognizer->Open("eng")) {
                FError = "subtitles cannot be read as text: " + recognizer->ErrorText();
                return;
            }
            FNotes << QStringLiteral("the %1 subtitles were read with English data (%2)").arg(listed.Language, why);
        }
        stream.ReaderLanguage = recognizer->Language();
        streamOf[listed.Id] = FStreams.size();
        FStreams.push_back(std::move(stream));
        readers.push_back(std::move(recognizer));
    }
    if (FStreams.empty())
        return;

    TSubPictureSplitter splitter(ids);
    std::vector<char> packs(size_t(kPacksARead) * kPackBytes);
    int64_t earliest = -1;
    while (!FCancel) {
        const qint64 read = reader.Read(packs.data(), qint64(packs.size()));
        if (read < 0) {
            FError = reader.ErrorText();
            return;
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
            TTextStream& stream = FStreams[streamOf[unit.StreamId]];
            const bool huge = shown.Bitmap.Width > kLargestSide || shown.Bitmap.Height > kLargestSide;
            if (!huge && TextColourOf(shown.Bitmap) < 0)
                continue; // a picture that shows nothing (a clearing unit, the stream's blank first one)
            ++stream.Pictures;
            const QString text = huge ? QString() : readers[streamOf[unit.StreamId]]->Read(TextOnWhite(shown.Bitmap));
            if (text.isEmpty()) {
                ++stream.Unread;
                continue;
            }
            const int64_t base = earliest < 0 ? 0 : earliest;
            TTextCue cue;
            cue.Start = double(shown.StartPts - base) / 90000.0 - offset;
            cue.End = shown.EndPts < 0 ? cue.Start - 1 : double(shown.EndPts - base) / 90000.0 - offset;
            cue.Text = text;
            cue.Forced = shown.Forced;
            stream.Cues.push_back(cue);
        }
    }
    for (TTextStream& stream : FStreams)
        stream.Cues = SettledCues(std::move(stream.Cues), input.Length);
    if (splitter.Dropped() > 0)
        FNotes << QStringLiteral("%1 damaged sub-pictures were skipped").arg(splitter.Dropped());
}
