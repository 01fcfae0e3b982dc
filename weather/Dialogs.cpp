// Dialogs - the message box and the file dialog behind their replaceable routines.
#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <utility>

#include "WeatherRules.h"

namespace {

MessageHandler message_handler;
MessageButtonHandler message_button_handler;
FileDialogHandler file_dialog_handler;

// The settings key of the folder of the last file chosen.
constexpr const char *kLastFolderKey = "files/lastFolder";

void message_box(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool message_box_button(QWidget *parent, const QString &text, const QString &extra) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok,
                    parent);
    QPushButton *button = box.addButton(extra, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == button;
}

// "Weather Files (*.wth)|*.wth" becomes the dialog's "Weather Files (*.wth)"; a shown
// part that does not name its pattern gets it added in parentheses.
QString dialog_filter(const QString &filter) {
    const int bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0) return filter;
    const QString shown = filter.left(bar), pattern = filter.mid(bar + 1);
    const QString named = QStringLiteral("(%1)").arg(pattern);
    return shown.endsWith(named) ? shown : QStringLiteral("%1 %2").arg(shown, named);
}

QString file_dialog(QWidget *parent, FileDialogKind kind, const QString &filter) {
    QFileDialog dialog(parent, QString(), last_folder());
    dialog.setNameFilter(dialog_filter(filter));
    if (kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // The dialog adds the extension before it asks whether to replace a file, so
        // that it asks about the file the converter will write.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const int dot = filter.lastIndexOf(QLatin1String("*."));
        if (dot >= 0) dialog.setDefaultSuffix(filter.mid(dot + 2));
    }
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.selectedFiles().value(0);
}

}  // namespace

void show_msg(QWidget *parent, const QString &text) {
    if (message_handler)
        message_handler(parent, text);
    else
        message_box(parent, text);
}

MessageHandler set_message_handler(MessageHandler handler) {
    return std::exchange(message_handler, std::move(handler));
}

bool show_msg_button(QWidget *parent, const QString &text, const QString &extra) {
    if (message_button_handler) return message_button_handler(parent, text, extra);
    if (message_handler) {
        message_handler(parent, text);
        return false;
    }
    return message_box_button(parent, text, extra);
}

MessageButtonHandler set_message_button_handler(MessageButtonHandler handler) {
    return std::exchange(message_button_handler, std::move(handler));
}

QString choose_file(QWidget *parent, FileDialogKind kind, const QString &filter) {
    const QString path = file_dialog_handler ? file_dialog_handler(parent, kind, filter)
                                             : file_dialog(parent, kind, filter);
    if (!path.trimmed().isEmpty()) remember_file(path);
    return path;
}

QString last_folder() { return QSettings().value(QLatin1String(kLastFolderKey)).toString(); }

void remember_file(const QString &path) {
    QSettings().setValue(QLatin1String(kLastFolderKey), QFileInfo(path).absolutePath());
}

FileDialogHandler set_file_dialog_handler(FileDialogHandler handler) {
    return std::exchange(file_dialog_handler, std::move(handler));
}
