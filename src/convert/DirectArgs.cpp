#include "DirectArgs.h"

#include "convert/CommandLine.h"
#include "convert/DisplayAspect.h"
#include "convert/FieldChoice.h"
#include "convert/KeptStreams.h"
#include "profiles/ArgumentBuilder.h"
#include "profiles/IniText.h"

#include <algorithm>
#include <cmath>

namespace {

QString Seconds3(double seconds) {
    return QString::number(seconds, 'f', 3);
}

QString Hex(int id) {
    return "0x" + QString::number(id, 16);
}

// The picture scaled to the target width at its display aspect and padded to the target size, as stage
// one's scale and expand filters do it; empty without a custom size.
QString SizeFilter(const TMencOutputSettings& settings, const QString& titleAspect) {
    int width = 0, height = 0;
    if (settings.Size.isEmpty() || !TextToInt(settings.Width, width) || !TextToInt(settings.Height, height) ||
        width <= 0 || height <= 0)
        return {};
    const double ratio = ScalingRatio(settings, titleAspect);
    const long long scaled = std::min<long long>(height, std::llrint(width / ratio));
    return QStringLiteral("scale=%1:%2,pad=%1:%3:(ow-iw)/2:(oh-ih)/2,setsar=1")
        .arg(width)
        .arg(scaled)
        .arg(height);
}

} // namespace

QString PaletteArgument(const std::array<uint32_t, 16>& ycrcb) {
    if (std::all_of(ycrcb.begin(), ycrcb.end(), [](uint32_t entry) { return entry == 0; }))
        return {};
    QStringList colours;
    for (uint32_t entry : ycrcb) {
        // ITU-R BT.601, studio range, as the disc stores its colours.
        const double y = 1.164 * (int((entry >> 16) & 0xff) - 16);
        const int cr = int((entry >> 8) & 0xff) - 128, cb = int(entry & 0xff) - 128;
        const auto channel = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
        const int r = channel(y + 1.596 * cr), g = channel(y - 0.813 * cr - 0.391 * cb),
                  b = channel(y + 2.018 * cb);
        colours << QStringLiteral("%1%2%3")
                       .arg(r, 2, 16, QChar('0'))
                       .arg(g, 2, 16, QChar('0'))
                       .arg(b, 2, 16, QChar('0'));
    }
    return colours.join(',');
}

QStringList BuildDirectArguments(const TDirectArgsInput& in) {
    // The profile's own video filter joins the one chain; everything else it says is passed on as it is.
    QStringList profile = WithFieldFilter(SplitCommandLine(in.StageTwoText), in.FieldFilter);
    const bool copyVideo = CopiesVideo(profile);
    profile = WithoutEncoderOptions(profile);
    QString profileFilter;
    for (qsizetype i = 0; i < profile.size();) {
        if (profile[i] == "-vf" && i + 1 < profile.size()) {
            profileFilter = profile[i + 1];
            profile.remove(i, 2);
        } else {
            ++i;
        }
    }
    const bool video = !profile.contains("-vn"), audio = !profile.contains("-an");

    QStringList args{"-n"}; // the partial file is made afresh: nothing is ever written over
    // A copied picture cannot have a subtitle laid on it.
    const bool subtitle = video && !copyVideo && in.SubtitleStreamId >= 0;
    const QString palette = PaletteArgument(in.Palette);
    if ((subtitle || !in.SubtitleTracks.empty()) && !palette.isEmpty())
        args << "-palette" << palette;
    if (!in.SubtitleTracks.empty() && !in.CanvasSize.isEmpty())
        args << "-canvas_size" << in.CanvasSize;
    // A copied picture needs every packet stamped (the disc stamps only some), and starts at a key frame:
    // cutting the little lead before a cell's first picture would drop its whole first group of pictures.
    const double cut = copyVideo && in.OffsetSeconds < 0.5 ? 0 : in.OffsetSeconds;
    if (copyVideo)
        args << "-fflags"
             << "+genpts";
    // With a second input FFmpeg reads each on a thread of its own and naps whenever the stream's queue is
    // empty: a small queue made a copy ten times slower than the disc could be read.
    if (!in.Chapters.empty())
        args << "-thread_queue_size"
             << "512";
    args << "-f"
         << "mpeg"
         << "-i" << in.Input;
    const double length = in.LengthSeconds > 0 ? in.LengthSeconds : 0;
    // FFmpeg moves the chapters back by the output's start (-ss): they are given where they lie in the input.
    args << ChapterInputArguments(in.Chapters, length, cut);
    if (video && copyVideo) {
        args << "-map"
             << "0:v:0";
    } else if (video) {
        const QString size = SizeFilter(in.Settings, in.TitleAspect);
        if (subtitle) {
            // Deinterlacing comes before the subtitle is laid on, the size after it.
            args << "-filter_complex"
                 << QStringLiteral("[0:v:0]%1[in];[in][0:i:%2]overlay[over];[over]%3[video]")
                        .arg(profileFilter.isEmpty() ? "null" : profileFilter, Hex(in.SubtitleStreamId),
                             size.isEmpty() ? "null" : size)
                 << "-map"
                 << "[video]";
        } else {
            args << "-map"
                 << "0:v:0";
            const QString chain =
                profileFilter.isEmpty() || size.isEmpty() ? profileFilter + size : profileFilter + "," + size;
            if (!chain.isEmpty())
                args << "-vf" << chain;
        }
    }
    if (audio && in.AudioStreams.empty())
        args << "-map" << (in.AudioStreamId >= 0 ? "0:i:" + Hex(in.AudioStreamId) : QStringLiteral("0:a:0?"));
    args << profile;
    TKeptStreams kept;
    if (audio)
        kept.Audio = in.AudioStreams;
    kept.Subtitles = in.SubtitleTracks;
    kept.Palette = palette;
    kept.Container = ContainerOf(in.OutputPath);
    kept.CopyAudio = CopiesAudio(profile);
    // Matroska leaves the picture without the default flag once the other tracks set theirs.
    if (video && (!kept.Audio.empty() || !kept.Subtitles.empty()))
        args << "-disposition:v:0"
             << "default";
    args << KeptStreamArguments(kept) << ChapterMapArguments(in.Chapters, 1);
    if (cut > 0)
        args << "-ss" << Seconds3(cut);
    if (in.LengthSeconds > 0)
        args << "-t" << Seconds3(in.LengthSeconds);
    TMencOutputSettings shape = in.Settings;
    if (copyVideo) // the picture keeps its size
        shape.Size.clear();
    const QString aspect = video ? OutputDisplayAspect(shape, in.TitleAspect) : QString();
    if (!aspect.isEmpty())
        args << "-aspect" << aspect;
    args << in.OutputPath;
    return args;
}
