#include "IfoReader.h"

#include <QFile>
#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kVtsIdentifier[] = "DVDVIDEO-VTS";
constexpr std::array<const char*, 2> kVideoCoding = {"MPEG1", "MPEG2"};
constexpr std::array<const char*, 4> kStandard = {"NTSC", "PAL", "???", "???"};
constexpr std::array<const char*, 4> kAspect = {"4:3", "???", "???", "16:9"};
constexpr std::array<const char*, 4> kNtscSize = {"720x480", "704x480", "352x480", "352x240"};
constexpr std::array<const char*, 4> kPalSize = {"720x576", "704x576", "352x576", "352x288"};
constexpr std::array<const char*, 7> kAudioCoding = {"AC3", "???", "MPEG1", "MPEG2", "LPCM", "???", "DTS"};
constexpr std::array<const char*, 5> kCodeExtension = {
    "unspecified", "normal", "for visually impaired", "director's comments", "alternate director's comments"};

// Values the tables leave open (reserved by DVD-Video) read as "???".
template <size_t N> const char* Lookup(const std::array<const char*, N>& table, unsigned index) {
    return index < N ? table[index] : "???";
}

struct TLanguage {
    const char* Code;
    const char* Name;
};

// clang-format off
constexpr TLanguage kLanguages[] = {
    {"  ", "Not Specified"},
    {"aa", "Afar"}, {"ab", "Abkhazian"}, {"af", "Afrikaans"}, {"am", "Amharic"}, {"ar", "Arabic"},
    {"as", "Assamese"}, {"ay", "Aymara"}, {"az", "Azerbaijani"}, {"ba", "Bashkir"}, {"be", "Byelorussian"},
    {"bg", "Bulgarian"}, {"bh", "Bihari"}, {"bi", "Bislama"}, {"bn", "Bengali; Bangla"}, {"bo", "Tibetan"},
    {"br", "Breton"}, {"ca", "Catalan"}, {"co", "Corsican"}, {"cs", "Czech(Ceske)"}, {"cy", "Welsh"},
    {"da", "Dansk"}, {"de", "Deutsch"}, {"dz", "Bhutani"}, {"el", "Greek"}, {"en", "English"},
    {"eo", "Esperanto"}, {"es", "Espanol"}, {"et", "Estonian"}, {"eu", "Basque"}, {"fa", "Persian"},
    {"fi", "Suomi"}, {"fj", "Fiji"}, {"fo", "Faroese"}, {"fr", "French"}, {"fy", "Frisian"},
    {"ga", "Irish"}, {"gd", "Scots Gaelic"}, {"gl", "Galician"}, {"gn", "Guarani"}, {"gu", "Gujarati"},
    {"ha", "Hausa"}, {"he", "Hebrew"}, {"hi", "Hindi"}, {"hr", "Hrvatski"}, {"hu", "Magyar"},
    {"hy", "Armenian"}, {"ia", "Interlingua"}, {"id", "Indonesian"}, {"ie", "Interlingue"}, {"ik", "Inupiak"},
    {"in", "Indonesian"}, {"is", "Islenska"}, {"it", "Italiano"}, {"iu", "Inuktitut"}, {"iw", "Hebrew"},
    {"ja", "Japanese"}, {"ji", "Yiddish"}, {"jw", "Javanese"}, {"ka", "Georgian"}, {"kk", "Kazakh"},
    {"kl", "Greenlandic"}, {"km", "Cambodian"}, {"kn", "Kannada"}, {"ko", "Korean"}, {"ks", "Kashmiri"},
    {"ku", "Kurdish"}, {"ky", "Kirghiz"}, {"la", "Latin"}, {"ln", "Lingala"}, {"lo", "Laothian"},
    {"lt", "Lithuanian"}, {"lv", "Latvian, Lettish"}, {"mg", "Malagasy"}, {"mi", "Maori"},
    {"mk", "Macedonian"}, {"ml", "Malayalam"}, {"mn", "Mongolian"}, {"mo", "Moldavian"}, {"mr", "Marathi"},
    {"ms", "Malay"}, {"mt", "Maltese"}, {"my", "Burmese"}, {"na", "Nauru"}, {"ne", "Nepali"},
    {"nl", "Nederlands"}, {"no", "Norsk"}, {"oc", "Occitan"}, {"om", "(Afan) Oromo"}, {"or", "Oriya"},
    {"pa", "Punjabi"}, {"pl", "Polish"}, {"ps", "Pashto, Pushto"}, {"pt", "Portugues"}, {"qu", "Quechua"},
    {"rm", "Rhaeto-Romance"}, {"rn", "Kirundi"}, {"ro", "Romanian"}, {"ru", "Russian"},
    {"rw", "Kinyarwanda"}, {"sa", "Sanskrit"}, {"sd", "Sindhi"}, {"sg", "Sangho"}, {"sh", "Serbo-Croatian"},
    {"si", "Sinhalese"}, {"sk", "Slovak"}, {"sl", "Slovenian"}, {"sm", "Samoan"}, {"sn", "Shona"},
    {"so", "Somali"}, {"sq", "Albanian"}, {"sr", "Serbian"}, {"ss", "Siswati"}, {"st", "Sesotho"},
    {"su", "Sundanese"}, {"sv", "Svenska"}, {"sw", "Swahili"}, {"ta", "Tamil"}, {"te", "Telugu"},
    {"tg", "Tajik"}, {"th", "Thai"}, {"ti", "Tigrinya"}, {"tk", "Turkmen"}, {"tl", "Tagalog"},
    {"tn", "Setswana"}, {"to", "Tonga"}, {"tr", "Turkish"}, {"ts", "Tsonga"}, {"tt", "Tatar"},
    {"tw", "Twi"}, {"ug", "Uighur"}, {"uk", "Ukrainian"}, {"ur", "Urdu"}, {"uz", "Uzbek"},
    {"vi", "Vietnamese"}, {"vo", "Volapuk"}, {"wo", "Wolof"}, {"xh", "Xhosa"}, {"yi", "Yiddish"},
    {"yo", "Yoruba"}, {"za", "Zhuang"}, {"zh", "Chinese"}, {"zu", "Zulu"},
};
// clang-format on
static_assert(std::size(kLanguages) == 143);

// A BCD field read as its hexadecimal digits taken for decimal ones (0x59 is 59).
int BcdToInt(unsigned value) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", value);
    int result = 0;
    for (const char* p = hex; *p; ++p) {
        if (*p < '0' || *p > '9')
            throw std::invalid_argument("'" + std::string(hex) + "' is not a valid integer value");
        result = result * 10 + (*p - '0');
    }
    return result;
}

struct TBcdTime {
    int Hours, Minutes, Seconds, FrameMs;
};

TBcdTime DecodeBcdTime(const uint8_t t[4]) {
    TBcdTime r;
    r.Hours = BcdToInt(t[0]);
    r.Minutes = BcdToInt(t[1]);
    r.Seconds = BcdToInt(t[2]);
    const int rate = (t[3] >> 6) == 3 ? 30 : 25;
    const int frames = BcdToInt(t[3] & 0x3F);
    // frames * 1000 / rate is never exactly half way at 25 or 30, so plain rounding is exact.
    r.FrameMs = (frames * 1000 + rate / 2) / rate;
    return r;
}

std::string FormatTimeOfDay(int h, int m, int s, int ms) {
    if (h < 0 || h >= 24 || m < 0 || m >= 60 || s < 0 || s >= 60 || ms < 0 || ms >= 1000)
        throw std::invalid_argument("Invalid argument to time encode");
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d.%03d", h, m, s, ms);
    return text;
}

// Big-endian reads at absolute offsets; a read past the end is "Stream read error". Positions may
// run past the end (a skip after the last entry); only reading there fails.
class TIfoStream {
public:
    TIfoStream(QIODevice& device) : FDevice(device) {}

    void Seek(qint64 offset) { FPos = offset; }
    void Skip(qint64 count) { FPos += count; }
    void ReadBytes(uint8_t* out, qint64 count) {
        if (count == 0) // a chain without programs may point its empty map anywhere
            return;
        if (FPos < 0 || FPos + count > FDevice.size() || !FDevice.seek(FPos) ||
            FDevice.read(reinterpret_cast<char*>(out), count) != count)
            throw std::out_of_range("Stream read error");
        FPos += count;
    }
    uint32_t Read(int count) {
        uint8_t bytes[4];
        ReadBytes(bytes, count);
        uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | bytes[i];
        return value;
    }

private:
    QIODevice& FDevice;
    qint64 FPos = 0;
};

TVTS_VOBS ReadVobs(TIfoStream& in) {
    TVTS_VOBS vobs;
    in.Seek(0x200);
    const unsigned v = in.Read(2);
    vobs.Video.CodingMode = Lookup(kVideoCoding, (v >> 14) & 3);
    vobs.Video.Standard = Lookup(kStandard, (v >> 12) & 3);
    vobs.Video.AspectRatio = Lookup(kAspect, (v >> 10) & 3);
    const unsigned sizeCode = (v >> 2) & 3;
    if (vobs.Video.Standard == "PAL")
        vobs.Video.FrameSize = kPalSize[sizeCode];
    else if (vobs.Video.Standard == "NTSC")
        vobs.Video.FrameSize = kNtscSize[sizeCode];
    else
        vobs.Video.FrameSize = "???";

    vobs.AudioCount = in.Read(2);
    for (unsigned i = 0; i < vobs.AudioCount; ++i) {
        TAudioStream a;
        const unsigned w = in.Read(2);
        a.CodingMode = Lookup(kAudioCoding, (w >> 13) & 7);
        a.LanguageType = (w >> 10) & 3;
        a.ChannelCount = (w & 7) + 1;
        uint8_t code[2];
        in.ReadBytes(code, 2);
        a.LanguageCode.assign(reinterpret_cast<const char*>(code), 2);
        a.LanguageName = LookupLanguage(a.LanguageCode);
        in.Skip(1);
        a.CodeExtension = Lookup(kCodeExtension, in.Read(1));
        in.Skip(2);
        vobs.Audio.push_back(std::move(a));
    }

    in.Seek(0x254);
    vobs.SubtitleCount = in.Read(2) & 0xFF;
    in.Skip(2);
    for (unsigned i = 0; i < vobs.SubtitleCount; ++i) {
        uint8_t code[2];
        in.ReadBytes(code, 2);
        vobs.SubtitleLanguages.push_back(LookupLanguage(std::string(reinterpret_cast<const char*>(code), 2)));
        in.Skip(4);
    }
    return vobs;
}

// Only the comparison of titles uses the sectors: a cell table cut short leaves them out rather than
// refusing a file the chapters could be read from.
std::vector<TCellSectors> ReadCellSectors(TIfoStream& in, qint64 table, unsigned count) {
    std::vector<TCellSectors> cells;
    try {
        for (unsigned k = 0; k < count; ++k) {
            in.Seek(table + 24 * qint64(k) + 8);
            TCellSectors cell;
            cell.First = in.Read(4);
            in.Skip(8); // the first interleaved unit's end and the last unit's start
            cell.Last = in.Read(4);
            cells.push_back(cell);
        }
    } catch (const std::out_of_range&) {
        cells.clear();
    }
    return cells;
}

TProgramChain ReadChain(TIfoStream& in, qint64 q, const TVTS_VOBS& vobs) {
    TProgramChain c;
    in.Seek(q + 2);
    c.ProgramCount = in.Read(1);
    c.CellCount = in.Read(1);
    uint8_t time[4];
    in.ReadBytes(time, 4);
    c.PlaybackTime = BcdTimeToText(time);

    in.Seek(q + 0x0C);
    for (unsigned k = 0; k < vobs.AudioCount; ++k) {
        c.AudioEnabled.push_back((in.Read(1) & 0x80) != 0);
        in.Skip(1);
    }
    in.Seek(q + 0x1C);
    for (unsigned k = 0; k < vobs.SubtitleCount; ++k) {
        c.SubtitleEnabled.push_back((in.Read(1) & 0x80) != 0);
        in.Skip(3);
    }

    in.Seek(q + 0xE6);
    const unsigned mapOffset = in.Read(2);
    const unsigned cellOffset = in.Read(2);
    in.Seek(q + mapOffset);
    c.ProgramMap.resize(c.ProgramCount);
    in.ReadBytes(c.ProgramMap.data(), c.ProgramCount);

    // Cells are taken strictly in sequence: program j's cells follow program j - 1's.
    in.Seek(q + cellOffset);
    int64_t elapsed = 0;
    for (unsigned j = 0; j < c.ProgramCount; ++j) {
        const uint8_t first = c.ProgramMap[j];
        const uint8_t last = j + 1 == c.ProgramCount ? c.CellCount : uint8_t(c.ProgramMap[j + 1] - 1);
        int64_t duration = 0;
        if (last >= first) {
            for (int n = last - first + 1; n > 0; --n) {
                in.Skip(4);
                in.ReadBytes(time, 4);
                duration += BcdTimeToMs(time);
                in.Skip(16);
            }
        }
        c.ChapterDurations.push_back(MsToTimeText(duration));
        c.ChapterStarts.push_back(MsToTimeText(elapsed));
        elapsed += duration;
    }
    c.CellSectors = ReadCellSectors(in, q + cellOffset, c.CellCount);
    return c;
}

TIFO Parse(QIODevice& device) {
    TIfoStream in(device);
    // A file that is not a title-set information file (zero-filled, another file renamed) is refused
    // rather than read as a title set without programs.
    uint8_t magic[12];
    in.ReadBytes(magic, sizeof magic);
    if (std::memcmp(magic, kVtsIdentifier, sizeof magic) != 0)
        throw std::invalid_argument("not a DVD title-set information file");
    TIFO ifo;
    ifo.Vobs = ReadVobs(in);

    in.Seek(0xCC);
    const qint64 table = qint64(in.Read(4)) * 2048;
    in.Seek(table);
    ifo.Pgci.ChainCount = in.Read(2);
    for (unsigned i = 0; i < ifo.Pgci.ChainCount; ++i) {
        in.Seek(table + 12 + 8 * qint64(i));
        const qint64 offset = in.Read(4);
        ifo.Pgci.Chains.push_back(ReadChain(in, table + offset, ifo.Vobs));
    }
    return ifo;
}

} // namespace

std::string LookupLanguage(const std::string& code) {
    for (const TLanguage& language : kLanguages)
        if (code == language.Code)
            return language.Name;
    return "???";
}

std::string BcdTimeToText(const uint8_t time[4]) {
    const TBcdTime t = DecodeBcdTime(time);
    return FormatTimeOfDay(t.Hours, t.Minutes, t.Seconds, t.FrameMs);
}

int32_t BcdTimeToMs(const uint8_t time[4]) {
    const TBcdTime t = DecodeBcdTime(time);
    return t.Hours * 3600000 + t.Minutes * 60000 + t.Seconds * 1000 + t.FrameMs;
}

std::string MsToTimeText(int64_t ms) {
    if (ms < 0 || ms >= int64_t(24) * 3600000)
        throw std::invalid_argument("Invalid argument to time encode");
    return FormatTimeOfDay(int(ms / 3600000), int(ms % 3600000 / 60000), int(ms % 60000 / 1000),
                           int(ms % 1000));
}

TIFO ReadIfo(QIODevice& device, const QString& name) {
    try {
        return Parse(device);
    } catch (const std::exception& e) {
        throw EIfoError(QStringLiteral("%1: %2").arg(name, QString::fromUtf8(e.what())).toStdString());
    }
}

TIFO ReadIfo(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EIfoError(
            QStringLiteral("%1: cannot open the file: %2").arg(path, file.errorString()).toStdString());
    return ReadIfo(file, path);
}
