#include "TextRecognizer.h"

#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include "convert/SharedLibrary.h"

#include <tesseract/capi.h>
#include <tesseract/version.h>

#include <clocale>
#include <cstring>
#include <mutex>

#define VELLORIC_TEXT(x) #x
#define VELLORIC_SONAME(major) "libtesseract.so." VELLORIC_TEXT(major)

namespace {

// Tesseract's C functions, the library loaded on the first reader: it and what it depends on would
// otherwise be loaded at every start of the programs, text read or not.
struct TReaderLibrary {
    TessBaseAPI* (*Create)();
    void (*Delete)(TessBaseAPI*);
    BOOL (*SetVariable)(TessBaseAPI*, const char*, const char*);
    int (*Init)(TessBaseAPI*, const char*, const char*, TessOcrEngineMode);
    void (*SetPageSegMode)(TessBaseAPI*, TessPageSegMode);
    void (*SetImage)(TessBaseAPI*, const unsigned char*, int, int, int, int);
    void (*SetSourceResolution)(TessBaseAPI*, int);
    char* (*GetUTF8Text)(TessBaseAPI*);
    void (*DeleteText)(const char*);
    int (*MeanTextConf)(TessBaseAPI*);
    void (*End)(TessBaseAPI*);
    // The OpenMP runtime Tesseract is built with, where it is (looked up among the library's own
    // dependencies; a Tesseract without it leaves this empty).
    void (*SetMaxActiveLevels)(int) = nullptr;
};

const TReaderLibrary* ReaderLibrary(QString& error) {
    static std::once_flag loaded;
    static TReaderLibrary library;
    static bool usable = false;
    static QString loadError;
    std::call_once(loaded, [] {
        TSharedLibrary so(VELLORIC_SONAME(TESSERACT_MAJOR_VERSION));
        usable = so.Resolve("TessBaseAPICreate", library.Create) && so.Resolve("TessBaseAPIDelete", library.Delete) &&
                 so.Resolve("TessBaseAPISetVariable", library.SetVariable) &&
                 so.Resolve("TessBaseAPIInit2", library.Init) &&
                 so.Resolve("TessBaseAPISetPageSegMode", library.SetPageSegMode) &&
                 so.Resolve("TessBaseAPISetImage", library.SetImage) &&
                 so.Resolve("TessBaseAPISetSourceResolution", library.SetSourceResolution) &&
                 so.Resolve("TessBaseAPIGetUTF8Text", library.GetUTF8Text) &&
                 so.Resolve("TessDeleteText", library.DeleteText) &&
                 so.Resolve("TessBaseAPIMeanTextConf", library.MeanTextConf) &&
                 so.Resolve("TessBaseAPIEnd", library.End);
        if (usable) {
            if (!so.Resolve("omp_set_max_active_levels", library.SetMaxActiveLevels))
                library.SetMaxActiveLevels = nullptr;
            so.Keep();
        }
        else
            loadError = so.ErrorText();
    });
    error = loadError;
    return usable ? &library : nullptr;
}

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
    QString error;
    if (const TReaderLibrary* tess = ReaderLibrary(error); tess && FApi) {
        tess->End(FApi);
        tess->Delete(FApi);
    }
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
    QString error;
    const TReaderLibrary* tess = ReaderLibrary(error);
    if (!tess) {
        FError = "the text recognition library cannot be loaded: " + error;
        return false;
    }
    // The reader parses its data with the C library's number format; readers open on several threads.
    static std::once_flag numbers;
    std::call_once(numbers, [] { std::setlocale(LC_NUMERIC, "C"); });
    FApi = tess->Create();
    tess->SetVariable(FApi, "debug_file", "/dev/null");
    if (tess->Init(FApi, folder.toLocal8Bit().constData(), language.toLatin1().constData(),
                   tesseract::OEM_LSTM_ONLY) != 0) {
        tess->Delete(FApi);
        FApi = nullptr;
        FError = "the text recognition data " + folder + "/" + language + ".traineddata cannot be loaded";
        return false;
    }
    // One block of one or two lines, already black on white: no page layout, no second try inverted.
    tess->SetPageSegMode(FApi, tesseract::PSM_SINGLE_BLOCK);
    tess->SetVariable(FApi, "tessedit_do_invert", "0");
    return true;
}

QString TTextRecognizer::Read(const TGreyImage& image) {
    QString error;
    const TReaderLibrary* tess = ReaderLibrary(error);
    if (!tess || !FApi || image.Empty())
        return {};
    // Tesseract shares each line's work among a team of threads per core, which then spin waiting for
    // each other: on a machine whose cores the encoder keeps busy that costs several times the reading
    // itself. The streams are read on threads of their own instead; this keeps this thread's work on it.
    if (tess->SetMaxActiveLevels)
        tess->SetMaxActiveLevels(0);
    tess->SetImage(FApi, image.Pixels.data(), image.Width, image.Height, 1, image.Width);
    tess->SetSourceResolution(FApi, 150);
    char* raw = tess->GetUTF8Text(FApi);
    if (!raw)
        return {};
    const QString text = QString::fromUtf8(raw);
    tess->DeleteText(raw);
    if (tess->MeanTextConf(FApi) < kLeastConfidence)
        return {};
    QStringList lines;
    for (const QString& line : text.split('\n')) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines.join('\n');
}
