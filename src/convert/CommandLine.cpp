#include "CommandLine.h"

QStringList SplitCommandLine(const QString& text) {
    QStringList args;
    QString current;
    bool inArgument = false, quoted = false;
    for (const QChar c : text) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (c == ' ' && !quoted) {
            if (inArgument)
                args << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        args << current;
    return args;
}
