// The whole disc load on a folder built from the fuzzer's bytes, through the real DVD library: whatever the
// files hold, the load lists titles or ends with an error that names a file, and never crashes or hangs.
// The library runs in this process here, so a fault it meets past our checks shows as a crash.
//
// The bytes are the files one after another, separated by kSeparator: VIDEO_TS.IFO, VIDEO_TS.BUP, then
// VTS_01_0.IFO, VTS_02_0.IFO and so on (make-seeds.sh packs real discs this way).
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>

namespace {

const QByteArray kSeparator = "@@NEXT-FILE@@";

QString NameOf(int part) {
    if (part == 0)
        return "VIDEO_TS.IFO";
    if (part == 1)
        return "VIDEO_TS.BUP";
    return QStringLiteral("VTS_%1_0.IFO").arg(part - 1, 2, 10, QLatin1Char('0'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir root(QDir::tempPath() + "/velloric-fuzz-XXXXXX");
    const QString folder = root.path() + "/VIDEO_TS/";
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype from = 0;
    for (int part = 0; part < 12 && from <= bytes.size(); ++part) {
        qsizetype to = bytes.indexOf(kSeparator, from);
        if (to < 0)
            to = bytes.size();
        QFile file(folder + NameOf(part));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes.mid(from, to - from));
        from = to + kSeparator.size();
    }

    TAppContext context;
    TTaskListModel tasks(context);
    auto library = CreateDvdReadAccess(TLibraryProcess::Own);
    try {
        LoadDisc(folder, context, tasks, *library);
    } catch (const EIfoError&) {
    }
    return 0;
}
