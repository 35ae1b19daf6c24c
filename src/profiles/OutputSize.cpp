#include "OutputSize.h"

#include <QStringList>

QString OutputSideProblem(int value) {
    if (value <= 0)
        return QStringLiteral("it must be more than 0 (it is %1)").arg(value);
    if (value % 2 != 0)
        return QStringLiteral("it must be even (it is %1)").arg(value);
    if (value > kMaxOutputSide)
        return QStringLiteral("it must be at most %1 (it is %2)").arg(kMaxOutputSide).arg(value);
    return {};
}

bool ReadOutputSize(const QString& text, int& width, int& height, QString& problem) {
    const QStringList sides = text.split('x', Qt::KeepEmptyParts, Qt::CaseInsensitive);
    bool wide = false, high = false;
    if (sides.size() == 2) {
        width = sides[0].toInt(&wide);
        height = sides[1].toInt(&high);
    }
    if (!wide || !high) {
        problem = "\"" + text + "\" is not a size: give it as WIDTHxHEIGHT, for example 640x480";
        return false;
    }
    for (const auto& [name, value] : {std::pair{"width", width}, std::pair{"height", height}})
        if (const QString why = OutputSideProblem(value); !why.isEmpty()) {
            problem = QStringLiteral("the %1 of %2: %3").arg(name, text, why);
            return false;
        }
    return true;
}
