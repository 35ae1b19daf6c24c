// The whole disc load on a disc image made of the fuzzer's bytes, through the real DVD library in this
// process: whatever the image holds (cut descriptors, a folder inside itself, files past its end), the load
// lists titles or ends with an error that names the image, and never crashes or hangs.
//
// Seeds: the first megabyte of an image of a sample disc holds its file system and information files
// (genisoimage -dvd-video puts them first); see the line in CMakeLists.txt.
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/IfoReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir root(QDir::tempPath() + "/velloric-image-fuzz-XXXXXX");
    const QString image = root.path() + "/disc.iso";
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    TAppContext context;
    TTaskListModel tasks(context);
    auto library = CreateDvdReadAccess(TLibraryProcess::Own);
    try {
        LoadDisc(image, context, tasks, *library);
    } catch (const EIfoError&) {
    }
    return 0;
}
