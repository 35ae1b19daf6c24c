#include "DisplayAspect.h"

#include "profiles/ArgumentBuilder.h"
#include "profiles/IniText.h"

QString OutputDisplayAspect(const TMencOutputSettings& settings, const QString& titleAspect) {
    if (!settings.Size.isEmpty()) {
        int width = 0, height = 0;
        if (!TextToInt(settings.Width, width) || !TextToInt(settings.Height, height) || width <= 0 ||
            height <= 0)
            return {};
        return QString::number(width) + ":" + QString::number(height);
    }
    if (settings.Aspect == "4:3" || settings.Aspect == "16:9")
        return settings.Aspect;
    return titleAspect == "16:9" ? QStringLiteral("16:9") : QStringLiteral("4:3");
}
