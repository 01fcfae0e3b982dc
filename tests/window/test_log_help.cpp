// The log viewer, help and the about window, on logs written by hand into the test's
// application folder; help requests recorded, except where the help window is shown.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDirIterator>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include "Twips.h"
#include "WindowFixture.h"
#include "AboutDialog.h"
#include "HelpWindow.h"
#include "LogViewer.h"

namespace {

class LogHelpTest : public WindowTest {
protected:
    // Opens the log viewer as "View Log File" does, whatever a run has enabled.
    LogViewer *view_log() {
        find("cmdViewLogFile")->setEnabled(true);
        click("cmdViewLogFile");
        auto *viewer = window->findChild<LogViewer *>();
        EXPECT_TRUE(viewer && viewer->isVisible());
        // The offscreen platform activates a window only at its first show; a window
        // manager would at every show.
        if (viewer) QApplication::setActiveWindow(viewer);
        return viewer;
    }
    void close_log(LogViewer *viewer) { viewer->findChild<QPushButton *>("cmdClose")->click(); }
    void press_f1(QWidget *focus) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F1);
    }
};

}  // namespace

TEST_F(LogHelpTest, BeforeAnyRunTheViewerShowsTheLogOfTheSelectedTypeReadAnew) {
    window->show();
    file("app folder/TOLVEX.LOG", "Initial \r\nProgram:  tolvex\r\n\r\nFinal \r\n");

    // The upgrade is selected and renval has left no log: an empty window, no message.
    LogViewer *viewer = view_log();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->windowTitle(), "Log File");
    EXPECT_EQ(QApplication::activeModalWidget(), viewer);  // the main window takes no input
    EXPECT_TRUE(viewer->lines().isEmpty());
    EXPECT_TRUE(messages.isEmpty());
    close_log(viewer);
    EXPECT_FALSE(viewer->isVisible());

    click("optTmyWth");  // the type chosen now decides, not the last run
    EXPECT_EQ(view_log(), viewer);
    const QStringList tolvex = {"Initial ", "Program:  tolvex", "", "Final "};
    EXPECT_EQ(viewer->lines(), tolvex);
    viewer->loadLog();  // a second load shows the lines once
    EXPECT_EQ(viewer->lines(), tolvex);
    close_log(viewer);

    file("app folder/TOLVEX.LOG", "a later run\n");
    view_log();
    EXPECT_EQ(viewer->lines(), QStringList{"a later run"});
    // Switching back to the open window reads a changed log again.
    file("app folder/TOLVEX.LOG", "while it was open\n");
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(viewer);
    EXPECT_EQ(viewer->lines(), QStringList{"while it was open"});
    close_log(viewer);

    // Back to the upgrade: its missing log shows nothing, not tolvex's.
    click("optWTH1_2");
    view_log();
    EXPECT_TRUE(viewer->lines().isEmpty());
    close_log(viewer);

    // A log that cannot be read says so in the window, without a message box that
    // would take the activation away and bring it back again.
    QDir(app).mkdir("RENVAL.LOG");
    view_log();
    EXPECT_EQ(viewer->lines(), QStringList{QString("The log file %1/RENVAL.LOG could not be read "
                                                   "(file to open is a directory).").arg(app)});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(LogHelpTest, TheLogIsAResizableSelectableTextWithItsErrorsMarked) {
    click("optTemplate");
    QByteArray log;
    for (int i = 0; i < 100; ++i) log += "echoed control file line " + QByteArray::number(i) + "\r\n";
    log += "13/45 ERROR  (file Utils, line 407)\r\n 13/45 is not a valid date\r\n01/01 01/01\r\n"
           "FATAL  (file Tolvex, line 80)\r\n Run terminated because of input errors\r\n";
    file("app folder/TOLVEX.LOG", log);
    LogViewer *viewer = view_log();
    ASSERT_TRUE(viewer);
    auto *text = viewer->findChild<QPlainTextEdit *>("txtLog");
    auto *close = viewer->findChild<QPushButton *>("cmdClose");
    ASSERT_TRUE(text && close);

    EXPECT_EQ(viewer->markedLines(), (QList<int>{100, 101, 103, 104}));
    EXPECT_EQ(text->textCursor().blockNumber(), 100);  // opened at the first error
    EXPECT_TRUE(text->viewport()->rect().contains(text->cursorRect()));
    EXPECT_GT(text->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(text->isReadOnly() && QFontInfo(text->font()).fixedPitch());
    EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::NoWrap);
    text->selectAll();
    text->copy();
    EXPECT_TRUE(QApplication::clipboard()->text().contains(" 13/45 is not a valid date"));

    // Resizable, with "Close" below the text at every size.
    EXPECT_LT(viewer->minimumSize().width(), viewer->maximumSize().width());
    for (const QSize size : {QSize(700, 500), QSize(250, 150)}) {
        viewer->resize(size);
        QApplication::processEvents();
        EXPECT_GE(close->y(), text->geometry().bottom()) << size.width();
        EXPECT_LE(close->geometry().bottom(), viewer->height()) << size.width();
    }

    // Coming back to an unchanged log keeps the place the user scrolled to.
    text->verticalScrollBar()->setValue(0);
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(viewer);
    EXPECT_EQ(text->verticalScrollBar()->value(), 0);
}

TEST_F(LogHelpTest, F1FollowsTheTopicOfTheFocusOrTheWindow) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    press_f1(find("txtDescription"));  // no type switched yet: the contents
    press_f1(find("optWTH1_2"));       // the option's own topic
    click("optEnergyplus");
    press_f1(find("optEnergyplus"));   // none of its own: the window's
    find<QAction>("mnuHelpContents")->trigger();
    EXPECT_EQ(helps, (QList<int>{0, 400, 200, 100}));

    // The log viewer takes the topic of each switch, also one made before it existed.
    click("optTmyWth");
    helps.clear();
    LogViewer *viewer = view_log();
    ASSERT_TRUE(viewer);
    press_f1(viewer->findChild<QPushButton *>("cmdClose"));
    close_log(viewer);
    click("optTemplate");
    view_log();
    press_f1(viewer->findChild<QPushButton *>("cmdClose"));
    EXPECT_EQ(helps, (QList<int>{300, 500}));
}

TEST_F(LogHelpTest, TheHelpWindowShowsTheProgramsOwnPagesAlsoBesideTheLogViewer) {
    set_help_handler({});
    const struct {
        int topic;
        const char *page, *title;
    } topics[] = {{0, "contents", "Contents"}, {100, "contents", "Contents"},
                  {200, "ee", "From EnergyPlus/ESP-r (E/E)"}, {300, "tmy2", "From TMY2 weather file"},
                  {400, "upgrade", "From Ventora 1.0 weather file"}, {500, "template", "Create Template"},
                  {600, "messages", "Messages and missing values"}, {777, "contents", "Contents"}};
    HelpWindow *help = nullptr;
    for (const auto &t : topics) {
        show_help(t.topic);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *h = qobject_cast<HelpWindow *>(w)) help = h;
        ASSERT_TRUE(help && help->isVisible());
        EXPECT_EQ(help->page().toString(), QString("qrc:/help/%1.html").arg(t.page)) << t.topic;
        EXPECT_EQ(help->findChild<QTextBrowser *>("txtHelp")->documentTitle(), t.title) << t.topic;
    }
    // Every link between the pages leads to a page of the program.
    QDirIterator pages(":/help");
    while (pages.hasNext()) {
        QFile page(pages.next());
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QRegularExpressionMatchIterator links = QRegularExpression("href=\"([^\"#]+)").globalMatch(html);
        while (links.hasNext()) {
            const QString target = links.next().captured(1);
            EXPECT_TRUE(QFile::exists(":/help/" + target)) << page.fileName().toStdString() << " " << target.toStdString();
        }
    }

    // F1 in the modal log viewer opens help that takes input: its "Contents" works.
    click("optTmyWth");
    window->show();
    LogViewer *viewer = view_log();
    ASSERT_TRUE(viewer);
    press_f1(viewer->findChild<QPushButton *>("cmdClose"));
    EXPECT_EQ(help->page().toString(), "qrc:/help/tmy2.html");
    save_shot(help, "help-window");
    auto *contents = help->findChild<QPushButton *>("cmdHelpContents");
    QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {}, contents->mapTo(help, contents->rect().center()));
    EXPECT_EQ(help->page().toString(), "qrc:/help/contents.html");
    help->close();
}

TEST_F(LogHelpTest, AboutShowsTheVersionAndOkHidesIt) {
    window->show();
    find<QAction>("mnuHelpAbout")->trigger();
    auto *about = window->findChild<AboutDialog *>();
    ASSERT_TRUE(about && about->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), about);
    EXPECT_EQ(about->windowTitle(), "About");
    EXPECT_EQ(about->findChild<QLabel *>("Label1")->text(), "Weather Software " WEATHER_VERSION);
    EXPECT_EQ(about->size(), twips_size(about, 5520, 2835));
    EXPECT_EQ(about->minimumSize(), about->maximumSize());

    about->findChild<QPushButton *>("Command1")->click();
    EXPECT_FALSE(about->isVisible());
    find<QAction>("mnuHelpAbout")->trigger();
    EXPECT_EQ(window->findChildren<AboutDialog *>().size(), 1);
    EXPECT_TRUE(about->isVisible());
}
