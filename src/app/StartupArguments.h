#pragma once

#include <QStringList>

// The disc folders named on the command line, in order, each ending in "/": an existing file stands for
// its folder, an existing directory for itself, anything else is left out. When the first argument's
// extension is ".tmp" in any case, the entries are the lines of that file instead of the arguments.
QStringList DiscFoldersOf(const QStringList& arguments);

// The disc folder a path stands for: an existing file's folder, an existing directory itself (each ending
// in "/"), or an empty text.
QString DiscFolderOf(const QString& path);
