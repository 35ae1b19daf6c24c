#pragma once

#include "subtitles/TextPicture.h"

#include <QString>
#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// The language data name the text reader uses for an ISO 639-2 code ("fre" and "fra" give "fra").
QString ReaderLanguageOf(const QString& iso6392);

// Reads the text of black-on-white pictures with Tesseract, one reader per thread.
class TTextRecognizer {
public:
    TTextRecognizer();
    ~TTextRecognizer();
    TTextRecognizer(const TTextRecognizer&) = delete;
    TTextRecognizer& operator=(const TTextRecognizer&) = delete;

    // Loads the language's data (a name as ReaderLanguageOf gives it). False, with ErrorText() set, when
    // the data is not installed.
    bool Open(const QString& language);
    QString Language() const { return FLanguage; }
    QString ErrorText() const { return FError; }

    // The picture's text, its lines joined by "\n"; empty when nothing could be read with confidence.
    QString Read(const TGreyImage& image);

private:
    tesseract::TessBaseAPI* FApi = nullptr;
    QString FLanguage, FError;
};
