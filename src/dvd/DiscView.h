#pragma once

#include <QString>
#include <QTemporaryDir>
#include <map>

// A private folder that shows a disc as a DVD library should read it. Libraries pick between an .IFO and
// its .BUP by themselves, read the first damaged copy they meet and can crash on it; the view holds, under
// both names, only the copy of each information file that passed the checks (InfoFileChoice.h), and links
// to the disc's video files. The folder lives as long as the object.
class TDiscView {
public:
    // videoTs is the disc's VIDEO_TS folder, ending in "/". A menu file without a good copy leaves the view
    // invalid with Error() set; a title set without one is left out, as if it were missing. menuProblem,
    // when set, rules out VIDEO_TS.IFO (see ChooseVideoManagerFile).
    explicit TDiscView(const QString& videoTs, const QString& menuProblem = {});

    bool IsValid() const { return FError.isEmpty(); }
    QString Error() const { return FError; }
    QString Path() const { return FFolder.path(); }
    // The copy read for title set number (0: the menu), or the .IFO's name where there is none.
    QString FileOf(int number) const;
    // "<file>: <problem>" of VIDEO_TS.IFO when the view holds the backup in its place.
    QString MenuPassedOver() const { return FMenuPassedOver; }

private:
    bool Link(const QString& target, const QString& name);

    QString FSource;
    QTemporaryDir FFolder;
    std::map<int, QString> FFiles;
    QString FMenuPassedOver;
    QString FError;
};
