#pragma once

#include <QString>

// The ISO 639-2 code (bibliographic form, as Matroska and MP4 take it) of a disc's two-letter language
// code: "en" -> "eng", "de" -> "ger". "und" for an empty, unknown or damaged code.
QString ThreeLetterLanguage(const QString& twoLetter);
