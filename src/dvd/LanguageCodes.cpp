#include "LanguageCodes.h"

#include <algorithm>
#include <iterator>

namespace {

struct TCodePair {
    const char* Two;
    const char* Three;
};

// Every two-letter code with its bibliographic three-letter one, and the older codes some discs still
// carry (in, iw, ji, jw, mo). Sorted by the two-letter code.
// clang-format off
constexpr TCodePair kCodes[] = {
    {"aa", "aar"}, {"ab", "abk"}, {"ae", "ave"}, {"af", "afr"}, {"ak", "aka"}, {"am", "amh"}, {"an", "arg"},
    {"ar", "ara"}, {"as", "asm"}, {"av", "ava"}, {"ay", "aym"}, {"az", "aze"}, {"ba", "bak"}, {"be", "bel"},
    {"bg", "bul"}, {"bh", "bih"}, {"bi", "bis"}, {"bm", "bam"}, {"bn", "ben"}, {"bo", "tib"}, {"br", "bre"},
    {"bs", "bos"}, {"ca", "cat"}, {"ce", "che"}, {"ch", "cha"}, {"co", "cos"}, {"cr", "cre"}, {"cs", "cze"},
    {"cu", "chu"}, {"cv", "chv"}, {"cy", "wel"}, {"da", "dan"}, {"de", "ger"}, {"dv", "div"}, {"dz", "dzo"},
    {"ee", "ewe"}, {"el", "gre"}, {"en", "eng"}, {"eo", "epo"}, {"es", "spa"}, {"et", "est"}, {"eu", "baq"},
    {"fa", "per"}, {"ff", "ful"}, {"fi", "fin"}, {"fj", "fij"}, {"fo", "fao"}, {"fr", "fre"}, {"fy", "fry"},
    {"ga", "gle"}, {"gd", "gla"}, {"gl", "glg"}, {"gn", "grn"}, {"gu", "guj"}, {"gv", "glv"}, {"ha", "hau"},
    {"he", "heb"}, {"hi", "hin"}, {"ho", "hmo"}, {"hr", "hrv"}, {"ht", "hat"}, {"hu", "hun"}, {"hy", "arm"},
    {"hz", "her"}, {"ia", "ina"}, {"id", "ind"}, {"ie", "ile"}, {"ig", "ibo"}, {"ii", "iii"}, {"ik", "ipk"},
    {"in", "ind"}, {"io", "ido"}, {"is", "ice"}, {"it", "ita"}, {"iu", "iku"}, {"iw", "heb"}, {"ja", "jpn"},
    {"ji", "yid"}, {"jv", "jav"}, {"jw", "jav"}, {"ka", "geo"}, {"kg", "kon"}, {"ki", "kik"}, {"kj", "kua"},
    {"kk", "kaz"}, {"kl", "kal"}, {"km", "khm"}, {"kn", "kan"}, {"ko", "kor"}, {"kr", "kau"}, {"ks", "kas"},
    {"ku", "kur"}, {"kv", "kom"}, {"kw", "cor"}, {"ky", "kir"}, {"la", "lat"}, {"lb", "ltz"}, {"lg", "lug"},
    {"li", "lim"}, {"ln", "lin"}, {"lo", "lao"}, {"lt", "lit"}, {"lu", "lub"}, {"lv", "lav"}, {"mg", "mlg"},
    {"mh", "mah"}, {"mi", "mao"}, {"mk", "mac"}, {"ml", "mal"}, {"mn", "mon"}, {"mo", "rum"}, {"mr", "mar"},
    {"ms", "may"}, {"mt", "mlt"}, {"my", "bur"}, {"na", "nau"}, {"nb", "nob"}, {"nd", "nde"}, {"ne", "nep"},
    {"ng", "ndo"}, {"nl", "dut"}, {"nn", "nno"}, {"no", "nor"}, {"nr", "nbl"}, {"nv", "nav"}, {"ny", "nya"},
    {"oc", "oci"}, {"oj", "oji"}, {"om", "orm"}, {"or", "ori"}, {"os", "oss"}, {"pa", "pan"}, {"pi", "pli"},
    {"pl", "pol"}, {"ps", "pus"}, {"pt", "por"}, {"qu", "que"}, {"rm", "roh"}, {"rn", "run"}, {"ro", "rum"},
    {"ru", "rus"}, {"rw", "kin"}, {"sa", "san"}, {"sc", "srd"}, {"sd", "snd"}, {"se", "sme"}, {"sg", "sag"},
    {"si", "sin"}, {"sk", "slo"}, {"sl", "slv"}, {"sm", "smo"}, {"sn", "sna"}, {"so", "som"}, {"sq", "alb"},
    {"sr", "srp"}, {"ss", "ssw"}, {"st", "sot"}, {"su", "sun"}, {"sv", "swe"}, {"sw", "swa"}, {"ta", "tam"},
    {"te", "tel"}, {"tg", "tgk"}, {"th", "tha"}, {"ti", "tir"}, {"tk", "tuk"}, {"tl", "tgl"}, {"tn", "tsn"},
    {"to", "ton"}, {"tr", "tur"}, {"ts", "tso"}, {"tt", "tat"}, {"tw", "twi"}, {"ty", "tah"}, {"ug", "uig"},
    {"uk", "ukr"}, {"ur", "urd"}, {"uz", "uzb"}, {"ve", "ven"}, {"vi", "vie"}, {"vo", "vol"}, {"wa", "wln"},
    {"wo", "wol"}, {"xh", "xho"}, {"yi", "yid"}, {"yo", "yor"}, {"za", "zha"}, {"zh", "chi"}, {"zu", "zul"},
};
// clang-format on

} // namespace

QString ThreeLetterLanguage(const QString& twoLetter) {
    const QByteArray key = twoLetter.trimmed().toLower().toLatin1();
    const auto found =
        std::lower_bound(std::begin(kCodes), std::end(kCodes), key,
                         [](const TCodePair& pair, const QByteArray& k) { return k > pair.Two; });
    if (found != std::end(kCodes) && key == found->Two)
        return QString::fromLatin1(found->Three);
    return QStringLiteral("und");
}
