#include "WindowPlacement.h"

#include "profiles/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <optional>

namespace {

const QString kSection = QStringLiteral("Window");

// A whole number in [low, high], or nothing.
std::optional<int> ReadBounded(const TIniFile& ini, const QString& key, int low, int high) {
    bool ok = false;
    const int value = ini.ReadString(kSection, key, QString()).toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

TWindowPlacement TWindowPlacement::Read(const QString& preferencesFile) {
    const TIniFile ini(preferencesFile);
    TWindowPlacement p;
    constexpr int far = 100000, largest = 16384;
    const auto left = ReadBounded(ini, "Left", -far, far), top = ReadBounded(ini, "Top", -far, far);
    const auto width = ReadBounded(ini, "Width", 1, largest), height = ReadBounded(ini, "Height", 1, largest);
    if (left && top && width && height)
        p.Frame = QRect(*left, *top, *width, *height);
    p.Maximized = ReadBounded(ini, "Maximized", 0, 1).value_or(0) == 1;
    p.PanelWidth = ReadBounded(ini, "Settings Panel Width", 1, largest).value_or(0);
    const QString folder = ini.ReadString(kSection, "Last Folder", QString());
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir())
        p.LastFolder = folder;
    return p;
}

void TWindowPlacement::Write(const QString& preferencesFile) const {
    TIniFile ini(preferencesFile);
    ini.WriteInteger(kSection, "Left", Frame.x());
    ini.WriteInteger(kSection, "Top", Frame.y());
    ini.WriteInteger(kSection, "Width", Frame.width());
    ini.WriteInteger(kSection, "Height", Frame.height());
    ini.WriteInteger(kSection, "Maximized", Maximized ? 1 : 0);
    ini.WriteInteger(kSection, "Settings Panel Width", PanelWidth);
    ini.WriteString(kSection, "Last Folder", LastFolder);
}

QRect OnSomeScreen(const QRect& frame) {
    if (frame.isNull())
        return {};
    const QRect grip(frame.x() + frame.width() / 3, frame.y(), qMax(1, frame.width() / 3), 20);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(grip.center()))
            return frame;
    return {};
}
