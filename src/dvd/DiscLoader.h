#pragma once

#include <QString>
#include <functional>

struct TAppContext;
class TTaskListModel;
class TDvdAccess;

struct TLoadResult {
    bool LibraryOpened = false; // false: the DVD library could not open the folder; no title was listed
    QString LibraryError;
    bool NoDecryption = false; // the library said it cannot decrypt an encrypted disc (no libdvdcss)
};

// Appends "/" unless the path already ends in it.
QString IncludeTrailingSeparator(const QString& path);
// The path without a trailing "/" (the root "/" stays as it is).
QString ExcludeTrailingSeparator(const QString& path);

// Loads the disc at path (a VIDEO_TS folder, a folder holding one, an image file or a block device) into the task list, which the
// caller has cleared: parses every title set's VTS_xx_0.IFO (its .BUP when only the backup passes) into
// context.TitleSets, asks the library for the titles and adds a row per title and per chapter. Throws
// EIfoError, before any row is added, when neither copy of a title-set file passes, or when a video file
// is not a regular file. pump, when set, handles pending events between files and titles.
TLoadResult LoadDisc(const QString& path, TAppContext& context, TTaskListModel& tasks, TDvdAccess& library,
                     const std::function<void()>& pump = {});
