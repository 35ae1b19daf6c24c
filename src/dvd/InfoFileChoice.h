#pragma once

#include "IfoTypes.h"

#include <QString>
#include <vector>

// A disc keeps each information file twice, NAME.IFO and its backup NAME.BUP. The program reads the .IFO
// when it passes the bounds checks and the .BUP when only the backup does; with neither, the disc is
// refused with the file's name and its problem. Names match in any letter case.

struct TInfoFileChoice {
    QString Path;       // the copy to read; empty when neither passes
    QString Error;      // "<file>: <problem>" (and the backup's problem) when neither passes
    QString PassedOver; // "<file>: <problem>" of the .IFO when the .BUP was chosen
};

// The entry named name in folder, in whatever letter case it is stored; folder + name when there is none.
QString FindEntry(const QString& folder, const QString& name);

// VIDEO_TS.IFO or VIDEO_TS.BUP of the folder (which ends in "/"). ifoProblem, when set, is a problem of
// the .IFO found otherwise (the DVD library refused it): only the .BUP is then checked.
TInfoFileChoice ChooseVideoManagerFile(const QString& folder, const QString& ifoProblem = {});

// VTS_nn_0.IFO or VTS_nn_0.BUP, parsed; parsed is filled from the chosen copy.
TInfoFileChoice ChooseTitleSetFile(const QString& folder, int number, TIFO* parsed = nullptr);

// Numbers of the title sets that have an .IFO or a .BUP in the folder, ascending.
std::vector<int> TitleSetNumbers(const QString& folder);
