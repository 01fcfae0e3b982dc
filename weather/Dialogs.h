// Dialogs - the window's two ways of asking the user outside its own controls: the
// message box and the file dialog.  Each goes through one routine whose work a test
// can replace, so that no test ever blocks on a modal box.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// Shows `text` in a modal box with one "OK" button, no icon and the application's
// title as caption; returns when the user has closed it.
void show_msg(QWidget *parent, const QString &text);

using MessageHandler = std::function<void(QWidget *parent, const QString &text)>;
// Replaces what show_msg does; an empty handler brings back the box.  Returns the
// handler in place before.
MessageHandler set_message_handler(MessageHandler handler);

// Shows `text` like show_msg with a second button `extra` beside "OK"; returns true
// when the user closed the box with `extra`.
bool show_msg_button(QWidget *parent, const QString &text, const QString &extra);

using MessageButtonHandler =
    std::function<bool(QWidget *parent, const QString &text, const QString &extra)>;
// Replaces what show_msg_button does; an empty handler brings back the box.  While no
// handler is set here but one is set for show_msg, that one gets the text and "OK" is
// the answer.  Returns the handler in place before.
MessageButtonHandler set_message_button_handler(MessageButtonHandler handler);

enum class FileDialogKind {
    Open,  // an existing file only
    Save,  // any name, also of a file that does not exist yet; the pattern's extension
           // is added to a name without one, and replacing a file is asked first
};

// Shows the open or save dialog with `filter` ("Description (*.ext)|*.ext": the part
// before "|" is shown, the part after it is the pattern), in the folder of the last
// file chosen.  Returns the full path chosen, or an empty text when the user cancelled;
// a path chosen is remembered (remember_file).
QString choose_file(QWidget *parent, FileDialogKind kind, const QString &filter);

// The folder of the last file chosen, kept across starts in the user's settings; ""
// before any choice.
QString last_folder();
// Remembers the folder of `path` as the one the next file dialog opens in.
void remember_file(const QString &path);

using FileDialogHandler =
    std::function<QString(QWidget *parent, FileDialogKind kind, const QString &filter)>;
// Replaces what choose_file does; an empty handler brings back the dialog.  Returns the
// handler in place before.
FileDialogHandler set_file_dialog_handler(FileDialogHandler handler);
