// velloric-cli: the program's core from a terminal.
//   velloric-cli list PATH       the task list of the disc at PATH, as JSON
//   velloric-cli profiles        the profile names, in the order the window lists them
//   velloric-cli args PROFILE    the encoder arguments the profile's saved choices give
//   velloric-cli convert PATH    convert rows of the disc (see ConvertCommand.cpp)
#include "tasks/AppContext.h"
#include "dvd/DiscSource.h"
#include "tasks/TaskListModel.h"
#include "cli/ConvertCommand.h"
#include "cli/TaskListJson.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"
#include "profiles/ArgumentBuilder.h"
#include "profiles/ProfileModel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <cstdio>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitBadInput = 2;

const char* const kUsage = "Usage: velloric-cli COMMAND [ARGS]\n"
                           "\n"
                           "Commands:\n"
                           "  list PATH    print the titles and chapters of the DVD-Video disc at PATH as JSON:\n"
                           "               a VIDEO_TS folder or a folder that holds one, a disc image\n"
                           "               (.iso) or a drive read directly (/dev/sr0, a loop device)\n"
                           "  profiles     list the conversion profiles of the program folder\n"
                           "  args PROFILE print the stage-one and stage-two encoder arguments of PROFILE\n"
                           "               (a name from 'profiles', or the path of an .apf file)\n"
                           "\n"
                           "Options:\n"
                           "  --help       show this text\n"
                           "  --version    show the version\n";

int Fail(const QString& message) {
    std::fprintf(stderr, "velloric-cli: %s\n", qPrintable(message));
    return ExitBadInput;
}

int List(const QStringList& args) {
    if (args.size() != 1)
        return Fail("list takes one PATH (see --help)");
    const QString path = args.first();
    if (DiscKindOf(path) == TDiscKind::Other)
        return Fail(path + ": not a folder, nor a disc image (.iso), nor a drive");

    TAppContext context;
    TTaskListModel tasks(context);
    auto library = CreateDvdReadAccess();
    try {
        const TLoadResult result = LoadDisc(path, context, tasks, *library);
        if (!result.LibraryOpened)
            return Fail(result.LibraryError);
    } catch (const EIfoError& e) {
        return Fail(QString::fromStdString(e.what()));
    }
    tasks.CheckLongestTitle();
    const QByteArray json = QJsonDocument(TaskListToJson(context, tasks)).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return ExitOk;
}

QString ProgramDir() {
    return IncludeTrailingSeparator(QCoreApplication::applicationDirPath());
}

TAppPaths Paths() {
    return TAppPaths::ForProgramDir(ProgramDir());
}

int Profiles(const QStringList& args) {
    if (!args.isEmpty())
        return Fail("profiles takes no arguments (see --help)");
    for (const QString& name : Paths().ProfileNames())
        std::printf("%s\n", qPrintable(name));
    return ExitOk;
}

int Args(const QStringList& args) {
    if (args.size() != 1)
        return Fail("args takes one PROFILE (see --help)");
    const QString path =
        args.first().endsWith(".apf", Qt::CaseInsensitive) && QFileInfo(args.first()).isFile()
            ? args.first()
            : Paths().ProfilePath(args.first());
    if (!QFileInfo(path).isFile())
        return Fail(path + ": no such profile (velloric-cli profiles lists them)");
    TParamGrids grids = TParamGrids::Initial();
    const TProfileLoad load = LoadProfileRows(path, grids);
    if (!load.Error.isEmpty())
        return Fail(path + ": " + load.Error);
    TMencOutputSettings settings;
    std::printf("%s\n", qPrintable(BuildStageOneArgs(path, grids, settings)));
    std::printf("%s\n", qPrintable(BuildStageTwoArgs(path, grids)));
    return ExitOk;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString usage =
        QString::fromLatin1(kUsage).replace("\nOptions:", QString::fromLatin1(kConvertUsage) + "\nOptions:");
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return std::fputs(qPrintable(usage), stderr), ExitBadInput;
    const QString command = args.takeFirst();
    if (command == "--help" || command == "-h")
        return std::fputs(qPrintable(usage), stdout), ExitOk;
    if (command == "--version")
        return std::printf("velloric-cli %s\n", VELLORIC_VERSION), ExitOk;
    if (command == "list")
        return List(args);
    if (command == "profiles")
        return Profiles(args);
    if (command == "args")
        return Args(args);
    if (command == "convert")
        return RunConvertCommand(args, ProgramDir());
    return Fail("unknown command '" + command + "' (see --help)");
}
