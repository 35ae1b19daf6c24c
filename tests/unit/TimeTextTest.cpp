#include "tasks/TimeText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(TimeText, SecondsToText) {
    const std::pair<double, const char*> cases[] = {
        {5025.56, "01:23:46"}, {59.5, "00:01:00"}, {59.6, "00:01:00"},    {3599.6, "01:00:00"},
        {0.5, "00:00:00"},     {1.5, "00:00:02"},  {2.5, "00:00:02"},     {3.5, "00:00:04"},
        {0, "00:00:00"},       {7, "00:00:07"},    {360000, "100:00:00"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(SecondsToTimeText(seconds), text) << seconds;
}

TEST(TimeText, TextToSeconds) {
    const std::pair<const char*, double> cases[] = {
        {"00:00:00", 0},
        {"1:23:45.560", 5025.56},
        {"00:00:07.25", 7.25},
        {"00:00:75", 75},
        {"100:00:00", 360000},
        {"0:00:07.", 7},
        {"12:34", -1},
        {"00:00:.5", -1},
        {"00:xx:00", -1},
        {"", -1},
        {"::", -1},
        {"-1:00:00", -1},
        {"00:00:1e3", -1},
        {" 0:00:00", -1},
        {"00:00:00:00", -1},
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_DOUBLE_EQ(TimeTextToSeconds(text), seconds) << text;
}
