#include "OutputFileName.h"

QString SafeFileNamePart(const QString& text) {
    QString safe = text;
    safe.replace(QChar('/'), QChar('_'));
    safe.replace(QChar(0), QChar('_'));
    return safe;
}
