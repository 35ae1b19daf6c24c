#include "profiles/IniFile.h"
#include "profiles/IniText.h"
#include "profiles/NewIniFile.h"

#include "support/QtPrinters.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// Root writes through mode bits: run as root, the folder is given to nobody and the writes are tried as
// nobody (the effective user only, given back at the end), so that they fail as they do for a user.
class TAsNobody {
public:
    explicit TAsNobody(const QString& folder) {
        if (::geteuid() != 0)
            return;
        const passwd* nobody = ::getpwnam("nobody");
        FDropped = nobody && ::chown(QFile::encodeName(folder).constData(), nobody->pw_uid, gid_t(-1)) == 0 &&
                   ::seteuid(nobody->pw_uid) == 0;
        EXPECT_TRUE(FDropped) << "cannot act as nobody";
    }
    ~TAsNobody() { End(); }
    void End() {
        if (FDropped)
            EXPECT_EQ(::seteuid(0), 0);
        FDropped = false;
    }

private:
    bool FDropped = false;
};

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
                          Case{"Text", "a[b", "a[b"}, // a "[" inside a value ends no section
                          Case{"After", "1", "1"}}) {
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

TEST_F(IniStore, StoreCloseNormalisesLineEndsAndCreatesTheFile) {
    Write("[Main]\nA=1\rB=2");
    TNewInifile(Path).Close();
    EXPECT_EQ(Bytes(), "[Main]\r\nA=1\r\nB=2\r\n");
    EXPECT_FALSE(QFile::exists(Path + ".bak")); // a clean file needs no copy

    const QString fresh = Dir.filePath("fresh.ini");
    TNewInifile(fresh).Close();
    EXPECT_TRUE(QFileInfo(fresh).exists());
    EXPECT_EQ(QFileInfo(fresh).size(), 0);
}

// Files a user or another program may leave behind. Each holds "Ask=1" below the odd line: both accessors
// must still find it, a write of it must put every other line back as it was, and a file that was not
// clean must be kept as it was in Preferences.ini.bak.
TEST_F(IniStore, OddFilesSurviveTheStore) {
    struct Case {
        const char* Name;
        QByteArray File;
        bool Clean;
    };
    static const char kNul[] = "[Main]\r\nWork Dir=/w\0ork/\r\nAsk=1\r\n";
    const Case cases[] = {
        {"clean", "; comment\r\n[Main]\r\nOutput Path=/x/\r\n\r\nAsk=1\r\n[Other]\r\nAsk=5\r\n", true},
        {"bracket in a value", "[Main]\r\nOutput Path=/x/[x]/\r\nAsk=1\r\n", true},
        {"UTF-8 text",
         "[Main]\r\nOutput Path=/v\xc3\xad"
         "deo/\xf0\x9f\x8e\xac/\r\nAsk=1\r\n",
         true},
        {"not UTF-8",
         "[Main]\r\nOutput Path=/m\xe9"
         "dia/\xff\xfe\xc3(\xed\xa0\x80\r\nAsk=1\r\n",
         false},
        {"NUL byte", QByteArray(kNul, sizeof kNul - 1), false},
        {"junk lines", "[Main]\r\nthis is no key\r\n\x01\x02\x7f\r\nAsk=1\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(Path + ".bak");
        Write(c.File);
        EXPECT_EQ(TIniFile(Path).ReadString("Main", "Ask", "d"), "1");
        TNewInifile store(Path);
        EXPECT_TRUE(store.ReadBool("Main", "Ask", false));
        store.WriteBool("Main", "Ask", false);
        store.Close();
        QByteArray expected = c.File;
        expected.replace("Ask=1", "Ask=0");
        EXPECT_EQ(Bytes(), expected);
        QFile bak(Path + ".bak");
        EXPECT_EQ(bak.exists(), !c.Clean);
        if (!c.Clean && bak.open(QIODevice::ReadOnly)) {
            EXPECT_EQ(bak.readAll(), c.File);
        }
        // The plain access writes back the same way.
        TIniFile(Path).WriteString("Main", "Ask", "1");
        EXPECT_EQ(Bytes(), c.File);
    }
}

TEST_F(IniStore, TheCopyOfAnOddFileIsMadeOnce) {
    const QByteArray original = "[Main]\nOutput Path=/m\xe9"
                                "dia/\n";
    Write(original);
    for (const char* value : {"1", "2"}) {
        TNewInifile store(Path);
        store.WriteString("Main", "Ask", value);
        store.Close();
    }
    TIniFile(Path).WriteString("Main", "Ask", "3");
    QFile bak(Path + ".bak");
    ASSERT_TRUE(bak.open(QIODevice::ReadOnly));
    EXPECT_EQ(bak.readAll(), original); // the file as the user had it, not a later rewrite
    EXPECT_EQ(Bytes(), "[Main]\r\nAsk=3\r\nOutput Path=/m\xe9"
                       "dia/\r\n");
}

TEST_F(IniStore, AValueHoldingABracketEndsNoSection) {
    Write("[Main]\nOutput Path=/x/[x]/\nWork Dir=old\n[Next]\nWork Dir=other\n");
    TNewInifile store(Path);
    EXPECT_EQ(store.ReadString("Main", "Work Dir", "d"), "old");
    store.WriteString("Main", "Work Dir", "new");
    store.Close();
    // One set of keys, replaced in place, and both accessors read it.
    EXPECT_EQ(Bytes(), "[Main]\r\nOutput Path=/x/[x]/\r\nWork Dir=new\r\n[Next]\r\nWork Dir=other\r\n");
    EXPECT_EQ(TIniFile(Path).ReadString("Main", "Work Dir", "d"), "new");
    EXPECT_EQ(TIniFile(Path).ReadString("Main", "Output Path", "d"), "/x/[x]/");
}

// What cannot be read is not replaced: a folder, a FIFO (which would block a reader for ever) and a file
// too large for a settings file.
TEST_F(IniStore, UnreadableFilesAreLeftAlone) {
    QDir().mkpath(Dir.filePath("folder.ini"));
    const QString fifo = Dir.filePath("fifo.ini");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString large = Dir.filePath("large.ini");
    QFile f(large);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Main]\r\nAsk=0\r\n" + QByteArray(TIniText::MaxSize, 'x'));
    f.close();
    for (const QString& path : {Dir.filePath("folder.ini"), fifo, large}) {
        SCOPED_TRACE(path.toStdString());
        TNewInifile store(path);
        EXPECT_TRUE(store.ReadBool("Main", "Ask", true));
        store.WriteBool("Main", "Ask", false);
        try {
            store.Close();
            ADD_FAILURE() << "replaced";
        } catch (const EIniWriteError& e) {
            EXPECT_TRUE(QString(e.what()).contains(path)) << e.what();
        }
        EXPECT_THROW(TIniFile(path).WriteString("Main", "Ask", "0"), EIniWriteError);
    }
    EXPECT_TRUE(QFileInfo(Dir.filePath("folder.ini")).isDir());
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_EQ(QFileInfo(large).size(), 15 + TIniText::MaxSize);
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
    Write(kExample);
    QFile::setPermissions(Dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    TAsNobody nobody(Dir.path());
    ASSERT_NE(::faccessat(AT_FDCWD, QFile::encodeName(Dir.path()).constData(), W_OK, AT_EACCESS), 0)
        << "the folder can be written";
    TNewInifile store(Path);
    store.WriteString("Main", "Para", "9");
    EXPECT_THROW(store.Close(), EIniWriteError);
    try {
        TIniFile(Path).WriteString("Main", "Para", "9");
        FAIL();
    } catch (const EIniWriteError& e) {
        EXPECT_TRUE(QString(e.what()).startsWith("Unable to write to " + Path)) << e.what();
    }
    nobody.End();
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
