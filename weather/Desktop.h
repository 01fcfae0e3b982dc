// Desktop - what the window asks of the system around it: the application folder that
// holds the programs, the folder for the run's files, the help window, and a converter
// run with its wait.
//
// The application folder and the help window each go through one routine whose work a
// test can replace, so that tests run converters from a folder of their own and watch
// help requests without opening the window.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// ---- Application folder -------------------------------------------------------------

// The folder that holds the window program and the converters, without a trailing
// "/": the program's own folder, or the one a test put in its place.
QString application_folder();

// Puts `folder` in place of the program's own folder; an empty text brings it back.
// Returns the folder in place before ("" for the program's own).
QString set_application_folder(const QString &folder);

// The folder for the run's files, the control file and the converters' logs, without
// a trailing "/": the application folder when it is writable, else the per-user state
// folder, created when missing (the converters decide by the same rule, RunFolder.h).
// `error` is emptied, or set to the message that names a state folder that cannot be
// created.
QString run_files_folder(QString *error = nullptr);

// ---- Help ----------------------------------------------------------------------------

// The property that holds the help topic number of a window or a control; 0 or no
// property means none.
constexpr const char *kHelpTopicProperty = "HelpContextID";

// The topic F1 opens in `window`: that of the control in it that has (or last had) the
// focus; when that control has none, the window's own; else 0, the contents.
int help_topic_for(const QWidget *window);

// Shows the program's help at `topic` in its help window, which is made at the first
// call and kept; it is not modal, so it stays usable beside a modal log viewer.
void show_help(int topic);

using HelpHandler = std::function<void(int topic)>;
// Replaces what show_help does; an empty handler brings back the help window.  Returns
// the handler in place before.
HelpHandler set_help_handler(HelpHandler handler);

// ---- Converter run -------------------------------------------------------------------

struct ConverterRun {
    enum class Outcome {
        Ended,        // the converter ended by itself; exit_code holds its status
        Crashed,      // the converter was ended by a signal
        NotStarted,   // the program could not be started; error says why
    };
    Outcome outcome = Outcome::NotStarted;
    unsigned exit_code = 0;  // the converter's exit status when it Ended, else 0
    QString error;           // the system's reason when NotStarted
};

// Starts `program` with the arguments "--log", `log_path`, `control_path` (an argument
// list, no shell), so that the run's log goes to `log_path` instead of the converter's
// shared log, with the window program's environment and current folder, standard input
// empty and both output streams discarded, and waits for its end without a time limit.
//
// While it waits the program's windows keep repainting and timers keep running, but no
// window takes input: mouse, keyboard, wheel, touch and drag events are dropped, and no
// window closes, neither by its close button nor by Esc.  No control is disabled and the
// mouse pointer is not changed.
ConverterRun run_converter(const QString &program, const QString &log_path,
                           const QString &control_path);
