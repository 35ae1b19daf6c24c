#include "Dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace Dialogs {

namespace {
TAnswerer* gAnswerer = nullptr;
}

void SetAnswerer(TAnswerer* answerer) {
    gAnswerer = answerer;
}

TAnswer Message(QWidget* parent, const QString& caption, const QString& text, TIcon icon, TButtons buttons) {
    if (gAnswerer)
        return gAnswerer->Message({"message", caption, text, icon});
    static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                              QMessageBox::Warning, QMessageBox::Critical,
                                              QMessageBox::Question};
    QMessageBox box(icons[int(icon)], caption, text,
                    buttons == TButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse); // paths and addresses can be copied
    const int result = box.exec();
    if (buttons == TButtons::YesNo)
        return result == QMessageBox::Yes ? TAnswer::Yes : TAnswer::No;
    return TAnswer::Ok;
}

QString ChooseFolder(QWidget* parent, const QString& caption, const QString& start) {
    if (gAnswerer)
        return gAnswerer->Path({"folder", caption, {}, TIcon::None, start});
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& filter) {
    if (gAnswerer)
        return gAnswerer->Path({"open", caption, filter, TIcon::None});
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                       const QString& defaultSuffix, const QString& start) {
    QString path;
    if (gAnswerer) {
        path = gAnswerer->Path({"save", caption, filter, TIcon::None});
    } else {
        QFileDialog dialog(parent, caption, start, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().first();
    }
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += "." + defaultSuffix;
    return path;
}

bool OpenExternally(QWidget* parent, const QString& caption, const QUrl& url, const QString& what) {
    if (gAnswerer ? gAnswerer->Open(url) : QDesktopServices::openUrl(url))
        return true;
    Message(parent, caption,
            QStringLiteral("No program could be found to open %1:\n\n%2")
                .arg(what, url.isLocalFile() ? url.toLocalFile() : url.toString()),
            TIcon::Warning);
    return false;
}

} // namespace Dialogs
