#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own pictures (toolbar, task list, start screen), drawn from the SVG files built into it.
namespace Pictures {

// The picture name (without ".svg") drawn at size; an empty pixmap for an unknown name.
QPixmap Load(const QString& name, QSize size);
// The faded grey form of a picture, as disabled buttons show it.
QPixmap Disabled(const QPixmap& picture);
// A 48 x 48 toolbar icon with its enabled and its disabled picture.
QIcon ToolIcon(const QString& name);

} // namespace Pictures
