// An encrypted disc copy (its packs carry the scrambling bits) with no decryption library installed: it
// lists, and converting a title is refused with the reason before any encoder starts, by both engines.
#include "convert/ConversionDriver.h"
#include "dvd/DiscLoader.h"
#include "dvd/DvdAccess.h"
#include "dvd/ScrambledPacks.h"
#include "profiles/ProfileModel.h"
#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"
#include "support/ProgramFolder.h"
#include "support/RecordingFrontEnd.h"
#include "support/ScrambledDisc.h"

#include <gtest/gtest.h>

namespace {

TEST(EncryptedDisc, ListsButIsRefusedBeforeAnyEncoderByBothEngines) {
    ASSERT_TRUE(QFile::exists(SampleDiscDir("pal") + "/VIDEO_TS/VTS_01_1.VOB")) << "sample disc missing";
    QTemporaryDir root, out;
    const QString disc = MakeScrambledCopy(SampleDiscDir("pal"), root.path());
    ASSERT_FALSE(disc.isEmpty());
    TProgramFolder folder;
    TAppContext context;
    context.SetProgramDir(folder.Path);
    context.WorkDir = root.path() + "/";
    context.OutputExt = ".mp4";
    TTaskListModel tasks(context);
    auto library = CreateDvdReadAccess();
    const TLoadResult load = LoadDisc(root.path(), context, tasks, *library);
    ASSERT_TRUE(load.LibraryOpened) << load.LibraryError.toStdString();
    ASSERT_EQ(tasks.TitleCount(), 3);
    tasks.SetChecked(tasks.Title(0)->Children[1].get(), true);

    TRecordingFrontEnd frontEnd;
    TConversionDriver driver(context, tasks, frontEnd);
    TRunSettings settings;
    settings.OutputDirText = out.path() + "/";
    settings.ProfileName = "Any Player - MPEG-4 (MP4)";
    LoadProfileRows(context.Paths.ProfilePath(settings.ProfileName), settings.Grids);
    for (const TPreferences::TEngine engine : {TPreferences::TwoStages, TPreferences::Direct}) {
        SCOPED_TRACE(int(engine));
        driver.EngineChoice = engine;
        const TRunResult result = driver.Start(settings);
        ASSERT_EQ(result.Failures.size(), 1u);
        EXPECT_EQ(result.Failures[0].Problem, EncryptedTitleText(disc.chopped(1) + ", title 1", load.NoDecryption));
        EXPECT_TRUE(result.Failures[0].Problem.contains("libdvdcss"));
        QFile log(folder.Path + "encoders.log");
        EXPECT_FALSE(log.exists() && log.size() > 0) << "an encoder ran";
        EXPECT_TRUE(QDir(out.path()).isEmpty());
    }
}

TEST(EncryptedDisc, ScrambledPacksAreTheVideoAndAudioOnes) {
    struct TCase {
        unsigned Id;
        unsigned Flags;
        bool Scrambled;
    };
    for (const TCase& c : {TCase{0xe0, 0x90, true}, TCase{0xe0, 0xa0, true}, TCase{0xe0, 0x80, false},
                           TCase{0xbd, 0xb0, true}, TCase{0xc0, 0x90, true}, TCase{0xbf, 0x90, false},
                           TCase{0xbe, 0x90, false}}) {
        SCOPED_TRACE(c.Id);
        unsigned char pack[2048] = {0, 0, 1, 0xba, 0x44};
        pack[13] = 0xf8; // no stuffing
        pack[14 + 2] = 1;
        pack[14 + 3] = uint8_t(c.Id);
        pack[0x14] = uint8_t(c.Flags);
        EXPECT_EQ(IsScrambledPack(pack), c.Scrambled);
    }
}

} // namespace
