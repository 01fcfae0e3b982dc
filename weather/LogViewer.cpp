// LogViewer - the log viewer.
#include "LogViewer.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QVBoxLayout>
#include <utility>

#include "Desktop.h"
#include "Twips.h"
#include "WeatherRules.h"

namespace {

// Client area when the window first opens, in twips; the user may resize it.
constexpr int kFirstWidth = 9600;
constexpr int kFirstHeight = 6000;
constexpr int kCloseWidth = 855;  // "Close", at least
constexpr int kCloseHeight = 375;

// Marked lines: a light red behind bold text, readable in light and dark themes alike
// because the text colour is set with it.
const QColor kMarkBackground(255, 214, 214);
const QColor kMarkText(128, 0, 0);

}  // namespace

LogViewer::LogViewer(std::function<QString()> log_file, QWidget *parent)
    : QDialog(parent), logFile_(std::move(log_file)) {
    setObjectName(QStringLiteral("frmViewLogFile"));
    setWindowTitle(tr("Log File"));
    setSizeGripEnabled(true);

    txtLog = new QPlainTextEdit(this);
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setAccessibleName(tr("Log"));
    txtLog->setReadOnly(true);
    txtLog->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    cmdClose = new QPushButton(tr("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setMinimumSize(twips_size(this, kCloseWidth, kCloseHeight));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(txtLog);
    layout->addLayout(buttons);
    resize(twips_size(this, kFirstWidth, kFirstHeight));

    connect(cmdClose, &QPushButton::clicked, this, &LogViewer::cmdClose_clicked);
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &LogViewer::f1_pressed);
}

// ---- Properties -------------------------------------------------------------------

void LogViewer::setHelpContextID(int topic) {
    helpContextID_ = topic;
    setProperty(kHelpTopicProperty, topic);
}

// The file is read whole and split at line feeds; a carriage return before a line feed
// belongs to the line end.  Bytes are taken in the local 8-bit encoding, as the
// converters write them.
void LogViewer::loadLog() {
    const QString path = logFile_();
    QFile file(path);
    QByteArray bytes;
    QStringList lines;
    if (!QFileInfo::exists(path)) {
        // No log (yet): nothing to show, and no message.
    } else if (!file.open(QIODevice::ReadOnly)) {
        lines << tr("The log file %1 could not be read (%2).").arg(path, file.errorString());
    } else {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            lines << tr("The log file %1 could not be read (%2).").arg(path, file.errorString());
    }
    loaded_ = bytes;
    loadedPath_ = path;
    if (bytes.endsWith('\n')) bytes.chop(1);  // a last line end opens no new line
    if (!bytes.isEmpty()) {
        for (QByteArray line : bytes.split('\n')) {
            if (line.endsWith('\r')) line.chop(1);
            lines << QString::fromLocal8Bit(line);
        }
    }
    lines_ = lines;
    marked_.clear();
    for (int i = 0; i < lines_.size(); ++i) {
        if (!is_problem_head(lines_[i].toStdString())) continue;
        marked_ << i;
        if (i + 1 < lines_.size()) marked_ << ++i;  // the message's text
    }
    showLines();
}

// ---- Events -----------------------------------------------------------------------

// Coming back to the window reads the log again, but shows it anew only when it has
// changed, so that a selection and the place read stay.
bool LogViewer::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate && isVisible()) {
        const QString path = logFile_();
        QFile file(path);
        const QByteArray now = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (path != loadedPath_ || now != loaded_) loadLog();
    }
    return QDialog::event(event);
}

void LogViewer::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    loadLog();
}

// ---- Handlers ---------------------------------------------------------------------

// Hides the window; it stays, and shows the log anew when it opens again.
void LogViewer::cmdClose_clicked() { hide(); }

void LogViewer::f1_pressed() { show_help(help_topic_for(this)); }

// ---- Helpers ----------------------------------------------------------------------

// Puts the lines into the text, marks the marked ones and moves to the first of them.
void LogViewer::showLines() {
    txtLog->setPlainText(lines_.join(QLatin1Char('\n')));
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat mark;
    mark.setBackground(kMarkBackground);
    mark.setForeground(kMarkText);
    mark.setFontWeight(QFont::Bold);
    mark.setProperty(QTextFormat::FullWidthSelection, true);
    for (const int line : marked_) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(txtLog->document()->findBlockByNumber(line));
        selection.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        selection.format = mark;
        marks << selection;
    }
    txtLog->setExtraSelections(marks);

    QTextCursor at(txtLog->document()->findBlockByNumber(marked_.isEmpty() ? 0 : marked_.first()));
    txtLog->setTextCursor(at);
    txtLog->centerCursor();
}
