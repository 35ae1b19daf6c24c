#pragma once

#include <QJsonObject>

struct TAppContext;
class TTaskListModel;

// The loaded disc as the task list shows it: disc path, standard, frame rate, titles and chapters.
QJsonObject TaskListToJson(const TAppContext& context, const TTaskListModel& tasks);
