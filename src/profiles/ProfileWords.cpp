#include "ProfileWords.h"

#include "ProfileModel.h"

#include <QStringList>

namespace {

// The encoders split the profile's text at blanks, and a double quote joins or empties words.
bool OneWord(const QString& text) {
    return !text.isEmpty() && !text.contains(' ') && !text.contains('"');
}

// The switch without its stream specifier ("-dump_attachment:t" is "-dump_attachment").
QString BareSwitch(const QString& cmd) {
    return cmd.section(':', 0, 0).toLower();
}

} // namespace

bool IsPlainExtension(const QString& type) {
    if (type.isEmpty())
        return false;
    for (const QChar c : type)
        if (!(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && !(c >= '0' && c <= '9'))
            return false;
    static const QStringList manyFiles{"m3u8", "mpd", "ism"};
    return !manyFiles.contains(type, Qt::CaseInsensitive);
}

QString ParamWordsProblem(const TProfileParam& param, const QString& rowText) {
    const QString value = CurrentValue(param, rowText);
    if (param.cmd.isEmpty() || value.isEmpty()) // the builders pass nothing for it
        return {};
    if (!OneWord(param.cmd) || !param.cmd.startsWith('-') || param.cmd == "-")
        return "has the switch \"" + param.cmd + "\": a switch is one word that begins with \"-\"";
    // Switches that write over a file (against our -n), write a file named by their value or in the
    // current folder, or pick an output format that writes more files than the one it is given.
    static const QStringList writers{"-y",
                                     "-pass",
                                     "-passlogfile",
                                     "-vstats",
                                     "-vstats_file",
                                     "-report",
                                     "-progress",
                                     "-sdp_file",
                                     "-dump_attachment",
                                     "-f",
                                     "-hls_segment_filename",
                                     "-hls_fmp4_init_filename",
                                     "-segment_list",
                                     "-master_pl_name",
                                     "-init_seg_name",
                                     "-media_seg_name",
                                     "-stats_file"};
    if (writers.contains(BareSwitch(param.cmd)))
        return "has the switch \"" + param.cmd +
               "\", which would make the encoder write a file of its own (the format follows the "
               "profile's Type)";
    // "\" gives the switch alone: one that takes a value would take the next switch for it, and the word
    // after that for another output file.
    static const QStringList alone{"-vn", "-an", "-sn", "-dn", "-shortest", "-copyts", "-start_at_zero"};
    if (value == "\\")
        return alone.contains(BareSwitch(param.cmd))
                   ? QString()
                   : "gives no value (\"\\\") to the switch \"" + param.cmd + "\", which takes one (only " +
                         alone.join(", ") + " stand alone)";
    if (!OneWord(value))
        return "gives \"" + value +
               "\": a value is one word, without blanks or double quotes (the encoder would take the rest "
               "for another file)";
    return {};
}
