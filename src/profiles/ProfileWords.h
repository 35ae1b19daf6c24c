#pragma once

#include <QString>

struct TProfileParam;

// A profile's "Type" is the output files' extension and picks FFmpeg's output format: letters and
// digits only, nothing that could reach into another folder, and no format that writes files of its own
// beside the output (playlists with segments).
bool IsPlainExtension(const QString& type);

// Why the parameter, with its grid row holding rowText, would give an encoder more than its switch and one
// value (a second word is another output file to FFmpeg and an input to MEncoder), or a switch that makes
// it write a file of its own choosing; empty when it gives just those, or nothing at all.
QString ParamWordsProblem(const TProfileParam& param, const QString& rowText);
