#pragma once

#include <QString>
#include <QStringList>

// Where the program finds and keeps its files. Two layouts:
// - a program folder that holds its own Profiles folder and can be written (the build tree, a portable
//   copy): everything lives in the program folder;
// - an installed program (bin/ beside share/velloric/ and lib/velloric/): shipped files are read from
//   share/velloric/, the encoders from lib/velloric/, the user's settings and saved profiles live in the
//   XDG config folder, the work file in the XDG cache folder, and output goes to the videos folder.
// Nothing else in the program builds these paths.
class TAppPaths {
public:
    struct TFolders {
        QString Config; // $XDG_CONFIG_HOME/velloric/
        QString Cache;  // $XDG_CACHE_HOME/velloric/
        QString Videos; // the user's videos folder
    };

    TAppPaths() = default;
    // The layout of the program in programDir, with the user's folders taken from the environment.
    static TAppPaths ForProgramDir(const QString& programDir);
    // The same with given user folders (tests).
    static TAppPaths ForProgramDir(const QString& programDir, const TFolders& user);

    bool Portable() const { return FPortable; }
    QString ProgramDir() const { return FProgramDir; } // ends in "/"
    QString ShareDir() const { return FShareDir; }     // read-only shipped files, ends in "/"

    QString PreferencesFile() const;
    QString StageOneEncoder() const; // "asapi.dll"
    QString StageTwoEncoder() const; // "wmaspi.dll"
    QString HelpFile() const;
    QString PicturesDir() const;

    // Profiles: the user's folder first (what Save writes), then the shipped one. A user profile shadows a
    // shipped profile of the same name.
    QString UserProfilesDir() const;
    QStringList ProfileDirs() const;
    QString ProfilePath(const QString& name) const;      // the file a profile of that name is read from
    QString ProfileWritePath(const QString& name) const; // the file saving that profile writes
    QStringList ProfileNames() const;                    // every profile once, in list order
    bool ProfilesFolderMissing() const;                  // no folder of profiles at all

    QString DefaultWorkDir() const;   // ends in "/"
    QString DefaultOutputDir() const; // ends in "/"

    // Makes the folders the program writes into (config, cache) where they are missing; false with the
    // reason when one cannot be made.
    bool MakeUserFolders(QString* error = nullptr) const;

private:
    bool FPortable = true;
    QString FProgramDir, FShareDir, FLibDir;
    TFolders FUser;
};
