#pragma once

#include "QtPrinters.h"
#include "convert/ConversionDriver.h"

#include <QCoreApplication>
#include <QList>
#include <functional>

// A front end that answers from a script and records what the conversion told it.
class TRecordingFrontEnd : public TConversionFrontEnd {
public:
    struct TMessage {
        QString Kind, Caption, Text;
    };
    QList<TMessage> Messages;
    QList<bool> Answers; // for AskYesNo, in order; No when empty
    QStringList Hints;
    TProgressFigures Last;
    std::vector<TProgressFigures> Shown;
    int Locks = 0, Unlocks = 0, Closes = 0;
    QStringList OpenedFolders;
    TPreferences::TOverwritePolicy Policy = TPreferences::Ask;
    bool Exit = false, OpenDir = true, TurnOff = false;
    std::function<void()> OnPump;

    void Inform(const QString& caption, const QString& text) override {
        Messages << TMessage{"inform", caption, text};
    }
    void ReportError(const QString& caption, const QString& text) override {
        Messages << TMessage{"error", caption, text};
    }
    bool AskYesNo(const QString& caption, const QString& text) override {
        Messages << TMessage{"ask", caption, text};
        return Answers.isEmpty() ? false : Answers.takeFirst();
    }
    void LockInterface() override { ++Locks; }
    void UnlockInterface() override { ++Unlocks; }
    void ShowProgressPanel(bool) override {}
    void SetHintText(const QString& text) override { Hints << text; }
    void HideHint() override {}
    void ShowProgress(const TProgressFigures& figures) override {
        Last = figures;
        Shown.push_back(figures);
    }
    TPreferences::TOverwritePolicy OverwritePolicy() override { return Policy; }
    bool AutoExit() override { return Exit; }
    bool AutoOpenDir() override { return OpenDir; }
    bool TurnOffChecked() override { return TurnOff; }
    void CloseWindow() override { ++Closes; }
    void OpenFolder(const QString& path) override { OpenedFolders << path; }
    void PumpEvents() override {
        QCoreApplication::processEvents();
        if (OnPump)
            OnPump();
    }
    QStringList Captions() const {
        QStringList c;
        for (const TMessage& m : Messages)
            c << m.Caption;
        return c;
    }
};
