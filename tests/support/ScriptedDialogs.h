#pragma once

#include "ui/Dialogs.h"

#include <QList>

// Answers the program's dialogs from a script and records what they asked, while it lives.
class TScriptedDialogs : public Dialogs::TAnswerer {
public:
    TScriptedDialogs() { Dialogs::SetAnswerer(this); }
    ~TScriptedDialogs() override { Dialogs::SetAnswerer(nullptr); }

    Dialogs::TAnswer Message(const Dialogs::TRequest& request) override {
        Asked << request;
        return Answers.isEmpty() ? Dialogs::TAnswer::Ok : Answers.takeFirst();
    }
    QString Path(const Dialogs::TRequest& request) override {
        Asked << request;
        return Paths.isEmpty() ? QString() : Paths.takeFirst();
    }

    bool Open(const QUrl& url) override {
        Opened << url;
        return Opens;
    }

    QList<Dialogs::TAnswer> Answers;
    QStringList Paths;
    QList<Dialogs::TRequest> Asked;
    QList<QUrl> Opened; // what was handed to the desktop
    bool Opens = true;  // false: no program takes it
};
