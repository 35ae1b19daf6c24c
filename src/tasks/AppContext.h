#pragma once

#include "tasks/AppPaths.h"
#include "dvd/DiscInformation.h"
#include "dvd/IfoTypes.h"
#include "profiles/ArgumentBuilder.h"

#include <QString>
#include <vector>

// What the program keeps for its whole run: the opened disc and the run-wide settings.
// One object is passed down instead of globals, so tests can run side by side.
struct TAppContext {
    QString ProgramDir; // ends in "/"
    TAppPaths Paths;    // where the program's files are, for the layout ProgramDir belongs to
    std::vector<TTitleSet> TitleSets;
    TDVDInformation DVDInformation;
    QString WorkDir;
    QString OutputExt; // "." + the profile's type; empty until a profile is loaded
    TMencOutputSettings MencOutputSettings;

    // Sets the program folder and, with it, where every file of the program is found.
    void SetProgramDir(const QString& dir) {
        ProgramDir = dir;
        Paths = TAppPaths::ForProgramDir(dir);
    }
};
