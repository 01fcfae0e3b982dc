// LogViewer - the log viewer.
#include "LogViewer.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeySequence>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <utility>

#include "Desktop.h"
#include "Twips.h"

namespace {

// Client area when the window first opens, in twips; the user may resize it.
constexpr int kFirstWidth = 4680;
constexpr int kFirstHeight = 3195;
// Size of "Close", and the distance of its top from the window's lower outer edge.
constexpr int kCloseWidth = 855;
constexpr int kCloseHeight = 375;
constexpr int kCloseFromBottom = 930;

}  // namespace

LogViewer::LogViewer(std::function<QString()> log_file, const QString &help_file,
                               QWidget *parent)
    : QDialog(parent), logFile_(std::move(log_file)), helpFile_(help_file) {
    setObjectName(QStringLiteral("frmViewLogFile"));
    setWindowTitle(tr("Log File"));
    setSizeGripEnabled(false);
    resize(twips_size(this, kFirstWidth, kFirstHeight));

    cmdClose = new QPushButton(tr("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->resize(twips_size(this, kCloseWidth, kCloseHeight));
    placeCloseButton();

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
    lines_.clear();
    if (!QFileInfo::exists(path)) {
        update();  // no log (yet): nothing to show, and no message
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        lines_ << tr("The log file %1 could not be read (%2).").arg(path, file.errorString());
        update();
        return;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        lines_ << tr("The log file %1 could not be read (%2).").arg(path, file.errorString());
    if (bytes.endsWith('\n')) bytes.chop(1);  // a last line end opens no new line
    if (!bytes.isEmpty()) {
        for (QByteArray line : bytes.split('\n')) {
            if (line.endsWith('\r')) line.chop(1);
            lines_ << QString::fromLocal8Bit(line);
        }
    }
    update();
}

// ---- Events -----------------------------------------------------------------------

// The log is read anew every time the window is shown and every time it becomes the
// active one.  Showing the window activates it, but not on every platform.
bool LogViewer::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate) loadLog();
    return QDialog::event(event);
}

void LogViewer::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    loadLog();
}

// One log line per text line from the top-left corner; what lies below the window's
// lower edge or beyond its right edge is cut off.
void LogViewer::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const int step = QFontMetrics(font()).lineSpacing();
    int top = 0;
    for (const QString &line : lines_) {
        if (top >= height()) break;
        painter.drawText(QRect(0, top, width(), step),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs,
                         line);
        top += step;
    }
}

void LogViewer::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    placeCloseButton();
}

// ---- Handlers ---------------------------------------------------------------------

// Hides the window; it stays, and shows the log anew when it opens again.
void LogViewer::cmdClose_clicked() { hide(); }

void LogViewer::f1_pressed() { show_help(helpFile_, help_topic_for(this)); }

// ---- Helpers ----------------------------------------------------------------------

// Centred across the window, its top 930 twips above the window's lower outer edge
// (title bar and borders included), so that a low window pushes it up and out of sight.
void LogViewer::placeCloseButton() {
    const QRect outer = frameGeometry();
    cmdClose->move((outer.width() - cmdClose->width()) / 2,
                   outer.height() - twips_to_pixels(kCloseFromBottom, logicalDpiY()));
}
