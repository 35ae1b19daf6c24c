#include "tasks/OutputFileName.h"
#include "app/StartupArguments.h"

#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Write(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(StartupArguments, EachFormOfTheCommandLine) {
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir().mkpath(root + "/DISC/VIDEO_TS");
    QDir().mkpath(root + "/OTHER");
    Write(root + "/DISC/VIDEO_TS/VIDEO_TS.IFO", "x");
    Write(root + "/list.TMP", (root + "/DISC\r\n\r\n" + root + "/OTHER/\n").toLocal8Bit());
    Write(root + "/list.txt", (root + "/DISC\n").toLocal8Bit());
    Write(root + "/one.tmp", (root + "/DISC/VIDEO_TS/VIDEO_TS.IFO\n").toLocal8Bit());

    struct Case {
        QStringList Arguments;
        QStringList Folders;
    };
    const Case cases[] = {
        {{root + "/DISC/VIDEO_TS"}, {root + "/DISC/VIDEO_TS/"}},              // a directory gains its "/"
        {{root + "/DISC/VIDEO_TS/"}, {root + "/DISC/VIDEO_TS/"}},             // and keeps the one it has
        {{root + "/DISC/VIDEO_TS/VIDEO_TS.IFO"}, {root + "/DISC/VIDEO_TS/"}}, // a file stands for its folder
        {{root + "/list.TMP"}, {root + "/DISC/", root + "/OTHER/"}},          // a list, any case, CR LF lines
        {{root + "/one.tmp"}, {root + "/DISC/VIDEO_TS/"}},
        {{root + "/list.txt"}, {root + "/"}},                      // not a list: just a file
        {{root + "/absent", root + "/OTHER"}, {root + "/OTHER/"}}, // what does not exist is left out
        {{root + "/OTHER", root + "/list.TMP"},
         {root + "/OTHER/", root + "/"}}, // only the first can be a list
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DiscFoldersOf(c.Arguments), c.Folders) << c.Arguments.join(' ').toStdString();
    EXPECT_EQ(DiscFoldersOf({root + "/absent.tmp"}), QStringList());
}

TEST(OutputFileName, CharactersNoFileNameCanHoldAreReplaced) {
    EXPECT_EQ(SafeFileNamePart("MOVIE"), "MOVIE");
    EXPECT_EQ(SafeFileNamePart(" "), " ");
    EXPECT_EQ(SafeFileNamePart("AC/DC"), "AC_DC");
    EXPECT_EQ(SafeFileNamePart(QString("A") + QChar(0) + "B/"), "A_B_");
    EXPECT_EQ(SafeFileNamePart("../x"), ".._x");
}
