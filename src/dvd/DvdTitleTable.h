#pragma once

#include "LibraryChild.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// What the DVD library tells of a disc's titles, read from a folder that holds only information files
// that passed the bounds checks (see DvdReadAccess.cpp).

struct TDvdTitle {
    int TitleSet = 0; // title-set number, from 1; 0 when the title names none
    int Angles = 0;
    int Chain = 0; // program chain number within the title set, from 1; 0 when it cannot be placed
};

struct TDvdTitleTable {
    std::vector<TDvdTitle> Titles;
    QString Error; // "<file>: <problem>"; empty when the table was read
};

// Runs the library in this process and writes what it reads as a stream of numbers to sink. A damaged file
// can still make the library crash here.
void WriteDvdTitleTable(const char* folder, const std::function<void(const int32_t*, size_t)>& sink);
using TDvdTableWriter = void (*)(const char* folder, const std::function<void(const int32_t*, size_t)>& sink);

// WriteDvdTitleTable in this process, its stream turned back into the table. files maps a title-set number
// (0: the menu) to the information file the library read for it, to name it in errors.
TDvdTitleTable ReadDvdTitleTableHere(const QString& folder, const std::function<QString(int)>& files);

// Runs writer (WriteDvdTitleTable; tests put a failing one) in a child process, so that whatever the
// library does on a damaged file, this process carries on: a crash or a child that goes beyond bounds is an
// error naming the file the library was reading.
TDvdTitleTable ReadDvdTitleTable(const QString& folder, const std::function<QString(int)>& files,
                                 const TChildBounds& bounds = {}, TDvdTableWriter writer = WriteDvdTitleTable);
