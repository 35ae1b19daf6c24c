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

TEST(OutputFileName, CharactersNoFileNameCanHoldOrShowAreReplaced) {
    const struct {
        QString Prefix, Safe;
    } cases[] = {
        {"MOVIE", "MOVIE"},
        {" ", " "},
        {"AC/DC", "AC_DC"},
        {QString("A") + QChar(0) + "B/", "A_B_"},
        {"../x", ".._x"},
        {"TWO\nLINES", "TWO_LINES"},
        {"TAB\tAND\rCR", "TAB_AND_CR"},
        {QString("ESC") + QChar(0x1b) + "[31m" + QChar(0x7f), "ESC_[31m_"},
        {QString("C1") + QChar(0x9b) + "x", "C1_x"},
        {"Été Ünïcode", "Été Ünïcode"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeFileNamePart(c.Prefix), c.Safe) << c.Prefix.toStdString();
}
