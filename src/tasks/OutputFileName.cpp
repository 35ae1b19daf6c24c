#include "OutputFileName.h"

QString SafeFileNamePart(const QString& text) {
    QString safe = text;
    for (QChar& c : safe) {
        const char16_t u = c.unicode();
        if (c == '/' || u < 0x20 || (u >= 0x7f && u < 0xa0))
            c = '_';
    }
    return safe;
}
