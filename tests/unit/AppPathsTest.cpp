#include "tasks/AppPaths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TAppPaths::TFolders UserIn(const QString& home) {
    return {home + "/.config/velloric/", home + "/.cache/velloric/", home + "/Videos/"};
}

} // namespace

TEST(AppPaths, ProgramFolderWithItsOwnProfilesKeepsEverythingThere) {
    QTemporaryDir root;
    const QString bin = root.path() + "/bin/";
    Touch(bin + "Profiles/Any.apf");
    const TAppPaths paths = TAppPaths::ForProgramDir(bin, UserIn(root.path() + "/home"));
    EXPECT_TRUE(paths.Portable());
    EXPECT_EQ(paths.PreferencesFile(), bin + "Preferences.ini");
    EXPECT_EQ(paths.StageOneEncoder(), bin + "asapi.dll");
    EXPECT_EQ(paths.StageTwoEncoder(), bin + "wmaspi.dll");
    EXPECT_EQ(paths.ProfilePath("Any"), bin + "Profiles/Any.apf");
    EXPECT_EQ(paths.ProfileWritePath("Mine"), bin + "Profiles/Mine.apf");
    EXPECT_EQ(paths.DefaultWorkDir(), bin);
    EXPECT_EQ(paths.DefaultOutputDir(), bin);
    EXPECT_EQ(paths.HelpFile(), bin + "help/index.html");
}

TEST(AppPaths, InstalledProgramReadsSharedFilesAndKeepsTheUsersInHisFolders) {
    QTemporaryDir root;
    const QString prefix = root.path() + "/usr";
    const QString home = root.path() + "/home";
    Touch(prefix + "/bin/velloric");
    Touch(prefix + "/share/velloric/Profiles/Any Player.apf");
    Touch(prefix + "/share/velloric/Profiles/Shared.APF");
    Touch(home + "/.config/velloric/Profiles/Any Player.apf");
    Touch(home + "/.config/velloric/Profiles/Zeta.apf");
    const TAppPaths paths = TAppPaths::ForProgramDir(prefix + "/bin", UserIn(home));
    EXPECT_FALSE(paths.Portable());
    EXPECT_EQ(paths.ProgramDir(), prefix + "/bin/");
    EXPECT_EQ(paths.PreferencesFile(), home + "/.config/velloric/Preferences.ini");
    EXPECT_EQ(paths.StageOneEncoder(), prefix + "/lib/velloric/asapi.dll");
    EXPECT_EQ(paths.HelpFile(), prefix + "/share/velloric/help/index.html");
    EXPECT_EQ(paths.DefaultWorkDir(), home + "/.cache/velloric/");
    EXPECT_EQ(paths.DefaultOutputDir(), home + "/Videos/");
    // The user's profile shadows the shipped one of the same name; each name is listed once.
    EXPECT_EQ(paths.ProfileNames(), QStringList({"Any Player", "Shared", "Zeta"}));
    EXPECT_EQ(paths.ProfilePath("Any Player"), home + "/.config/velloric/Profiles/Any Player.apf");
    EXPECT_EQ(paths.ProfilePath("Shared"), prefix + "/share/velloric/Profiles/Shared.APF");
    EXPECT_EQ(paths.ProfileWritePath("Shared"), home + "/.config/velloric/Profiles/Shared.apf");
    QString error;
    ASSERT_TRUE(paths.MakeUserFolders(&error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(home + "/.cache/velloric").isDir());
}

// The user's folders come from the XDG variables when they hold whole paths; a relative one is ignored, as
// the XDG rules say, instead of putting settings wherever the program was started from.
TEST(AppPaths, UserFoldersFollowTheXdgVariablesThatHoldWholePaths) {
    QTemporaryDir root;
    const QString prefix = root.path() + "/usr", home = root.path() + "/home", xdg = root.path() + "/xdg";
    Touch(prefix + "/bin/velloric");
    Touch(prefix + "/share/velloric/Profiles/Any.apf");
    const struct {
        QByteArray Config, Cache;
        QString ConfigDir, CacheDir;
    } cases[] = {
        {"", "", home + "/.config/velloric/", home + "/.cache/velloric/"},
        {xdg.toUtf8() + "/conf", xdg.toUtf8() + "/cache", xdg + "/conf/velloric/", xdg + "/cache/velloric/"},
        {"rel/conf", "cache", home + "/.config/velloric/", home + "/.cache/velloric/"},
        {"./conf", xdg.toUtf8() + "/cache", home + "/.config/velloric/", xdg + "/cache/velloric/"},
    };
    const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME"),
                     savedCache = qgetenv("XDG_CACHE_HOME");
    qputenv("HOME", home.toUtf8());
    for (const auto& c : cases) {
        qputenv("XDG_CONFIG_HOME", c.Config);
        qputenv("XDG_CACHE_HOME", c.Cache);
        const TAppPaths paths = TAppPaths::ForProgramDir(prefix + "/bin");
        EXPECT_EQ(paths.PreferencesFile(), c.ConfigDir + "Preferences.ini") << c.Config.constData();
        EXPECT_EQ(paths.UserProfilesDir(), c.ConfigDir + "Profiles/") << c.Config.constData();
        EXPECT_EQ(paths.DefaultWorkDir(), c.CacheDir) << c.Cache.constData();
        EXPECT_EQ(paths.DefaultOutputDir(), home + "/") << "no videos folder: the home folder";
    }
    const auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("HOME", savedHome);
    restore("XDG_CONFIG_HOME", savedConfig);
    restore("XDG_CACHE_HOME", savedCache);
}

TEST(AppPaths, MissingProfilesFolderIsSeen) {
    QTemporaryDir root;
    const TAppPaths paths = TAppPaths::ForProgramDir(root.path(), UserIn(root.path() + "/home"));
    EXPECT_TRUE(paths.Portable());
    EXPECT_TRUE(paths.ProfilesFolderMissing());
    EXPECT_TRUE(paths.ProfileNames().isEmpty());
}
