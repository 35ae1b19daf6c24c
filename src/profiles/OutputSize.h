#pragma once

#include <QString>

// The largest side of an output picture the program asks an encoder for.
inline constexpr int kMaxOutputSide = 4096;

// Why an encoder cannot take value as one side of an output picture ("it must be even", ...); empty when
// it can: more than 0, even (the encoders' 4:2:0 pictures need it), at most kMaxOutputSide.
QString OutputSideProblem(int value);

// Reads "WIDTHxHEIGHT" ("x" or "X", decimal, as the Video Size row and --size hold it) into width and height; false,
// with problem saying which side and why, for a text that is no such size or one an encoder cannot take.
bool ReadOutputSize(const QString& text, int& width, int& height, QString& problem);
