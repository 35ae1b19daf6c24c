#pragma once

#include <QString>
#include <QStringList>

// The arguments of a command line text: blanks separate them, and a stretch in double quotes is one
// argument without its quotes (so "a b" stays whole and "" is an empty argument).
QStringList SplitCommandLine(const QString& text);
