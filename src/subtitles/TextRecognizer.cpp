#include "TextRecognizer.h"

#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <tesseract/baseapi.h>

#include <clocale>
#include <cstring>
#include <memory>

namespace {

// Below this mean word confidence (0-100) a picture's text is a guess: noise, a logo, a damaged picture.
constexpr int kLeastConfidence = 45;

// Where Debian's language packages put their data, newest first; TESSDATA_PREFIX wins.
QStringList DataFolders() {
    QStringList folders;
    const QByteArray prefix = qgetenv("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        folders << QString::fromLocal8Bit(prefix);
    folders << "/usr/share/tesseract-ocr/5/tessdata" << "/usr/share/tesseract-ocr/4.00/tessdata"
            << "/usr/share/tessdata";
    return folders;
}

} // namespace

QString ReaderLanguageOf(const QString& iso6392) {
    // The bibliographic codes the discs' two letters become, to the terminology codes the data is named by.
    static const QHash<QString, QString> names{
        {"fre", "fra"}, {"ger", "deu"}, {"dut", "nld"}, {"cze", "ces"}, {"gre", "ell"}, {"chi", "chi_sim"},
        {"per", "fas"}, {"rum", "ron"}, {"slo", "slk"}, {"ice", "isl"}, {"alb", "sqi"}, {"arm", "hye"},
        {"baq", "eus"}, {"bur", "mya"}, {"geo", "kat"}, {"mac", "mkd"}, {"may", "msa"}, {"wel", "cym"},
        {"tib", "bod"},
    };
    const QString code = iso6392.toLower();
    return names.value(code, code);
}

TTextRecognizer::TTextRecognizer() = default;

TTextRecognizer::~TTextRecognizer() {
    if (FApi)
        FApi->End();
}

bool TTextRecognizer::Open(const QString& language) {
    FLanguage = language;
    QString folder;
    for (const QString& f : DataFolders())
        if (QFileInfo::exists(f + "/" + language + ".traineddata")) {
            folder = f;
            break;
        }
    if (folder.isEmpty() || language.isEmpty() || language.contains('/') || language.contains('.')) {
        FError = "no text recognition data for the language '" + language + "' is installed";
        return false;
    }
    // The reader parses its data with the C library's number format.
    std::setlocale(LC_NUMERIC, "C");
    FApi = std::make_unique<tesseract::TessBaseAPI>();
    FApi->SetVariable("debug_file", "/dev/null");
    if (FApi->Init(folder.toLocal8Bit().constData(), language.toLatin1().constData(),
                   tesseract::OEM_LSTM_ONLY) != 0) {
        FApi.reset();
        FError = "the text recognition data " + folder + "/" + language + ".traineddata cannot be loaded";
        return false;
    }
    FApi->SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    return true;
}

QString TTextRecognizer::Read(const TGreyImage& image) {
    if (!FApi || image.Empty())
        return {};
    FApi->SetImage(image.Pixels.data(), image.Width, image.Height, 1, image.Width);
    FApi->SetSourceResolution(150);
    std::unique_ptr<char[]> text(FApi->GetUTF8Text());
    if (!text || FApi->MeanTextConf() < kLeastConfidence)
        return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text.get()).split('\n')) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines.join('\n');
}
