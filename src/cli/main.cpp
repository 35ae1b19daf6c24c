// velloric-cli: the program's core from a terminal.
//   velloric-cli list PATH     the task list of the disc at PATH, as JSON
#include "app/AppContext.h"
#include "app/TaskListModel.h"
#include "cli/TaskListJson.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"

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
                           "  list PATH    print the titles and chapters of the DVD-Video folder PATH\n"
                           "               (a VIDEO_TS folder or a folder that holds one) as JSON\n"
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
    if (!QFileInfo(path).isDir())
        return Fail(path + ": not a folder");

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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return std::fputs(kUsage, stderr), ExitBadInput;
    const QString command = args.takeFirst();
    if (command == "--help" || command == "-h")
        return std::fputs(kUsage, stdout), ExitOk;
    if (command == "--version")
        return std::printf("velloric-cli %s\n", VELLORIC_VERSION), ExitOk;
    if (command == "list")
        return List(args);
    return Fail("unknown command '" + command + "' (see --help)");
}
