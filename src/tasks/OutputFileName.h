#pragma once

#include <QString>

// A text made fit to be part of a file name: "/" and NUL, which no Linux file name can hold, become "_".
QString SafeFileNamePart(const QString& text);
