#include "ArgumentBuilder.h"

#include "IniFile.h"
#include "IniText.h"
#include "ProfileModel.h"

#include <QFileInfo>
#include <cmath>

namespace {

struct TParamValue {
    QString cmd;
    QString Value;
};

// Each parameter's switch and current value, in the order of the numbered keys.
std::vector<TParamValue> CurrentValues(const QString& path, const TParamGrids& grids) {
    const std::vector<TProfileParam> params = ReadProfileParams(TIniSnapshot(path));
    const std::vector<int> gridOf = GridsOf(params);
    std::vector<TParamValue> values;
    for (size_t i = 0; i < params.size(); ++i)
        values.push_back({params[i].cmd, CurrentValue(params[i], grids.RowText(gridOf[i], params[i].Name))});
    return values;
}

} // namespace

QString BuildStageOneArgs(const QString& path, const TParamGrids& grids, TMencOutputSettings& settings) {
    if (!QFileInfo(path).isFile())
        return {};
    QString bitrate, sampleRate;
    for (const TParamValue& p : CurrentValues(path, grids)) {
        if (p.cmd == "-s") {
            settings.Size = QString(p.Value).replace('x', ':').replace('X', ':');
            if (!settings.Size.isEmpty()) {
                const qsizetype colon = settings.Size.indexOf(':');
                settings.Width = colon < 0 ? QString() : settings.Size.left(colon);
                settings.Height = settings.Size.mid(colon + 1);
            }
        } else if (p.cmd == "-aspect") {
            settings.Aspect = p.Value;
        } else if (p.cmd == "-b") {
            bitrate = settings.VideoBitrate = p.Value;
        } else if (p.cmd == "-ar") {
            sampleRate = settings.SampleRate = p.Value;
        }
    }
    if (bitrate.isEmpty())
        bitrate = "800";
    return " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=" + bitrate + ":mbd=2:autoaspect" +
           " -oac mp3lame -lameopts vbr=2:q=5" + " -channels 2" + " -srate " + sampleRate +
           " -af volume=10:0";
}

QString BuildStageTwoArgs(const QString& path, const TParamGrids& grids) {
    if (!QFileInfo(path).isFile())
        return {};
    QString text;
    for (const TParamValue& p : CurrentValues(path, grids)) {
        if (p.cmd.isEmpty() || p.Value.isEmpty())
            continue;
        text += " " + p.cmd + " " + (p.Value == "\\" ? QString() : p.Value);
    }
    return text;
}

double ScalingRatio(const TMencOutputSettings& settings, const QString& titleAspect) {
    if (settings.Aspect == "4:3")
        return 1.3333;
    if (settings.Aspect == "16:9")
        return 1.7778;
    return titleAspect == "16:9" ? 1.7778 : 1.3333;
}

QString ScalingFilterText(const TMencOutputSettings& settings, const QString& titleAspect) {
    if (settings.Size.isEmpty())
        return {};
    const double ratio = ScalingRatio(settings, titleAspect);
    int width = 0;
    TextToInt(settings.Width, width); // not a number: 0, and the encoder reports the size it rejects
    const long long height = std::llrint(width / ratio);
    return " -vf scale=" + settings.Width + ":" + QString::number(height) + ",expand=" + settings.Size;
}
