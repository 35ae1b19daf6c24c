// The DVD library's child process is bounded by what it does, not by the clock alone: a child that burns
// processor time without finishing is stopped soon, while one that waits (a drive spinning up, seeking,
// retrying) is given time, the more so before its first sign of progress.
#include "dvd/LibraryChild.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

void Spin() {
    for (volatile unsigned n = 0;; n = n + 1) {
    }
}

void WaitMs(int ms) {
    ::usleep(useconds_t(ms) * 1000);
}

TEST(LibraryChild, IsBoundedByItsWorkAndByWaitsBetweenSignsOfProgress) {
    struct TCase {
        const char* Name;
        std::function<void(int)> Work;
        TChildBounds Bounds; // processor time, wait before the first sign, wait between signs
        const char* Fault;   // nullptr: the child finishes and its bytes arrive
    };
    const auto done = [](int fd) { WriteFromChild(fd, "done", 4); };
    const TCase cases[] = {
        {"a loop is stopped by the processor time it burns, long before any waiting allowance",
         [](int) { Spin(); }, {300, 60000, 60000},
         "the DVD library went round in circles reading it and was stopped after 0.3 s of work (a damaged file "
         "system)"},
        {"a drive that keeps the child waiting uses no processor time and is not refused for it",
         [&](int fd) { WaitMs(900); done(fd); }, {300, 60000, 60000}, nullptr},
        {"the first sign may be long in coming (a drive spinning up)",
         [&](int fd) { WaitMs(1200); ReportProgress(); WaitMs(100); done(fd); }, {3000, 3000, 600}, nullptr},
        {"each sign of progress starts a new allowance",
         [&](int fd) {
             for (int i = 0; i < 6; ++i) {
                 WaitMs(300);
                 ReportProgress();
             }
             done(fd);
         },
         {3000, 1000, 1000}, nullptr},
        {"no first sign at all", [](int) { WaitMs(60000); }, {3000, 400, 60000},
         "the DVD library got nowhere reading it within 0.4 s"},
        {"no sign after the first", [](int) { ReportProgress(); WaitMs(60000); }, {3000, 60000, 400},
         "the DVD library read nothing more of it for 0.4 s"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TChildOutput out = RunInLibraryChild(c.Work, c.Bounds);
        if (c.Fault) {
            EXPECT_EQ(out.Fault, c.Fault);
        } else {
            EXPECT_EQ(out.Fault, "");
            EXPECT_EQ(out.Bytes, "done");
        }
    }
}

TEST(LibraryChild, PumpsEventsWhileItWaits) {
    int pumped = 0;
    const TChildOutput out = RunInLibraryChild([](int fd) { WaitMs(500); WriteFromChild(fd, "x", 1); }, {},
                                               [&pumped] { ++pumped; });
    EXPECT_EQ(out.Fault, "");
    EXPECT_GE(pumped, 5); // a window handles its events at least every 100 ms
}

} // namespace
