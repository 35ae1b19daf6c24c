#include "FreeSpace.h"

#include "profiles/ArgumentBuilder.h"

#include <QStorageInfo>

namespace {

constexpr double kStageOneAudioBits = 192000; // the MP3 work audio at its richest
constexpr double kStageTwoFallbackBits = 2000000;
constexpr qint64 kContainerBytes = 1 << 20;

// "800000", "800k" or "1.5M" as bits per second; -1 when the text is none of these.
double BitsOf(const QString& text) {
    QString number = text.trimmed();
    double scale = 1;
    if (number.endsWith('k', Qt::CaseInsensitive))
        scale = 1e3;
    else if (number.endsWith('M'))
        scale = 1e6;
    if (scale != 1)
        number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && value >= 0 ? value * scale : -1;
}

double ValueAfter(const QStringList& args, const QStringList& switches) {
    for (qsizetype i = 0; i + 1 < args.size(); ++i)
        if (switches.contains(args[i]))
            return BitsOf(args[i + 1]);
    return -1;
}

QString Megabytes(qint64 bytes) {
    return QString::number(double(bytes) / (1 << 20), 'f', 1) + " MB";
}

} // namespace

qint64 WorkFileBytes(const TMencOutputSettings& settings, double seconds) {
    double video = BitsOf(settings.VideoBitrate);
    if (video < 0)
        video = kStageTwoFallbackBits;
    else if (video <= 16000) // MEncoder reads small values as kbit/s
        video *= 1000;
    return qint64((video + kStageOneAudioBits) * seconds / 8) + kContainerBytes;
}

qint64 OutputFileBytes(const QStringList& args, double seconds) {
    double video = args.contains("-vn") ? 0 : ValueAfter(args, {"-b", "-b:v", "-vb"});
    if (video < 0)
        video = kStageTwoFallbackBits;
    double audio = args.contains("-an") ? 0 : ValueAfter(args, {"-ab", "-b:a"});
    if (audio < 0)
        audio = kStageOneAudioBits;
    return qint64((video + audio) * seconds / 8) + kContainerBytes;
}

QString SpaceProblem(const QString& workDir, qint64 workBytes, const QString& outputDir, qint64 outputBytes) {
    const QStorageInfo work(workDir), output(outputDir);
    const bool shared = work.isValid() && output.isValid() && work.rootPath() == output.rootPath() &&
                        work.device() == output.device();
    const auto check = [](const QStorageInfo& where, const QString& what, const QString& folder,
                          qint64 needed) -> QString {
        if (!where.isValid() || where.bytesAvailable() < 0 || where.bytesAvailable() * 2 >= needed)
            return {};
        return "There is not enough free space in the " + what + " " + folder + ": about " +
               Megabytes(needed) + " is needed, " + Megabytes(where.bytesAvailable()) + " is free.";
    };
    if (shared)
        return check(work, "work and output folder", outputDir, workBytes + outputBytes);
    QString problem = check(work, "work folder", workDir, workBytes);
    return problem.isEmpty() ? check(output, "output folder", outputDir, outputBytes) : problem;
}
