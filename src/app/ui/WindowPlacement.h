#pragma once

#include <QRect>
#include <QString>

class QWidget;

// Where the window was when it closed, the width of its right-hand panel and the folder last chosen with
// Open a Directory, kept in the [Window] section of Preferences.ini. A value that is missing or damaged
// reads as none, and the window keeps its first place for it.
struct TWindowPlacement {
    QRect Frame;            // the position of the window's frame and the size inside it; null for none
    bool Maximized = false;
    int PanelWidth = 0;     // the right-hand panel's width; 0 for none
    QString LastFolder;     // an existing folder, or empty

    static TWindowPlacement Read(const QString& preferencesFile);
    // Throws EIniWriteError.
    void Write(const QString& preferencesFile) const;
};

// The frame, when enough of it shows on one of the screens to be taken hold of (its top edge's middle
// third); else a null one.
QRect OnSomeScreen(const QRect& frame);
