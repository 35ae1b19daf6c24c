#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

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
    QString Start; // the folder a chooser shows first
};

// Answers every dialog instead of the user while installed; tests install one.
class TAnswerer {
public:
    virtual ~TAnswerer() = default;
    virtual TAnswer Message(const TRequest& request) = 0;
    virtual QString Path(const TRequest& request) = 0; // a folder or file path; empty for Cancel
    // Stands in for the desktop's program for a file, folder or web address: true when it "opened" it.
    virtual bool Open(const QUrl&) { return true; }
};
void SetAnswerer(TAnswerer* answerer);

TAnswer Message(QWidget* parent, const QString& caption, const QString& text, TIcon icon = TIcon::None,
                TButtons buttons = TButtons::Ok);
// A folder chosen by the user, or an empty text when cancelled. start: the folder the chooser shows first.
QString ChooseFolder(QWidget* parent, const QString& caption, const QString& start = QString());
// An existing file chosen by the user (filter as QFileDialog takes it), or an empty text when cancelled.
QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& filter);
// A file name to save to, with defaultSuffix added when typed without one; empty when cancelled.
// start: the file the dialog proposes.
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                       const QString& defaultSuffix, const QString& start = QString());

// Hands a file, folder or web address to the desktop's program for it. When none takes it, says so in a
// message that names what (the manual, the folder, ...) and holds the path or address to copy; false then.
bool OpenExternally(QWidget* parent, const QString& caption, const QUrl& url, const QString& what);

} // namespace Dialogs
