#pragma once

#include <QString>
#include <QUrl>

// The project's home page: the address the build was given, or the shipped manual (helpFile) when it was
// given none.
QUrl HomePage(const QString& helpFile);
// The start screen's link text: the maker's name and the home page's address.
QString HomePageLinkText();
// What the home page is, as a message names it: "the manual" or "the web page".
QString HomePageKind(const QUrl& page);
