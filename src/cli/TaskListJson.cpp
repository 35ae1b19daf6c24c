#include "TaskListJson.h"

#include "tasks/AppContext.h"
#include "tasks/TaskListModel.h"

#include <QJsonArray>

namespace {

QJsonObject RowJson(const TTaskListModel& tasks, const TTaskNode& node) {
    QJsonObject row;
    row["number"] = node.Number;
    row["displayText"] = node.DisplayText;
    row["start"] = tasks.CellText(node, TTaskListModel::ColStart);
    row["end"] = tasks.CellText(node, TTaskListModel::ColEnd);
    row["outputName"] = node.OutputName;
    row["checked"] = node.Checked != 0;
    return row;
}

} // namespace

QJsonObject TaskListToJson(const TAppContext& context, const TTaskListModel& tasks) {
    QJsonArray titles;
    for (int i = 0; i < tasks.TitleCount(); ++i) {
        const TTaskNode& title = *tasks.Title(i);
        QJsonObject row = RowJson(tasks, title);
        row["frameSize"] = title.FrameSizeText;
        row["aspect"] = title.AspectText;
        row["angles"] = title.AngleCount;
        QJsonArray audio;
        for (qsizetype k = 0; k < title.AudioTracks.size(); ++k)
            audio.append(QJsonObject{{"description", title.AudioTracks[k]},
                                     {"language", title.AudioLanguages.value(k)}});
        row["audio"] = audio;
        row["subtitles"] = QJsonArray::fromStringList(title.Subtitles);
        QJsonArray chapters;
        for (const auto& chapter : title.Children)
            chapters.append(RowJson(tasks, *chapter));
        row["chapters"] = chapters;
        if (title.SameAs != 0)
            row["sameAs"] = title.SameAs;
        if (!title.PlaysTitles.empty()) {
            QJsonArray plays;
            for (int number : title.PlaysTitles)
                plays.append(number);
            row["playsTitles"] = plays;
        }
        titles.append(row);
    }
    return QJsonObject{{"discPath", context.DVDInformation.DiscPath},
                       {"standard", context.DVDInformation.Standard},
                       {"frameRate", context.DVDInformation.FrameRate},
                       {"outputPrefix", context.DVDInformation.OutputPrefix},
                       {"titles", titles}};
}
