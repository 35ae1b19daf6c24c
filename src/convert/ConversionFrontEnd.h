#pragma once

#include "convert/ProgressTracker.h"
#include "profiles/Preferences.h"

#include <QString>

struct TRunResult;

// What the conversion asks of the window (or of the command-line tool, or of a test).
class TConversionFrontEnd {
public:
    virtual ~TConversionFrontEnd() = default;

    // Message boxes: information, an error, a Yes/No question.
    virtual void Inform(const QString& caption, const QString& text) = 0;
    virtual void ReportError(const QString& caption, const QString& text) = 0;
    virtual bool AskYesNo(const QString& caption, const QString& text) = 0;
    virtual void FocusOutputPath() {}
    virtual void FocusProfileList() {}

    // The converting layout: controls disabled, hint panel with "Preparing to convert. Please wait..." and
    // the window's own turn-off box set from the Settings dialog; and back.
    virtual void LockInterface() = 0;
    virtual void UnlockInterface() = 0;
    virtual void ShowProgressPanel(bool shown) = 0;
    virtual void SetHintText(const QString& text) = 0;
    virtual void HideHint() = 0;
    virtual void ShowProgress(const TProgressFigures& figures) = 0;

    // Choices read live, when they are needed.
    virtual TPreferences::TOverwritePolicy OverwritePolicy() = 0;
    virtual bool AutoExit() = 0;
    virtual bool AutoOpenDir() = 0;
    virtual bool TurnOffChecked() = 0; // the window's own box, which the user may change during the run

    virtual void CloseWindow() = 0;
    virtual void OpenFolder(const QString& path) = 0;
    virtual void PumpEvents() = 0;
    // True when the front end lists a run's notes and skipped files itself once the run is over; else they
    // end the run's closing message.
    virtual bool ListsRunReport() const { return false; }
    // The run is over (completed, with or without failures), before its closing message.
    virtual void RunEnded(const TRunResult&) {}
};

// Turns the computer off. The real one asks the login manager; tests use a fake.
class TPowerControl {
public:
    virtual ~TPowerControl() = default;
    virtual void PowerOffComputer() = 0;
};
