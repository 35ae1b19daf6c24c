#pragma once

#include <QString>

class QIODevice;

// Bounds checks of a disc's information files, made before the DVD library reads them: the library trusts
// the counts and offsets it finds and can crash on a damaged file. Each check returns the problem as a
// short text, or an empty text when the file is sound enough to hand over.

// The problem of a path that is not a regular file once links are followed (missing, a folder, a FIFO,
// a device): opening a FIFO blocks, and a device or folder is no information file.
QString NonRegularFileProblem(const QString& path);

// VIDEO_TS.IFO (or its backup): the header, the title table and every table the library loads with it.
QString CheckVideoManagerFile(QIODevice& device);

// VTS_xx_0.IFO (or its backup): the tables the library loads beyond what ReadIfo already checks.
QString CheckTitleSetFile(QIODevice& device);
