#include "DvdReadVersion.h"

#include <QFileInfo>
#include <dlfcn.h>
#include <dvdread/dvd_reader.h>
#include <dvdread/version.h>

QString DvdReadVersionText() {
    QString text = QStringLiteral("libdvdread " DVDREAD_VERSION_STRING);
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DVDOpen2), &info) != 0 && info.dli_fname)
        text += " (" +
                QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath().section('/', -1) + ")";
    return text;
}
