#include "TimeText.h"

#include <QRegularExpression>
#include <cmath>

QString SecondsToTimeText(double seconds) {
    const long long r = std::llrint(seconds); // the default rounding mode sends halves to even
    const auto two = [](long long n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return two(r / 3600) + ':' + two(r % 3600 / 60) + ':' + two(r % 60);
}

double TimeTextToSeconds(const QString& text) {
    const qsizetype first = text.indexOf(':');
    if (first < 0)
        return -1;
    const QString rest = text.mid(first + 1);
    const qsizetype second = rest.indexOf(':');
    if (second < 0)
        return -1;
    static const QRegularExpression integer(QStringLiteral("^[0-9]+$"));
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));
    const QString h = text.left(first), m = rest.left(second), s = rest.mid(second + 1);
    if (!integer.match(h).hasMatch() || !integer.match(m).hasMatch() || !decimal.match(s).hasMatch())
        return -1;
    return h.toLongLong() * 3600 + m.toLongLong() * 60 + s.toDouble();
}
