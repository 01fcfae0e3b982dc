// The log viewer, help and the about window, on logs written by hand into the test's
// application folder and with help requests recorded instead of opened.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "Twips.h"
#include "WindowFixture.h"
#include "AboutDialog.h"
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

// Pixels of `rect` in `image` that differ from its top-left pixel.
int inked(const QImage &image, const QRect &rect) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += image.pixel(x, y) != image.pixel(0, 0);
    return count;
}

}  // namespace

TEST_F(LogHelpTest, TheLogViewerShowsTheLogOfTheSelectedTypeReadAtEachActivation) {
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
    // Switching back to the open window reads the log again.
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

TEST_F(LogHelpTest, TheLogTextSurvivesRepaintsAndCloseKeepsItsPlaceFromTheLowerEdge) {
    click("optTemplate");
    QByteArray log;
    for (int i = 0; i < 100; ++i) log += "WARNING  (file Tolvex, line 9)\r\n";
    file("app folder/TOLVEX.LOG", log);
    LogViewer *viewer = view_log();
    ASSERT_TRUE(viewer);
    const int dpi = viewer->logicalDpiY();
    EXPECT_EQ(viewer->size(), twips_size(viewer, 4680, 3195));

    const int line = viewer->fontMetrics().lineSpacing();
    const QRect first_line(0, 0, viewer->width() / 2, line);
    EXPECT_GT(inked(viewer->grab().toImage(), first_line), 0);
    viewer->repaint();
    EXPECT_GT(inked(viewer->grab().toImage(), first_line), 0);

    auto *close = viewer->findChild<QPushButton *>("cmdClose");
    EXPECT_EQ(close->size(), twips_size(viewer, 855, 375));
    for (const QSize size : {QSize(400, 300), QSize(200, 40)}) {
        viewer->resize(size);
        const QRect outer = viewer->frameGeometry();
        EXPECT_EQ(close->pos(), QPoint((outer.width() - close->width()) / 2,
                                       outer.height() - twips_to_pixels(930, dpi)));
    }
    EXPECT_LT(close->y(), 0);  // a low window pushes it out of sight
}

TEST_F(LogHelpTest, HelpOpensTheHelpFileAtTheTopicOfTheFocusOrTheWindow) {
    const QString chm = app + "/weather.chm";
    EXPECT_EQ(window->helpFile(), chm);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    press_f1(find("txtDescription"));  // no type switched yet: the opening topic
    press_f1(find("optWTH1_2"));       // the option's own topic
    click("optEnergyplus");
    press_f1(find("optEnergyplus"));   // none of its own: the window's
    find<QAction>("mnuHelpContents")->trigger();
    EXPECT_EQ(helps, QStringList({chm + "#0", chm + "#400", chm + "#200", chm + "#100"}));

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
    EXPECT_EQ(helps, QStringList({chm + "#300", chm + "#500"}));

    EXPECT_EQ(help_url("/opt/w/weather.chm", 300).toString(), "file:///opt/w/weather.chm#300");
    EXPECT_EQ(help_url("/opt/w/weather.chm", 0).toString(), "file:///opt/w/weather.chm");
    set_help_handler({});
    EXPECT_FALSE(show_help(chm, 100));  // no help file: nothing handed to the desktop
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
