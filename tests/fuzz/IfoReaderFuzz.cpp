// Any bytes given to the IFO reader either parse or raise EIfoError.
#include "dvd/IfoReader.h"

#include <QBuffer>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    try {
        ReadIfo(buffer, QStringLiteral("fuzz.IFO"));
    } catch (const EIfoError&) {
    }
    return 0;
}
