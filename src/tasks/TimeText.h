#pragma once

#include <QString>

// hh:mm:ss text of a number of seconds, rounded to whole seconds (halves to even).
QString SecondsToTimeText(double seconds);

// Seconds of an "h:m:s" text (hh:mm:ss or h:mm:ss.zzz), or -1 when the text is not of that form.
double TimeTextToSeconds(const QString& text);
