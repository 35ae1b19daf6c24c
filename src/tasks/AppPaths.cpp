#include "AppPaths.h"

#include "dvd/DiscLoader.h"
#include "profiles/ProfileModel.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {

QString Folder(const QString& path) {
    return path.isEmpty() ? path : IncludeTrailingSeparator(QDir::cleanPath(path));
}

// Writable in fact, not only by its mode bits: root may write anywhere but on a read-only mount.
bool CanWrite(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

// $XDG_CONFIG_HOME and the like, or their default below the home folder. A relative path there is
// invalid by the XDG rules and is ignored (it would follow wherever the program was started from).
QString XdgFolder(const char* variable, const QString& underHome) {
    const QString value = qEnvironmentVariable(variable);
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? value : QDir::homePath() + underHome;
}

TAppPaths::TFolders UserFolders() {
    TAppPaths::TFolders user;
    user.Config = Folder(XdgFolder("XDG_CONFIG_HOME", "/.config") + "/velloric");
    user.Cache = Folder(XdgFolder("XDG_CACHE_HOME", "/.cache") + "/velloric");
    // A home without a videos folder: output goes to the home folder rather than to a folder Start refuses.
    QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (videos.isEmpty() || QDir::isRelativePath(videos) || !QFileInfo(videos).isDir())
        videos = QDir::homePath();
    user.Videos = Folder(videos);
    return user;
}

} // namespace

TAppPaths TAppPaths::ForProgramDir(const QString& programDir) {
    return ForProgramDir(programDir, UserFolders());
}

TAppPaths TAppPaths::ForProgramDir(const QString& programDir, const TFolders& user) {
    TAppPaths paths;
    paths.FProgramDir = Folder(programDir);
    paths.FUser = user;
    const QString ownProfiles = paths.FProgramDir + "Profiles";
    const QString installedShare = Folder(paths.FProgramDir + "../share/velloric");
    // A program folder with profiles of its own is used as it is when it can be written; one without
    // them is an installed program when the shared folder is there.
    const bool own = QFileInfo(ownProfiles).isDir();
    const bool installed = QFileInfo(installedShare + "Profiles").isDir();
    paths.FPortable = own ? CanWrite(paths.FProgramDir) || !installed : !installed;
    if (paths.FPortable) {
        paths.FShareDir = paths.FProgramDir;
        paths.FLibDir = paths.FProgramDir;
    } else {
        paths.FShareDir = installedShare;
        paths.FLibDir = Folder(paths.FProgramDir + "../lib/velloric");
    }
    return paths;
}

QString TAppPaths::PreferencesFile() const {
    return (FPortable ? FProgramDir : FUser.Config) + "Preferences.ini";
}
QString TAppPaths::StageOneEncoder() const {
    return FLibDir + "asapi.dll";
}
QString TAppPaths::StageTwoEncoder() const {
    return FLibDir + "wmaspi.dll";
}
QString TAppPaths::HelpFile() const {
    return FShareDir + "help/index.html";
}
QString TAppPaths::PicturesDir() const {
    return FShareDir + "pictures/";
}

QString TAppPaths::UserProfilesDir() const {
    return (FPortable ? FProgramDir : FUser.Config) + "Profiles/";
}

QStringList TAppPaths::ProfileDirs() const {
    if (FPortable)
        return {FProgramDir + "Profiles/"};
    return {UserProfilesDir(), FShareDir + "Profiles/"};
}

QString TAppPaths::ProfilePath(const QString& name) const {
    for (const QString& dir : ProfileDirs())
        if (const QString path = ProfileFileIn(dir, name); !path.isEmpty())
            return path;
    return ProfileDirs().last() + name + ".apf";
}

QString TAppPaths::ProfileWritePath(const QString& name) const {
    const QString existing = ProfileFileIn(UserProfilesDir(), name);
    return existing.isEmpty() ? UserProfilesDir() + name + ".apf" : existing;
}

QStringList TAppPaths::ProfileNames() const {
    QStringList names;
    for (const QString& dir : ProfileDirs())
        for (const QString& file : ListFilesWithExt(dir, ".apf"))
            if (const QString name = StripExtension(file); !names.contains(name))
                names << name;
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

bool TAppPaths::ProfilesFolderMissing() const {
    for (const QString& dir : ProfileDirs())
        if (QFileInfo(dir).isDir())
            return false;
    return true;
}

QString TAppPaths::DefaultWorkDir() const {
    return FPortable ? FProgramDir : FUser.Cache;
}

QString TAppPaths::DefaultOutputDir() const {
    return FPortable ? FProgramDir : FUser.Videos;
}

bool TAppPaths::MakeUserFolders(QString* error) const {
    if (FPortable)
        return true;
    for (const QString& dir : {FUser.Config, FUser.Cache, UserProfilesDir()}) {
        if (!QDir().mkpath(dir)) {
            if (error)
                *error = dir + ": the folder cannot be made";
            return false;
        }
    }
    return true;
}
