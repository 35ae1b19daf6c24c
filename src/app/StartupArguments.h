#pragma once

#include <QStringList>

// The discs named on the command line, in order (see DiscFolderOf); anything else is left out. When the first argument's
// extension is ".tmp" in any case, the entries are the lines of that file instead of the arguments.
QStringList DiscFoldersOf(const QStringList& arguments);

// The disc a path stands for: a disc image or a drive itself, an existing directory itself, another
// existing file's folder (folders ending in "/"), or an empty text.
QString DiscFolderOf(const QString& path);
