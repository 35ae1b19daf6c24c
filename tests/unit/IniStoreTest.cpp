#include "profiles/IniFile.h"
#include "profiles/IniText.h"
#include "profiles/NewIniFile.h"

#include "support/QtPrinters.h"
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IniStore : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes) {
        QFile f(Path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return Path;
    }
    QByteArray Bytes() {
        QFile f(Path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    QTemporaryDir Dir;
    QString Path = Dir.filePath("Preferences.ini");
};

const QByteArray kExample = "[Main]\r\nPara=3\r\n0=Video Size\r\n";

TEST_F(IniStore, BothAccessorsReadTheExampleFile) {
    Write(kExample);
    TNewInifile store(Path);
    TIniFile ini(Path);
    EXPECT_EQ(store.ReadString("Main", "0", "x"), "Video Size");
    EXPECT_EQ(ini.ReadString("MAIN", "0", "x"), "Video Size");
    EXPECT_EQ(store.ReadInteger("main", "Para", 0), 3);
    EXPECT_EQ(ini.ReadInteger("Main", "para", 0), 3);
    EXPECT_EQ(store.ReadString("Other", "Para", "d"), "d");
    EXPECT_EQ(ini.ReadString("Main", "Missing", "d"), "d");
}

TEST_F(IniStore, TheyDifferOnHandWrittenFiles) {
    Write("[Main]\n10=ten\n0=zero\nSpaced = 5 \nQuoted=\" a \"\nFlag=True\nHex=0x1F\nDollar=$1F\n"
          "Text=a[b\nAfter=1\n[Next]\nX=1\n");
    TNewInifile store(Path);
    TIniFile ini(Path);
    struct Case {
        const char* Key;
        QString Store, Ini;
    };
    for (const Case& c : {Case{"0", "ten", "zero"}, // "10=" holds "0=" and comes first
                          Case{"Spaced", "d", "5"}, Case{"Quoted", "\" a \"", " a "},
                          Case{"Text", "a", "a[b"}, // the store's section ends at the first "["
                          Case{"After", "d", "1"}}) {
        SCOPED_TRACE(c.Key);
        EXPECT_EQ(store.ReadString("Main", c.Key, "d"), c.Store);
        EXPECT_EQ(ini.ReadString("Main", c.Key, "d"), c.Ini);
    }
    EXPECT_EQ(store.ReadInteger("Main", "Spaced", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Main", "Spaced", 7), 5);
    EXPECT_TRUE(store.ReadBool("Main", "Flag", false));
    EXPECT_FALSE(ini.ReadBool("Main", "Flag", false));
    EXPECT_EQ(ini.ReadInteger("Main", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Main", "Dollar", 0), 0); // only "0x" marks hexadecimal there
    EXPECT_EQ(ini.ReadString("Next", "X", ""), "1");
}

TEST_F(IniStore, StoreConversions) {
    Write("[M]\nA=$10\nB=0x10\nC= 12\nD=12 \nE=\nF=-5\nG=false\nH=yes\nI=0\n");
    TNewInifile store(Path);
    EXPECT_EQ(store.ReadInteger("M", "A", 0), 16);
    EXPECT_EQ(store.ReadInteger("M", "B", 0), 16);
    EXPECT_EQ(store.ReadInteger("M", "C", 0), 12);
    EXPECT_EQ(store.ReadInteger("M", "D", 9), 9);
    EXPECT_EQ(store.ReadInteger("M", "E", 9), 9);
    EXPECT_EQ(store.ReadInteger("M", "F", 0), -5);
    EXPECT_TRUE(store.ReadBool("M", "F", false));
    EXPECT_FALSE(store.ReadBool("M", "G", true));
    EXPECT_TRUE(store.ReadBool("M", "H", true));
    EXPECT_FALSE(store.ReadBool("M", "H", false));
    EXPECT_FALSE(store.ReadBool("M", "I", true));
    EXPECT_TRUE(store.ReadBool("M", "Missing", true));
}

TEST_F(IniStore, StoreWritesWhereItsRulesSay) {
    TNewInifile empty(Dir.filePath("new.ini"));
    empty.WriteString("Main", "Para", "3");
    EXPECT_EQ(empty.FLines, (QStringList{"[Main]", "Para=3"}));

    Write("[Main]\r\nA=1\r\nB=2\r\n[Other]\r\nA=9\r\n");
    TNewInifile store(Path);
    store.WriteString("Main", "New", "n");
    store.WriteString("main", "B", "22");
    store.WriteBool("Other", "Flag", true);
    store.WriteInteger("Third", "N", -4);
    EXPECT_EQ(store.FLines,
              (QStringList{"[Main]", "New=n", "A=1", "B=22", "[Other]", "Flag=1", "A=9", "[Third]", "N=-4"}));
    EXPECT_EQ(store.ReadString("Main", "New", ""), "n");              // reads see the lines in memory
    EXPECT_EQ(Bytes(), "[Main]\r\nA=1\r\nB=2\r\n[Other]\r\nA=9\r\n"); // nothing on disk before Close
    store.Close();
    EXPECT_EQ(Bytes(), "[Main]\r\nNew=n\r\nA=1\r\nB=22\r\n[Other]\r\nFlag=1\r\nA=9\r\n[Third]\r\nN=-4\r\n");
}

TEST_F(IniStore, StoreWriteBelowAValueHoldingABracket) {
    Write("[Main]\nText=a[b\nKey=old\n");
    TNewInifile store(Path);
    EXPECT_EQ(store.ReadString("Main", "Key", "d"), "d");
    store.WriteString("Main", "Key", "new");
    EXPECT_EQ(store.FLines, (QStringList{"[Main]", "Key=new", "Text=a[b", "Key=old"}));
    store.Close();
    EXPECT_EQ(TIniFile(Path).ReadString("Main", "Key", "d"), "new");
}

TEST_F(IniStore, StoreCloseNormalisesLineEndsAndCreatesTheFile) {
    Write("[Main]\nA=1\rB=2");
    TNewInifile(Path).Close();
    EXPECT_EQ(Bytes(), "[Main]\r\nA=1\r\nB=2\r\n");

    const QString fresh = Dir.filePath("fresh.ini");
    TNewInifile(fresh).Close();
    EXPECT_TRUE(QFileInfo(fresh).exists());
    EXPECT_EQ(QFileInfo(fresh).size(), 0);

    Write(QByteArray("[M]\nA=1\n\0[X]\nB=2\n", 18)); // a NUL byte ends the text
    EXPECT_EQ(TNewInifile(Path).FLines, (QStringList{"[M]", "A=1"}));
}

TEST_F(IniStore, PlainAccessWrites) {
    TIniFile ini(Path);
    ini.WriteString("Main", "A", "1"); // creates the file and the section
    ini.WriteBool("Main", "B", true);
    ini.WriteInteger("Second", "C", 7);
    ini.WriteString("main", "a", "one"); // replaced in place
    EXPECT_EQ(Bytes(), "[Main]\r\na=one\r\nB=1\r\n[Second]\r\nC=7\r\n");

    Write("[Main]\nA=1\n\n[Second]\nC=7\n");
    ini.WriteString("Main", "New", "x"); // at the end of its section, before the blank line
    EXPECT_EQ(Bytes(), "[Main]\r\nA=1\r\nNew=x\r\n\r\n[Second]\r\nC=7\r\n");
    EXPECT_EQ(ini.ReadString("Main", "New", ""), "x");
    EXPECT_EQ(ini.ReadString("Main", "Long", "d"), "d");
    ini.WriteString("Main", "Long", QString(3000, 'v'));
    EXPECT_EQ(ini.ReadString("Main", "Long", "d").size(), 2047);
}

TEST_F(IniStore, FailedWritesLeaveTheOldFileAndNameIt) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    Write(kExample);
    QFile::setPermissions(Dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    TNewInifile store(Path);
    store.WriteString("Main", "Para", "9");
    EXPECT_THROW(store.Close(), EIniWriteError);
    try {
        TIniFile(Path).WriteString("Main", "Para", "9");
        FAIL();
    } catch (const EIniWriteError& e) {
        EXPECT_TRUE(QString(e.what()).startsWith("Unable to write to " + Path)) << e.what();
    }
    QFile::setPermissions(Dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(Bytes(), kExample);
}

TEST_F(IniStore, FailedWritesIntoAMissingFolderNameTheFile) {
    const QString path = Dir.filePath("missing/Preferences.ini");
    TNewInifile store(path);
    try {
        store.Close();
        FAIL();
    } catch (const EIniWriteError& e) {
        EXPECT_TRUE(QString(e.what()).contains(path)) << e.what();
    }
}

TEST(IniText, IntegerTexts) {
    const std::pair<const char*, int> good[] = {
        {"0", 0},          {"-12", -12}, {"+7", 7},     {"  42", 42},
        {"$ff", 255},      {"0X10", 16}, {"-$10", -16}, {"2147483647", 2147483647},
        {"0xFFFFFFFF", -1}};
    for (const auto& [text, expected] : good) {
        int value = 0;
        EXPECT_TRUE(TextToInt(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"", " ", "42 ", "4x2", "abc", "2147483648", "0x", "$", "1.5", "-"}) {
        int value = 0;
        EXPECT_FALSE(TextToInt(text, value)) << text;
    }
}

} // namespace
