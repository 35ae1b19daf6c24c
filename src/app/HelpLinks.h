#pragma once

#include <QString>
#include <QUrl>

// The manual shipped in the program folder.
QString ManualPath(const QString& programDir);
// The project's home page: the address the build was given, or the shipped manual when it was given none.
QUrl HomePage(const QString& programDir);
// The start screen's link text: the maker's name and the home page's address.
QString HomePageLinkText();
