#pragma once

// What the conversion driver's two source files share: the row facts they read and the names they report
// encoders by.
#include "tasks/ProductInfo.h"
#include "tasks/TaskNode.h"
#include "tasks/TimeText.h"

#include <QString>

class TEncoderSlot;
class TStallWatch;

namespace ConversionHelpers {

inline const TTaskNode& TitleOf(const TTaskNode& item) {
    return item.IsTitle() ? item : *item.Parent;
}

// The current range's length, from the texts the row shows.
inline double ItemSeconds(const TTaskNode& item) {
    return TimeTextToSeconds(item.CurEndText) - TimeTextToSeconds(item.CurStartText);
}

inline QString ReinstallText() {
    return QStringLiteral("Error. Please re-install %1").arg(kProductTitle);
}

inline const QString kStageOne = QStringLiteral("Stage one (MEncoder)");
inline const QString kStageTwo = QStringLiteral("Stage two (FFmpeg)");

// "Title01.partial-XXXXXX.mp4": beside the final file, with its extension, which tells FFmpeg the format.
QString PartialPattern(const QString& outputPath, const QString& extension);

// What a stage's failure is reported as: what happened, with the last lines the encoder wrote.
QString WithTail(const QString& what, const TEncoderSlot& slot);
QString Describe(const TEncoderSlot& slot, const QString& encoder);
QString Stalled(const TEncoderSlot& slot, const QString& encoder, const TStallWatch& watch);

// The name the Rename policy gives an output whose name is taken: the time to the millisecond after the
// name, and a number after that where the name is taken too.
QString FreeNameBeside(const QString& output, const QString& extension);

} // namespace ConversionHelpers
