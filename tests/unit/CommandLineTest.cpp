#include "convert/CommandLine.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(CommandLine, SplitsAtBlanksAndKeepsQuotedStretchesWhole) {
    const std::pair<const char*, QStringList> cases[] = {
        {" -vcodec mpeg4 -b 800", {"-vcodec", "mpeg4", "-b", "800"}},
        {" -srate  -af volume=10:0", {"-srate", "-af", "volume=10:0"}},
        {" -vn  -b 1", {"-vn", "-b", "1"}},
        {" -i \"/a b/temp.avi\" -y", {"-i", "/a b/temp.avi", "-y"}},
        {" x\"y z\"w", {"xy zw"}},
        {" \"\" a", {"", "a"}},
        {"", {}},
        {"   ", {}},
        {" \"open", {"open"}},
    };
    for (const auto& [text, args] : cases)
        EXPECT_EQ(SplitCommandLine(text), args) << text;
}
