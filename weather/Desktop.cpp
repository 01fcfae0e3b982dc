// Desktop - the application folder, the folder for the run's files, the help window
// and a converter run.
#include "Desktop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QVariant>
#include <QWidget>
#include <string>
#include <utility>

#include "RunFolder.h"
#include "HelpWindow.h"

namespace {

QString folder_override;  // empty: the program's own folder
HelpHandler help_handler;

// The system's reason in a QProcess error text, without the name of the call that
// failed ("execvp: No such file or directory" gives "No such file or directory").
QString start_reason(const QProcess &process) {
    const QString text = process.errorString();
    const int colon = text.lastIndexOf(QLatin1String(": "));
    return colon < 0 ? text : text.mid(colon + 2);
}

// While it exists, drops every input event of the application and keeps every window
// open.  Paint, timer and process events pass, so the windows stay drawn and the wait
// ends when the converter does.
class InputBlock : public QObject {
public:
    InputBlock() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputBlock() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputBlock(const InputBlock &) = delete;
    InputBlock &operator=(const InputBlock &) = delete;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        switch (event->type()) {
        case QEvent::Close:
            event->ignore();  // refused: the window stays
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }
};

}  // namespace

// ---- Application folder -------------------------------------------------------------

QString application_folder() {
    return folder_override.isEmpty() ? QCoreApplication::applicationDirPath() : folder_override;
}

QString set_application_folder(const QString &folder) {
    return std::exchange(folder_override, folder);
}

QString run_files_folder(QString *error) {
    std::string why;
    const std::string folder = run_folder(QFile::encodeName(application_folder()).toStdString(), why);
    if (error) *error = QString::fromLocal8Bit(why.c_str());
    return QFile::decodeName(QByteArray::fromStdString(folder));
}

// ---- Help ----------------------------------------------------------------------------

int help_topic_for(const QWidget *window) {
    if (const QWidget *focus = window->focusWidget()) {
        if (const int topic = focus->property(kHelpTopicProperty).toInt()) return topic;
    }
    return window->property(kHelpTopicProperty).toInt();
}

void show_help(int topic) {
    if (help_handler) {
        help_handler(topic);
        return;
    }
    static QPointer<HelpWindow> window;  // one for the program's life
    if (!window) window = new HelpWindow;
    window->showTopic(topic);
}

HelpHandler set_help_handler(HelpHandler handler) {
    return std::exchange(help_handler, std::move(handler));
}

// ---- Converter run -------------------------------------------------------------------

ConverterRun run_converter(const QString &program, const QString &log_path,
                           const QString &control_path) {
    ConverterRun run;
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("--log"), log_path, control_path});
    // No console: nothing to read, and nothing it writes is shown (its log has it all).
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());

    const InputBlock block;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.start();
    // A program that cannot be started "ends" with status 255: ask for the start
    // itself, which fails or succeeds at once.
    if (!process.waitForStarted(-1)) {
        run.outcome = ConverterRun::Outcome::NotStarted;
        run.error = start_reason(process);
        return run;
    }
    if (process.state() != QProcess::NotRunning) loop.exec();
    // The loop also ends when the application is told to quit; the converter is still
    // waited for, since it reads the control file the next run would replace.
    if (process.state() != QProcess::NotRunning) process.waitForFinished(-1);

    if (process.exitStatus() == QProcess::CrashExit) {
        run.outcome = ConverterRun::Outcome::Crashed;
    } else {
        run.outcome = ConverterRun::Outcome::Ended;
        run.exit_code = static_cast<unsigned>(process.exitCode());
    }
    return run;
}
