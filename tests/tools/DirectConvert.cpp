// velloric-direct: one row of a disc converted by the direct engine, for the end-to-end tests and the
// benchmark until the program offers the engine itself. It selects the row as velloric-cli convert does.
//
//   velloric-direct DISC (--title N | --chapter N:M) [--audio K] [--subtitle K] [--angle K]
//                   [--start hh:mm:ss] [--end hh:mm:ss] [--size WxH] [--profile NAME] [--dry-run]
//                   --output FILE
#include "app/AppContext.h"
#include "app/TaskListModel.h"
#include "app/TimeText.h"
#include "convert/DirectEngine.h"
#include "convert/ProgressTracker.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "profiles/ArgumentBuilder.h"
#include "profiles/ProfileModel.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <cstdio>

namespace {

int Fail(const QString& text) {
    std::fprintf(stderr, "velloric-direct: %s\n", qPrintable(text));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return Fail("usage: velloric-direct DISC (--title N | --chapter N:M) [options] --output FILE");
    const QString disc = args.takeFirst();
    QString profile = "Any Player - MPEG-4 (MP4)", output, size, start, end;
    int title = 1, chapter = 0, audio = 0, subtitle = 0, angle = 0;
    bool dryRun = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--dry-run") {
            dryRun = true;
            continue;
        }
        if (i + 1 >= args.size())
            return Fail(a + " needs a value");
        const QString v = args[++i];
        if (a == "--title")
            title = v.toInt();
        else if (a == "--chapter")
            title = v.section(':', 0, 0).toInt(), chapter = v.section(':', 1, 1).toInt();
        else if (a == "--audio")
            audio = v.toInt();
        else if (a == "--subtitle")
            subtitle = v.toInt();
        else if (a == "--angle")
            angle = v.toInt();
        else if (a == "--start")
            start = v;
        else if (a == "--end")
            end = v;
        else if (a == "--size")
            size = v;
        else if (a == "--profile")
            profile = v;
        else if (a == "--output")
            output = v;
        else
            return Fail("unknown option " + a);
    }
    if (output.isEmpty())
        return Fail("--output FILE is missing");

    const QString programDir = IncludeTrailingSeparator(QCoreApplication::applicationDirPath() + "/../bin");
    TAppContext context;
    context.SetProgramDir(programDir);
    TTaskListModel tasks(context);
    auto library = CreateDvdReadAccess();
    if (!LoadDisc(disc, context, tasks, *library).LibraryOpened || title < 1 || title > tasks.TitleCount())
        return Fail(disc + ": no title " + QString::number(title));
    TTaskNode* row = tasks.Title(title - 1);
    if (chapter > 0) {
        if (chapter > int(row->Children.size()))
            return Fail("no such chapter");
        row = row->Children[size_t(chapter - 1)].get();
    }
    row->AudioIndex = row->AudioLanguageIndex = audio;
    row->SubtitleIndex = subtitle;
    row->AngleIndex = angle;
    if (!start.isEmpty() || !end.isEmpty())
        tasks.SetTrimmedRange(row, start.isEmpty() ? row->FullStart : TimeTextToSeconds(start),
                              end.isEmpty() ? row->FullEnd : TimeTextToSeconds(end));

    TParamGrids grids = TParamGrids::Initial();
    const QString profilePath = ProfilePath(programDir, profile);
    const TProfileLoad load = LoadProfileRows(profilePath, grids);
    if (!load.Error.isEmpty())
        return Fail(profilePath + ": " + load.Error);
    if (!size.isEmpty())
        grids.SetRowText(TParamGrids::Video, "Video Size", size);
    TMencOutputSettings settings;
    BuildStageOneArgs(profilePath, grids, settings);
    const QString stageTwo = BuildStageTwoArgs(profilePath, grids);

    TDvdStreamReader reader;
    if (!OpenRowStream(reader, context.DVDInformation.DiscPath, *row))
        return Fail(reader.ErrorText());
    const QStringList ffmpeg = DirectArguments(reader, *row, stageTwo, settings, output);
    if (dryRun) {
        std::printf("%s\n", qPrintable(ffmpeg.join(' ')));
        return 0;
    }

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(programDir + "wmaspi.dll", ffmpeg, QIODevice::ReadWrite);
    if (!process.waitForStarted())
        return Fail(process.errorString());
    TDirectFeeder feeder(reader, process);
    QByteArray log;
    double time = 0;
    const double length = TimeTextToSeconds(row->CurEndText) - TimeTextToSeconds(row->CurStartText);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyRead, [&] {
        const QByteArray chunk = process.readAll();
        log += chunk;
        // Progress as the driver reads it: the last "time=" against the row's range.
        const qsizetype at = chunk.lastIndexOf("time=");
        if (at >= 0 && ReadStageTwoTime(QString::fromLatin1(chunk.mid(at + 5, 11)), time) && length > 0)
            std::fprintf(stderr, "progress %d\n", int(std::min(100.0, 100 * time / length)));
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    log += process.readAll();
    if (feeder.Failed() || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s\n", log.right(3000).constData());
        return Fail(feeder.Failed() ? feeder.ErrorText()
                                    : "FFmpeg exited with code " + QString::number(process.exitCode()));
    }
    return 0;
}
