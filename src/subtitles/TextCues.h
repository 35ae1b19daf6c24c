#pragma once

#include <QString>
#include <vector>

// A line of subtitle text and when it shows, in seconds from the output's start.
struct TTextCue {
    double Start = 0, End = 0;
    QString Text; // lines joined by "\n"
    bool Forced = false;
};

// The cues as a SubRip file (UTF-8), numbered from 1, in the order given.
QByteArray SubRipText(const std::vector<TTextCue>& cues);

// Settles the cues of one stream on the output's time line of length seconds: a cue without an end (End
// < Start) lasts until the next one, at most five seconds; cues wholly outside the range are dropped and
// the others cut to it; the result is sorted by start.
std::vector<TTextCue> SettledCues(std::vector<TTextCue> cues, double length);
