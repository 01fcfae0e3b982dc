// The main window, driven through its controls with messages recorded and file dialogs
// answered in advance: start-up, layout, conversion types, source and destination,
// calendar and special days, daylight saving, accessible names and closing.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QStyle>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

#include "WindowFixture.h"

namespace {

const char *const kBoxes[] = {"txtSourceFile", "txtDescription", "txtWeatherDestination",
                              "txtContaminantDestination"};

}  // namespace

TEST_F(WindowTest, StartsWithTheUpgradeSelectedAndTheDateFramesDisabled) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Weather v" WEATHER_VERSION));
    EXPECT_TRUE(find<QRadioButton>("optWTH1_2")->isChecked());
    for (const char *name : kBoxes) EXPECT_EQ(text(name), "") << name;
    EXPECT_EQ(text("txtStartDate") + text("txtEndDate"), "__/____/__");
    EXPECT_EQ(text("txtDSLStart") + text("txtDSLEnd"), "01/0101/01");
    EXPECT_EQ(find<QComboBox>("cboDayType")->currentText(), "8");
    EXPECT_EQ(find<QComboBox>("cboFirstDay")->currentText(), "Sunday");
    EXPECT_EQ(text("txtDate"), "1/1");
    EXPECT_TRUE(cell(0) == "1" && cell(30) == "31" && cell(31).isEmpty());
    EXPECT_EQ(find<QLabel>("lblMonth")->text(), "January");
    for (const char *name : {"frmDates", "frmDSL", "chkDaylightSavings", "txtDSLStart", "lblDSLEnd",
                             "frmSpecial", "lblStartDate", "cmdViewLogFile", "cmdAddSpecialDate",
                             "cmdRemoveSpecialDate"})
        EXPECT_FALSE(own_enabled(find(name))) << name;
    // Unlike after a switch to the upgrade, these are enabled inside their disabled frames.
    for (const char *name : {"txtStartDate", "txtEndDate", "cboFirstDay", "cmdPrevious"})
        EXPECT_TRUE(own_enabled(find(name)) && !find(name)->isEnabled()) << name;
    EXPECT_TRUE(find("cmdBrowseSourceFile")->isEnabled());
}

TEST_F(WindowTest, IsOfFixedSizeWithItsControlsInTabIndexOrder) {
    EXPECT_EQ(window->minimumSize(), window->maximumSize());

    QStringList days;
    for (int i = 0; i < 7; ++i) days << find<QComboBox>("cboFirstDay")->itemText(i);
    EXPECT_EQ(days.join(','), "Sunday,Monday,Tuesday,Wednesday,Thursday,Friday,Saturday");
    EXPECT_EQ(find<QAbstractButton>("cmdAddSpecialDate")->text(), "&Add ");
    EXPECT_EQ(find<QAction>("mnuFileExit")->text(), "E&xit");

    // The controls come top to bottom, left to right; the date and calendar controls
    // between the destination and "Run".
    const QStringList numbered = {"optWTH1_2", "optTmyWth", "optEnergyplus", "optTemplate",
                                  "txtSourceFile", "cmdBrowseSourceFile", "txtDescription",
                                  "txtWeatherDestination", "cmdSaveWeather",
                                  "txtContaminantDestination", "txtStartDate", "cboDayType",
                                  "cmdConvert", "cmdViewLogFile"};
    QStringList seen;
    QWidget *w = find("optWTH1_2");
    do {
        if (numbered.contains(w->objectName())) seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != find("optWTH1_2"));
    EXPECT_EQ(seen, numbered);
}

TEST_F(WindowTest, EachTypeEnablesItsRowAndTheSwitchEmptiesTheBoxesButKeepsThePaths) {
    click("optTmyWth");
    choose("cmdBrowseSourceFile", file("a.tm2", "Boulder\r\n"));
    choose("cmdSaveWeather", dir.filePath("out.wth"));
    const WindowPaths before = window->paths();
    const struct {
        const char *option;
        bool source, dates;
        int topic;
    } types[] = {{"optWTH1_2", true, false, 400}, {"optEnergyplus", true, true, 200},
                 {"optTemplate", false, true, 500}, {"optTmyWth", true, true, 300}};
    for (const auto &type : types) {
        find<QCheckBox>("chkDaylightSavings")->setChecked(true);
        find<QLineEdit>("txtDescription")->setText("typed");
        click(type.option);
        EXPECT_EQ(own_enabled(find("cmdBrowseSourceFile")), type.source) << type.option;
        for (const char *name : {"frmDSL", "frmDates", "lblStartDate", "cboFirstDay", "chkDaylightSavings",
                                 "cmdNext", "ltvSpecialDays", "cmdRemoveSpecialDate", "txtEndDate",
                                 "cboDayType", "cmdDay_0"})
            EXPECT_EQ(find(name)->isEnabled(), type.dates) << type.option << " " << name;
        for (const char *name : kBoxes) EXPECT_EQ(text(name), "") << type.option << " " << name;
        EXPECT_EQ(window->property("HelpContextID").toInt(), type.topic);
        // Daylight saving goes off; its boxes are left to its own switch.
        EXPECT_FALSE(find<QCheckBox>("chkDaylightSavings")->isChecked());
        EXPECT_FALSE(find("txtDSLStart")->isEnabled());
        EXPECT_EQ(text("txtDSLStart"), "01/01");
    }
    EXPECT_EQ(window->paths().SourceTmy2Path, before.SourceTmy2Path);
    EXPECT_EQ(window->paths().WeatherPath, before.WeatherPath);

    find<QLineEdit>("txtDescription")->setText("kept");
    click("optTmyWth");  // the type already selected: no switch
    EXPECT_EQ(text("txtDescription"), "kept");
}

TEST_F(WindowTest, SourceProposesItsFirstLineAndStoresThePathPerType) {
    click("optTmyWth");
    const QString tm2 = file("a.tm2", " 94018 BOULDER  CO  -7 N 40\r\n85 1 1 1\r\n");
    find<QComboBox>("cboFirstDay")->setCurrentIndex(3);
    choose("cmdBrowseSourceFile", tm2);
    EXPECT_EQ(find<QComboBox>("cboFirstDay")->currentIndex(), 3);  // TMY2 carries no weekday
    EXPECT_EQ(dialogs, QStringList{"open TMY2 Files (*.tm2)|*.tm2"});
    EXPECT_EQ(text("txtDescription"), " 94018 BOULDER  CO  -7 N 40");
    EXPECT_EQ(text("txtSourceFile"), tm2);
    EXPECT_EQ(window->paths().SourceTmy2Path, tm2);

    // A 2.0 weather file is left to the converter under TMY2.
    const QString v20 = file("new.wth", "WeatherFile Ventora 2.0\r\n");
    choose("cmdBrowseSourceFile", v20);
    EXPECT_EQ(text("txtDescription"), "WeatherFile Ventora 2.0");
    EXPECT_TRUE(messages.isEmpty());

    // An empty file: the message, and the earlier choice stays.
    choose("cmdBrowseSourceFile", file("empty.tm2", ""));
    EXPECT_EQ(messages, QStringList{"There is an Error. Header Too Large. "});
    EXPECT_EQ(text("txtSourceFile"), v20);
    EXPECT_EQ(window->paths().SourceTmy2Path, v20);

    click("optEnergyplus");
    const QString epw = file("a.epw", "LOCATION,Boulder\nDESIGN\n");
    choose("cmdBrowseSourceFile", epw);
    EXPECT_EQ(dialogs.last(), "open EPW Files (*.epw)|*.epw");
    EXPECT_EQ(find<QLineEdit>("txtDescription")->text(), "LOCATION,Boulder");  // LF ends the line
    EXPECT_EQ(window->paths().SourceEpwPath, epw);
    EXPECT_EQ(window->paths().SourceTmy2Path, v20);
}

// An E/E source proposes the weekday of 1 January it carries: a synthetic head, and the
// real files where they are present.
TEST_F(WindowTest, AnEeSourceProposesTheWeekdayItCarries) {
    click("optEnergyplus");
    const QString data = QStringLiteral(SHARED_DATA_DIR "/epw/");
    const std::pair<QString, int> rows[] = {
        {file("typical.epw", "LOCATION,Here\nD\nT\nG\nH\nC1\nC2\nDATA PERIODS,1,1,Data,Thursday,1/1,12/31\n"
                             "1999,1,1,1,60\n2005,1,1,2,60\n"), 4},
        {data + "Zuerich-SMA_2016.epw", 5},
        {data + "USA_IL_Chicago-OHare.Intl.AP.725300_AMY_2012_LeapYear.epw", 0},
        {data + "CAN_PQ_Montreal.Intl.AP.716270_CWEC.epw", 0},
        {data + "tmy_45.000_8.000_2005_2023.epw", 4},
    };
    for (const auto &[path, index] : rows) {
        if (!QFile::exists(path)) continue;
        find<QComboBox>("cboFirstDay")->setCurrentIndex(2);
        choose("cmdBrowseSourceFile", path);
        EXPECT_EQ(find<QComboBox>("cboFirstDay")->currentIndex(), index) << path.toStdString();
    }
}

TEST_F(WindowTest, TheUpgradeRefusesA20FileAndKeepsAPathThatFailsToRead) {
    const QString v20 = file("new.wth", "  WeatherFile Ventora 2.0 \r\n");
    choose("cmdBrowseSourceFile", v20);
    EXPECT_EQ(dialogs, QStringList{"open Weather Files (*.wth)|*.wth"});
    EXPECT_EQ(messages, QStringList{"Ventora 2.0 weather file detected. Unable to convert."});
    EXPECT_EQ(text("txtDescription") + text("txtSourceFile"), "");
    EXPECT_EQ(window->paths().SourceV1Path, v20);

    messages.clear();
    find<QLineEdit>("txtDescription")->setText("mine");
    const QString empty = file("empty.wth", "");
    choose("cmdBrowseSourceFile", empty);
    EXPECT_EQ(messages, QStringList{"There is an Error. Header Too Large. "});
    EXPECT_EQ(text("txtSourceFile"), empty);  // stored and shown before the read
    EXPECT_EQ(window->paths().SourceV1Path, empty);
    EXPECT_EQ(text("txtDescription"), "mine");
}

TEST_F(WindowTest, ACancelledSourceDialogChangesNothing) {
    const QString old = file("old.wth", "Old weather\r\n");
    choose("cmdBrowseSourceFile", old);
    EXPECT_EQ(text("txtDescription"), "Old weather");
    find<QLineEdit>("txtDescription")->setText("WeatherFile Ventora 2.0");
    choose("cmdBrowseSourceFile", QString());
    EXPECT_TRUE(messages.isEmpty());  // no test of the description either
    EXPECT_EQ(text("txtSourceFile"), old);
    EXPECT_EQ(window->paths().SourceV1Path, old);
    EXPECT_EQ(text("txtDescription"), "WeatherFile Ventora 2.0");
}

TEST_F(WindowTest, DestinationGivesTheSpeciesPathForTheUpgradeOnly) {
    choose("cmdSaveWeather", "/nowhere/new.wth");  // need not exist
    EXPECT_EQ(dialogs, QStringList{"save Weather Files (*.wth)|*.wth"});
    EXPECT_EQ(text("txtWeatherDestination"), "/nowhere/new.wth");
    EXPECT_EQ(text("txtContaminantDestination"), "/nowhere/new.ctm");
    choose("cmdSaveWeather", "/nowhere/weather");  // a name without extension gets ".wth"
    EXPECT_EQ(window->paths().ContaminantPath, "/nowhere/weather.ctm");
    choose("cmdSaveWeather", QString());  // cancelled
    EXPECT_EQ(window->paths().WeatherPath, "/nowhere/weather.wth");
    EXPECT_EQ(text("txtWeatherDestination"), "/nowhere/weather.wth");

    click("optTmyWth");
    choose("cmdSaveWeather", "/nowhere/tmy.wth");
    EXPECT_EQ(window->paths().WeatherPath, "/nowhere/tmy.wth");
    EXPECT_EQ(window->paths().ContaminantPath, "/nowhere/weather.ctm");
    EXPECT_EQ(text("txtContaminantDestination"), "");
}

TEST_F(WindowTest, CalendarFollowsFirstDayAndMonthAndKeepsThePickedDay) {
    click("optTmyWth");
    find<QComboBox>("cboFirstDay")->setCurrentIndex(6);  // Saturday
    EXPECT_TRUE(cell(5).isEmpty() && cell(6) == "1" && cell(36) == "31");
    EXPECT_EQ(text("txtDate"), "1/1");

    find<QComboBox>("cboFirstDay")->setCurrentIndex(0);
    pick(30);
    EXPECT_TRUE(find("cmdDay_30")->font().bold() && !find("cmdDay_0")->font().bold());  // marked
    click("cmdNext");  // February from a Sunday: 1 under Wednesday, no 29th
    EXPECT_EQ(find<QLabel>("lblMonth")->text(), "February");
    EXPECT_TRUE(cell(2).isEmpty() && cell(3) == "1" && cell(30) == "28" && cell(31).isEmpty());
    EXPECT_EQ(text("txtDate"), "2/31");
    pick(35);  // an empty cell does nothing
    EXPECT_EQ(text("txtDate"), "2/31");
    add("9");  // not a day of the year
    EXPECT_EQ(messages, QStringList{"2/31 is not a valid date"});
    EXPECT_TRUE(rows().isEmpty());

    click("cmdPrevious");
    click("cmdPrevious");
    EXPECT_EQ(window->currentMonth(), 12);
    EXPECT_EQ(cell(5), "1");  // December 1st is a Friday
    click("cmdNext");
    EXPECT_EQ(text("txtDate"), "1/31");
}

TEST_F(WindowTest, TheKeyboardCrossesTheGridInOneStepAndMovesThePickedDayWithArrows) {
    click("optTmyWth");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QStringList stops;
    find("txtStartDate")->setFocus();
    while (QApplication::focusWidget() != find("cmdConvert") && stops.size() < 60) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        stops << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(stops.join(' '), "txtEndDate chkDaylightSavings cboFirstDay cmdPrevious txtDate cmdNext "
                               "cmdDay_0 ltvSpecialDays cmdAddSpecialDate cmdRemoveSpecialDate "
                               "cboDayType cmdConvert");

    const struct {
        Qt::Key key;
        const char *date, *focus;
    } moves[] = {{Qt::Key_Right, "1/2", "cmdDay_1"}, {Qt::Key_Down, "1/9", "cmdDay_8"},
                 {Qt::Key_Up, "1/2", "cmdDay_1"},    {Qt::Key_Left, "1/1", "cmdDay_0"},
                 {Qt::Key_Left, "12/31", "cmdDay_35"},  // into December (1st a Friday)
                 {Qt::Key_Down, "1/7", "cmdDay_6"}};
    find("cmdDay_0")->setFocus();
    for (const auto &m : moves) {
        QTest::keyClick(QApplication::focusWidget(), m.key);
        EXPECT_EQ(text("txtDate"), m.date);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), m.focus) << m.date;
    }
    int focusable = 0;
    for (int k = 0; k < 37; ++k) focusable += find("cmdDay_" + std::to_string(k))->focusPolicy() != Qt::NoFocus;
    EXPECT_EQ(focusable, 1);

    // Return presses the focused button; the captions underline a letter for Alt.
    find("cmdAddSpecialDate")->setFocus();
    QTest::keyClick(find("cmdAddSpecialDate"), Qt::Key_Return);
    EXPECT_EQ(rows(), QStringList{"1/7 8"});
    find("cmdDay_6")->setFocus();
    QTest::keyClick(find("cmdDay_6"), Qt::Key_Space);
    find("cmdConvert")->setFocus();
    QTest::keyClick(find("cmdConvert"), Qt::Key_Return);
    EXPECT_EQ(messages, QStringList{"Please enter all the Dates Information. Dates must have four digits. Ex. 01/01"});
    EXPECT_EQ(QApplication::focusWidget(), find("txtStartDate"));  // where the check failed
    QStringList captions;
    for (const char *name : {"cmdConvert", "cmdBrowseSourceFile", "cmdSaveWeather", "cmdAddSpecialDate",
                             "cmdRemoveSpecialDate"})
        captions << find<QAbstractButton>(name)->text();
    EXPECT_EQ(captions.join(','), "&Run,&Browse,&Save As,&Add ,Re&move");
}

TEST_F(WindowTest, NothingIsClippedAtThisScreensDpi) {
    window->show();
    QStringList clipped;
    const int frame = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 1;
    for (QWidget *w : find("frmWeatherClient")->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith("qt_") || !w->isVisibleTo(window.get())) continue;
        const QFontMetrics metrics(w->font());
        int needed = 0;
        if (auto *button = qobject_cast<QPushButton *>(w))
            needed = metrics.horizontalAdvance(button->text().remove('&')) + 2 * frame;
        else if (auto *box = qobject_cast<QGroupBox *>(w))
            needed = metrics.horizontalAdvance(box->title()) + 4 * frame;
        else if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w))
            needed = w->sizeHint().width();
        if (needed > w->width()) clipped << QString("%1 %2>%3").arg(name).arg(needed).arg(w->width());
        if (!w->parentWidget()->rect().contains(w->geometry())) clipped << name + " outside";
        // Neighbours may share an edge (the layout overlaps them by 15 twips), no more;
        // the daylight-saving box sits on its frame's edge by design.
        for (QWidget *other : w->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QRect both = w->geometry() & other->geometry();
            if (other != w && !other->objectName().isEmpty() && name != "chkDaylightSavings" &&
                other->objectName() != "chkDaylightSavings" && both.width() > 2 && both.height() > 2)
                clipped << name + " overlaps " + other->objectName();
        }
    }
    auto *header = find<QTreeWidget>("ltvSpecialDays")->header();
    for (int i = 0; i < 2; ++i)
        if (header->sectionSizeHint(i) > header->sectionSize(i)) clipped << "heading " + QString::number(i);
    EXPECT_TRUE(clipped.isEmpty()) << clipped.join(", ").toStdString();
    // The window fits the screen's free area: of its fixed size where that holds it,
    // else smaller, with the client area scrolling to its far corner.
    const QSize free = window->screen()->availableGeometry().size();
    QWidget *client = find("frmWeatherClient");
    const bool fits = client->width() <= free.width() && client->height() + window->menuBar()->height() <= free.height();
    EXPECT_TRUE(window->width() <= free.width() && window->height() <= free.height()) << window->height();
    EXPECT_EQ(window->minimumSize() == window->maximumSize(), fits);
    auto *scroll = find<QScrollArea>("scrWeather");
    EXPECT_EQ(scroll->verticalScrollBar()->maximum(), client->height() - scroll->viewport()->height());
    save_shot(window.get(), "main-window-start");
}

TEST_F(WindowTest, ASourceFileDroppedOnTheWindowIsTakenAsIfChosenWithBrowse) {
    click("optTmyWth");
    const QString tm2 = file("dropped.tm2", "Dropped\r\n");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(tm2)});
    auto drop = [&] {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &dropped);
        return dropped.isAccepted();
    };
    EXPECT_TRUE(drop());
    EXPECT_EQ(text("txtSourceFile") + "|" + text("txtDescription"), tm2 + "|Dropped");
    EXPECT_EQ(window->paths().SourceTmy2Path, tm2);
    EXPECT_EQ(last_folder(), dir.path());
    click("optTemplate");  // no source to take
    EXPECT_FALSE(drop());
    EXPECT_EQ(text("txtSourceFile"), "");
}

// The real save dialog, answered by a timer: it opens in the last folder, adds ".wth" to
// a name without extension and asks before replacing a file.
TEST_F(WindowTest, TheSaveDialogOpensInTheLastFolderAddsWthAndAsksBeforeReplacing) {
    set_file_dialog_handler({});
    remember_file(dir.filePath("earlier.tm2"));
    QString opened_in;
    int asked = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            ++asked;
            box->button(QMessageBox::Yes)->click();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal); dialog && opened_in.isEmpty()) {
            opened_in = dialog->directory().absolutePath();
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText("tmpl");  // typed
            // Outside this slot: a question asked while it runs is answered by this timer.
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->accept(); });
        }
    });
    answer.start(20);
    click("cmdSaveWeather");
    EXPECT_EQ(opened_in, dir.path());
    EXPECT_EQ(text("txtWeatherDestination"), dir.filePath("tmpl.wth"));
    EXPECT_EQ(asked, 0);

    file("tmpl.wth", "");
    opened_in.clear();
    click("cmdSaveWeather");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(text("txtWeatherDestination"), dir.filePath("tmpl.wth"));
}

TEST_F(WindowTest, AddUpdatesADateInPlaceAndRemoveTakesOnlyTheSelectedRow) {
    click("optTmyWth");
    click("cmdRemoveSpecialDate");  // an empty list
    add("8");                       // 1/1
    pick(24);
    add("10");                      // 1/25
    pick(0);
    add("12");                      // 1/1 again: updated, still first
    EXPECT_EQ(rows(), (QStringList{"1/1 12", "1/25 10"}));

    click("cmdRemoveSpecialDate");  // rows but none selected: nothing goes
    EXPECT_EQ(rows().size(), 2);
    find<QTreeWidget>("ltvSpecialDays")->topLevelItem(0)->setSelected(true);
    click("cmdRemoveSpecialDate");
    click("cmdRemoveSpecialDate");  // the next one needs a new choice
    EXPECT_EQ(rows(), QStringList{"1/25 10"});

    click("optTemplate");  // the list survives a change of type
    EXPECT_EQ(window->specialDays().size(), 1u);
}

TEST_F(WindowTest, DaylightSavingAsksForNewDatesAndARunReadsTheBoxesAsShown) {
    click("optTmyWth");
    auto *dsl = find<QCheckBox>("chkDaylightSavings");
    dsl->click();
    EXPECT_TRUE(find("txtDSLStart")->isEnabled() && find("lblDSLEnd")->isEnabled());
    EXPECT_EQ(text("txtDSLStart") + text("txtDSLEnd"), "__/____/__");
    QTest::keyClicks(find("txtDSLStart"), "0407");
    QTest::keyClicks(find("txtDSLEnd"), "1x");  // digits only
    QTest::keyClicks(find("txtStartDate"), "0315");
    find<QComboBox>("cboFirstDay")->setCurrentIndex(1);
    const RunInputs in = window->runInputs();
    EXPECT_EQ(in.dsl_start + in.dsl_end + in.start_date + in.end_date, "04/071_/__03/15__/__");
    EXPECT_EQ(in.first_day_index, 1);

    dsl->click();
    EXPECT_FALSE(find("txtDSLStart")->isEnabled() || find("lblDSLStart")->isEnabled());
    EXPECT_EQ(text("txtDSLStart") + text("txtDSLEnd"), "01/0101/01");
    dsl->click();
    EXPECT_EQ(text("txtDSLStart"), "__/__");  // not the earlier dates
}

TEST_F(WindowTest, EveryControlHasAnAccessibleNameAndDaylightDatesTheirOwn) {
    window->show();  // a window not shown is invisible to screen readers
    QStringList nameless;
    auto a11y = [](QWidget *w) { return QAccessible::queryAccessibleInterface(w); };
    auto name = [&](QWidget *w) { return a11y(w)->text(QAccessible::Name); };
    for (QWidget *w : window->findChildren<QWidget *>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_") && !a11y(w)->state().invisible &&
            name(w).trimmed().isEmpty())
            nameless << w->objectName();
    EXPECT_TRUE(nameless.isEmpty()) << nameless.join(' ').toStdString();
    EXPECT_EQ(name(find("txtSourceFile")), "Source File");
    EXPECT_EQ(name(find("txtStartDate")), "Start Date");  // from its label
    EXPECT_EQ(name(find("cmdAddSpecialDate")), "Add");    // not the caption's "Add "
    QStringList dates;
    for (const char *box : {"txtStartDate", "txtEndDate", "txtDSLStart", "txtDSLEnd"}) dates << name(find(box));
    EXPECT_EQ(dates.removeDuplicates(), 0);
    // The grid's cells that show no day are hidden from screen readers; a day is a
    // button named by its day, in every month shown.
    click("optTmyWth");
    for (int month : {1, 2}) {
        window->setCurrentMonth(month);
        QStringList cells;
        for (int k = 0; k < 37; ++k) {
            QAccessibleInterface *cell = a11y(find("cmdDay_" + std::to_string(k)));
            cells << (cell->state().invisible ? "-" : cell->text(QAccessible::Name) + (cell->role() == QAccessible::Button ? "" : "?"));
        }
        EXPECT_EQ(cells.join(' ').count('-'), 37 - (month == 1 ? 31 : 28)) << cells.join(' ').toStdString();
        EXPECT_TRUE(cells.join(' ').contains(month == 1 ? "30 31 -" : "27 28 -")) << cells.join(' ').toStdString();
    }
}

TEST_F(WindowTest, ExitClosesEveryWindow) {
    window->show();
    QWidget other;  // stands for another window of the program
    other.show();
    find<QAction>("mnuFileExit")->trigger();
    EXPECT_FALSE(window->isVisible() || other.isVisible());
}

TEST(WindowMessages, AMessageIsAModalBoxWithOneOkNoIconAndTheTitle) {
    QString seen;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = QString("%1|%2|%3|%4").arg(box->windowTitle(), box->text()).arg(box->icon()).arg(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    show_msg(nullptr, "Specify a source file using the 'browse' button.");
    EXPECT_EQ(seen, "Weather|Specify a source file using the 'browse' button.|0|1");
}
