// HelpWindow - the program's help: pages written for this program and built into it as
// resources (":/help/"), shown in a window of its own with "Contents", "Back" and
// "Forward" above the page.  Links between the pages work; links to anything else are
// not followed.  Screen readers see a window (a frame) holding a document, the page.
#pragma once

#include <QMainWindow>

class QPushButton;
class QTextBrowser;

class HelpWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the page of `topic` (help_page) and brings the window to the front.
    void showTopic(int topic);
    // The page shown now, as its resource address ("qrc:/help/tmy2.html").
    QUrl page() const;

private:
    void cmdHelpContents_clicked();
    void txtHelp_historyChanged();

    QPushButton *cmdHelpContents = nullptr;
    QPushButton *cmdHelpBack = nullptr;
    QPushButton *cmdHelpForward = nullptr;
    QTextBrowser *txtHelp = nullptr;
};
