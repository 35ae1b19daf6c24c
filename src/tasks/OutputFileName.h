#pragma once

#include <QString>

// A text made fit to be part of a file name: "/" and NUL, which no Linux file name can hold, and control
// characters (newline, tab, escape, DEL and the 0x80-0x9f block), which listings and scripts show wrongly
// or split on, become "_".
QString SafeFileNamePart(const QString& text);
