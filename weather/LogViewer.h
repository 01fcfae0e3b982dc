// LogViewer - the log viewer: the log of the last conversion (before any, of the
// converter that the selected type runs) in a read-only, selectable, scrollable text in
// a fixed-width font, with "Close" below it.  The head and text lines of every ERROR
// and FATAL message are marked, and the view opens at the first of them.  The log is
// read anew each time the window is shown, and when it becomes active again after the
// file has changed.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QPlainTextEdit;
class QPushButton;

class LogViewer : public QDialog {
    Q_OBJECT

public:
    // `log_file` gives the path of the log to show at the moment it is asked.
    explicit LogViewer(std::function<QString()> log_file, QWidget *parent = nullptr);

    // ---- Properties ----
    // Help topic of the window (0: none); F1 opens help there unless the control with
    // the focus has a topic of its own.
    int helpContextID() const { return helpContextID_; }
    void setHelpContextID(int topic);
    // The lines shown now, without their line ends.
    const QStringList &lines() const { return lines_; }
    // Indexes of the marked lines (heads and texts of ERROR and FATAL messages).
    const QList<int> &markedLines() const { return marked_; }

    // Reads the log into the window and shows it at its first ERROR or FATAL message
    // (else at its start).  A log that does not exist leaves the window empty; one that
    // cannot be read shows the reason as its only line.
    void loadLog();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void cmdClose_clicked();
    void f1_pressed();
    void showLines();

    QPlainTextEdit *txtLog = nullptr;
    QPushButton *cmdClose = nullptr;

    std::function<QString()> logFile_;
    QByteArray loaded_;  // the file's bytes as last shown
    QString loadedPath_;
    QStringList lines_;
    QList<int> marked_;
    int helpContextID_ = 0;
};
