// How a long row is cut into pieces, and how the pieces are joined.
#include "convert/PieceJoin.h"
#include "convert/PiecePlan.h"

#include <gtest/gtest.h>

namespace {

using TVobus = std::vector<TDvdStreamReader::TVobuStart>;

// A VOBU every half second from 0 to seconds, in one cell unless a cell starts at cellAt.
TVobus EvenVobus(double seconds, double cellAt = -1) {
    TVobus vobus;
    for (int i = 0; i * 0.5 < seconds; ++i)
        vobus.push_back({uint32_t(i * 20), i * 0.5, cellAt >= 0 && i * 0.5 >= cellAt ? 1 : 0});
    return vobus;
}

TEST(PiecePlan, CutsAtVobuStartsNearEqualShares) {
    struct Case {
        const char* Name;
        TVobus Vobus;
        double Start, End;
        int Count;
        std::vector<double> Cuts; // where the pieces after the first start; empty: one piece
    };
    TVobus back = EvenVobus(120);
    back[100].Seconds = 10; // a time that goes back
    TVobus jump = EvenVobus(120);
    jump[60].Seconds = jump[59].Seconds; // one that stands still
    const Case cases[] = {
        {"three pieces", EvenVobus(120), 0, 120, 3, {40, 80}},
        {"a trimmed range", EvenVobus(120), 10.2, 70.2, 2, {40}},
        {"one piece asked", EvenVobus(120), 0, 120, 1, {}},
        // The VOBU at 60 s opens a cell: its preroll would lie in another cell, so the cut moves aside.
        {"a cell starts at the share", EvenVobus(120, 60), 0, 120, 2, {59.5}},
        {"times that go back", back, 0, 120, 2, {}},
        {"times that stand still", jump, 0, 120, 2, {}},
        {"shorter than two pieces' least", EvenVobus(15), 0, 15, 2, {}},
        {"no VOBU at all", {}, 0, 120, 4, {}},
        // More pieces asked than the least length allows: as many as fit.
        {"too many pieces", EvenVobus(35), 0, 35, 8, {10, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<TPieceCut> pieces = PlanPieces(c.Vobus, c.Start, c.End, c.Count);
        ASSERT_EQ(pieces.size(), c.Cuts.size() + 1);
        EXPECT_EQ(pieces.front().Start, c.Start);
        EXPECT_EQ(pieces.front().Preroll, -1);
        EXPECT_EQ(pieces.back().End, c.End);
        for (size_t i = 0; i < c.Cuts.size(); ++i) {
            const TPieceCut& p = pieces[i + 1];
            EXPECT_DOUBLE_EQ(p.Start, c.Cuts[i]);
            EXPECT_EQ(pieces[i].End, p.Start); // no gap, no overlap
            ASSERT_GE(p.Preroll, 0);
            // Its reader begins one VOBU before it, in the same cell.
            EXPECT_DOUBLE_EQ(c.Vobus[size_t(p.Preroll) + 1].Seconds, p.Start);
            EXPECT_EQ(c.Vobus[size_t(p.Preroll)].Cell, c.Vobus[size_t(p.Preroll) + 1].Cell);
        }
    }
}

TEST(PiecePlan, AutoMakesOnePiecePerCoreOfALongRow) {
    struct Case {
        int Chosen, Cores;
        double Seconds;
        int Pieces;
    };
    for (const Case& c : {Case{0, 2, 600, 2}, Case{0, 8, 600, 8}, Case{0, 8, 90, 3}, Case{0, 4, 59, 1},
                          Case{0, 64, 3600, kMaxPieces}, Case{1, 8, 600, 1}, Case{3, 2, 20, 3},
                          Case{99, 2, 600, kMaxPieces}}) {
        SCOPED_TRACE(testing::Message() << c.Chosen << " " << c.Cores << " " << c.Seconds);
        EXPECT_EQ(PieceCount(c.Chosen, c.Cores, c.Seconds), c.Pieces);
    }
}

TEST(PiecePlan, EachPieceEncoderKeepsToItsShareOfTheCores) {
    struct Case {
        QStringList Profile;
        int Cores, Pieces;
        QStringList Options;
    };
    const QStringList x264{"-vcodec", "libx264", "-preset", "veryfast"};
    for (const Case& c : {Case{x264, 2, 2, {"-threads", "1"}}, Case{x264, 8, 2, {"-threads", "4"}},
                          Case{x264, 8, 3, {"-threads", "2"}}, Case{x264, 2, 4, {"-threads", "1"}},
                          Case{x264, 0, 2, {"-threads", "1"}},
                          Case{x264 + QStringList{"-threads", "6"}, 8, 2, {}},
                          Case{x264 + QStringList{"-threads:v", "3"}, 8, 2, {}}})
        EXPECT_EQ(PieceThreadOptions(c.Profile, c.Cores, c.Pieces), c.Options)
            << c.Profile.join(' ').toStdString() << " " << c.Cores << " " << c.Pieces;
}

TEST(PieceJoin, CopiesThePiecesVideoAndTheTracksAndChaptersOfTheRest) {
    EXPECT_EQ(ConcatList({"/o/.a.pieces-1/piece-1.mp4", "/o/it's/piece-2.mp4"}),
              "ffconcat version 1.0\nfile '/o/.a.pieces-1/piece-1.mp4'\nfile '/o/it'\\''s/piece-2.mp4'\n");
    const QStringList profile{"-vcodec", "mpeg4", "-f", "mp4", "-movflags", "+faststart", "-b", "800"};
    EXPECT_EQ(JoinArguments("list.txt", "rest.mp4", profile, 21.2, "out.mp4"),
              QStringList({"-y",         "-f",
                           "concat",     "-safe",
                           "0",          "-i",
                           "list.txt",   "-i",
                           "rest.mp4",   "-map",
                           "0:v:0",      "-map",
                           "1:a?",       "-map",
                           "1:s?",       "-map_chapters",
                           "1",          "-map_metadata",
                           "1",          "-c",
                           "copy",       "-t",
                           "21.200",     "-f",
                           "mp4",        "-movflags",
                           "+faststart", "out.mp4"}));
    // Without audio there is no rest: the pieces alone.
    EXPECT_EQ(JoinArguments("list.txt", "", {}, 24, "out.mkv"),
              QStringList({"-y", "-f", "concat", "-safe", "0", "-i", "list.txt", "-map", "0:v:0", "-c",
                           "copy", "-t", "24.000", "out.mkv"}));
}

} // namespace
