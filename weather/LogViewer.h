// LogViewer - the log viewer: draws the log of the converter that the selected
// conversion type runs, one log line per text line from the top-left corner, without
// scroll bar or wrapping.  The text is read anew each time the window is shown or
// becomes active again, and kept, so that repaints show it again.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QPushButton;

class LogViewer : public QDialog {
    Q_OBJECT

public:
    // `log_file` gives the path of the log to show at the moment it is asked: the
    // choice follows the conversion type selected then.  `help_file` is the program's
    // help file, which F1 opens.
    LogViewer(std::function<QString()> log_file, const QString &help_file,
                   QWidget *parent = nullptr);

    // ---- Properties ----
    // Help topic of the window (0: none); F1 opens help there unless the control with
    // the focus has a topic of its own.
    int helpContextID() const { return helpContextID_; }
    void setHelpContextID(int topic);
    // The lines drawn now, without their line ends.
    const QStringList &lines() const { return lines_; }

    // Reads the log into the window and redraws it.  A log that does not exist leaves
    // the window empty; one that cannot be read shows the reason as its only line.
    void loadLog();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void cmdClose_clicked();
    void f1_pressed();
    void placeCloseButton();

    QPushButton *cmdClose = nullptr;

    std::function<QString()> logFile_;
    QString helpFile_;
    QStringList lines_;
    int helpContextID_ = 0;
};
