#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Message boxes and file choosers go through here, so tests can answer them in advance.
namespace Dialogs {

enum class TIcon { None, Information, Warning, Critical, Question };
enum class TButtons { Ok, YesNo };
enum class TAnswer { Ok, Yes, No, Cancel };

struct TRequest {
    QString Kind; // "message", "folder", "open" or "save"
    QString Caption;
    QString Text; // the message, or the save dialog's filter
    TIcon Icon = TIcon::None;
};

// Answers every dialog instead of the user while installed; tests install one.
class TAnswerer {
public:
    virtual ~TAnswerer() = default;
    virtual TAnswer Message(const TRequest& request) = 0;
    virtual QString Path(const TRequest& request) = 0; // a folder or file path; empty for Cancel
};
void SetAnswerer(TAnswerer* answerer);

TAnswer Message(QWidget* parent, const QString& caption, const QString& text, TIcon icon = TIcon::None,
                TButtons buttons = TButtons::Ok);
// A folder chosen by the user, or an empty text when cancelled.
QString ChooseFolder(QWidget* parent, const QString& caption);
// An existing file chosen by the user (filter as QFileDialog takes it), or an empty text when cancelled.
QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& filter);
// A file name to save to, with defaultSuffix added when typed without one; empty when cancelled.
// start: the file the dialog proposes.
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                       const QString& defaultSuffix, const QString& start = QString());

} // namespace Dialogs
