// "Run" from end to end: the window driven through its controls, the real converters
// copied into the test's application folder, and the control file, the message and the
// produced files checked.  Also the checks in their order, a failed conversion, a
// converter that cannot be started, a control file that cannot be written, and the
// window while a converter runs.
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <vector>

#include "WeatherGen.h"
#include "WindowFixture.h"
#include "LogViewer.h"

namespace {

QByteArray bytes_of(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QByteArray> lines_of(const QString &path) {
    QByteArray all = bytes_of(path);
    if (all.endsWith("\r\n")) all.chop(2);
    QList<QByteArray> lines;
    for (const QByteArray &line : all.split('\n')) lines << (line.endsWith('\r') ? line.chopped(1) : line);
    return lines;
}

class RunTest : public WindowTest {
protected:
    // Copies the converters beside the test program into the application folder.
    void install_converters() {
        for (const char *name : {"tolvex", "renval"}) {
            const QString from = QCoreApplication::applicationDirPath() + "/" + name;
            ASSERT_TRUE(QFile::copy(from, app + "/" + name)) << name;
        }
    }
    // A stand-in converter: a shell script named `name` with `body`.
    void install_script(const char *name, const QByteArray &body) {
        QFile f(app + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + body);
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    void type(const char *box, const char *digits) {
        find<QLineEdit>(box)->clear();
        QTest::keyClicks(find(box), digits);
    }
    void dates(const char *start, const char *end) {
        type("txtStartDate", start);
        type("txtEndDate", end);
    }
    void daylight_saving(const char *start, const char *end) {
        find<QCheckBox>("chkDaylightSavings")->setChecked(true);
        type("txtDSLStart", start);
        type("txtDSLEnd", end);
    }
    // Presses "Run" and gives the messages it showed.
    QStringList run() {
        messages.clear();
        click("cmdConvert");
        return messages;
    }
    // The window's own file `name` in `folder` (the application folder unless named),
    // %1 standing for the process id.
    QString own(const char *name, const QString &folder = {}) const {
        return (folder.isEmpty() ? app : folder) + "/" +
               QString(name).arg(QCoreApplication::applicationPid());
    }
    QString control() const { return own("data-%1.dat"); }
};

// A synthetic year in the TMY2 or EPW layout, lines ended by LF alone.
QString generate(const QString &path, bool tmy2) {
    std::vector<GenHour> hours(kGenHoursPerLeapYear);
    const int count = gen_year(hours.data(), 2001, false);
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "wb");
    EXPECT_NE(f, nullptr);
    if (!f) return path;
    EXPECT_EQ(tmy2 ? write_tmy2(f, hours.data(), count, false) : write_epw(f, hours.data(), count, false), 0);
    std::fclose(f);
    return path;
}

}  // namespace

TEST_F(RunTest, ChecksComeInTheirOrderAndAFailedCheckWritesNothing) {
    install_converters();
    EXPECT_EQ(run(), QStringList{"Specify a source file using the 'browse' button."});
    choose("cmdBrowseSourceFile", file("old.wth", "Old\r\n"));
    EXPECT_EQ(run(), QStringList{"Specify a destination weather file using the 'Save As' button."});

    click("optTmyWth");
    const char *incomplete = "Please enter all the Dates Information. Dates must have four digits. Ex. 01/01";
    EXPECT_EQ(run(), QStringList{incomplete});
    dates("0316", "0231");
    find<QCheckBox>("chkDaylightSavings")->setChecked(true);  // its boxes show "__/__"
    EXPECT_EQ(run(), QStringList{incomplete});
    find<QCheckBox>("chkDaylightSavings")->setChecked(false);
    EXPECT_EQ(run(), QStringList{"End Date: 02/31 is not a valid date"});
    dates("1201", "0131");  // over the year's end
    EXPECT_EQ(run(), QStringList{"Specify a source file using the 'browse' button."});
    const QString source = file("a.tm2", "header\r\n");
    choose("cmdBrowseSourceFile", source);
    EXPECT_EQ(run(), QStringList{"Specify a destination weather file using the 'Save As' button."});
    choose("cmdSaveWeather", source);
    EXPECT_EQ(run(), QStringList{"The destination is the source file"});

    EXPECT_FALSE(QFileInfo::exists(control()));
    EXPECT_FALSE(QFileInfo::exists(app + "/TOLVEX.LOG") || QFileInfo::exists(app + "/RENVAL.LOG"));
    EXPECT_FALSE(find("cmdViewLogFile")->isEnabled());
}

TEST_F(RunTest, TemplateWritesTheControlFileAndTheCalendarOfTheWeatherFile) {
    install_converters();
    click("optTemplate");
    const QString out = dir.filePath("one week.wth");
    choose("cmdSaveWeather", out);
    find<QLineEdit>("txtDescription")->setText("One week, template");
    dates("0701", "0707");
    find<QComboBox>("cboFirstDay")->setCurrentIndex(1);  // Monday: 1 July is a Sunday
    for (int i = 0; i < 6; ++i) click("cmdNext");
    pick(3);  // 7/4
    add("9");
    daylight_saving("0407", "1027");

    EXPECT_EQ(run(), QStringList{"Conversion Completed Successfully"});
    const QByteArray path = QFile::encodeName(out);
    EXPECT_EQ(bytes_of(control()), "One week, template\r\n" + path + "\r\nTEMPLATE\r\n" + path +
                                       "\r\n07/01 07/07\r\n 2 \r\n 1 \r\n7/4 9\r\n04/07 10/27\r\n");
    const QList<QByteArray> lines = lines_of(out);
    ASSERT_EQ(lines.size(), 5 + 7 + 1 + 1 + 24 * 7);
    EXPECT_EQ(lines.mid(0, 4), (QList<QByteArray>{"WeatherFile Ventora 2.0", "One week, template",
                                                  "7/1\t!start-of-file date", "7/7\t!end-of-file date"}));
    EXPECT_TRUE(lines[5].startsWith("7/1\t1\t1\t1\t")) << lines[5].constData();
    EXPECT_TRUE(lines[8].startsWith("7/4\t4\t9\t1\t")) << lines[8].constData();
    EXPECT_EQ(window->lastExitCode(), 0u);
    EXPECT_TRUE(find("cmdViewLogFile")->isEnabled());  // a success leaves a log too

    // The run changed no input: "Run" again does the same again.
    EXPECT_EQ(run(), QStringList{"Conversion Completed Successfully"});
    EXPECT_EQ(lines_of(out).size(), lines.size());
    EXPECT_EQ(rows(), QStringList{"7/4 9"});
}

TEST_F(RunTest, Tmy2AndEeConvertTheChosenSourceForTheTypedDates) {
    install_converters();
    const struct {
        const char *option, *word, *source, *start, *end;
        int days;  // days converted
        int first_day;
        bool special, dsl;
        QByteArray control_tail;
        QList<QByteArray> day_lines;
        const char *last;
    } types[] = {
        // Sources with LF line ends, converted for a whole year and over the year's end.
        {"optTmyWth", "TMY2", "site.tm2", "0101", "1231", 365, 0, true, false,
         "01/01 12/31\r\n 1 \r\n 1 \r\n1/1 8\r\n01/01 01/01\r\n",
         {"1/1\t1\t8\t0\t", "1/2\t2\t2\t0\t"}, "12/31\t24:00:00\t"},
        {"optEnergyplus", "E/E", "year.epw", "0101", "1231", 365, 0, false, false,
         "01/01 12/31\r\n 1 \r\n 1 \r\n1/1 8\r\n01/01 01/01\r\n",  // the list stays
         {"1/1\t1\t8\t0\t", "1/2\t2\t2\t0\t"}, "12/31\t24:00:00\t"},
        {"optEnergyplus", "E/E", "site.epw", "1231", "0101", 2, 6, false, true,  // over the year's end
         "12/31 01/01\r\n 7 \r\n 1 \r\n1/1 8\r\n03/26 10/30\r\n",  // the list stays
         {"12/31\t7\t7\t0\t", "1/1\t7\t8\t0\t"}, "1/1\t24:00:00\t"},
    };
    for (const auto &t : types) {
        SCOPED_TRACE(t.option);
        click(t.option);
        const QString source = generate(dir.filePath(t.source), t.word == std::string("TMY2"));
        choose("cmdBrowseSourceFile", source);
        const QByteArray description = bytes_of(source).split('\n').first();
        EXPECT_EQ(find<QLineEdit>("txtDescription")->text().toLocal8Bit(), description);
        const QString out = dir.filePath(QString(t.source) + ".wth");
        choose("cmdSaveWeather", out);
        dates(t.start, t.end);
        find<QComboBox>("cboFirstDay")->setCurrentIndex(t.first_day);
        if (t.special) add("8");  // the date box shows 1/1
        if (t.dsl) daylight_saving("0326", "1030");

        EXPECT_EQ(run(), QStringList{"Conversion Completed Successfully"});
        EXPECT_EQ(bytes_of(control()), description + "\r\n" + QFile::encodeName(source) + "\r\n" +
                                           t.word + "\r\n" + QFile::encodeName(out) + "\r\n" +
                                           t.control_tail);
        const QList<QByteArray> lines = lines_of(out);
        ASSERT_EQ(lines.size(), 5 + t.days + 1 + 1 + 24 * t.days);
        EXPECT_EQ(lines[1], description);
        EXPECT_TRUE(lines[5].startsWith(t.day_lines[0]) && lines[6].startsWith(t.day_lines[1]))
            << lines[5].constData() << " / " << lines[6].constData();
        EXPECT_TRUE(lines.last().startsWith(t.last)) << lines.last().constData();
        EXPECT_EQ(lines.last().count('\t'), 11);  // every column filled from the source
        if (t.special) save_shot(window.get(), "main-window");
    }
}

TEST_F(RunTest, TheUpgradeWritesFourLinesAndGivesWeatherAndSpeciesFiles) {
    install_converters();
    // The bundled example as it is, LF line ends: its title line is the description.
    const QString old = file("old 1.0.wth", bytes_of(EXAMPLES_DIR "/example-1.0.wth"));
    choose("cmdBrowseSourceFile", old);
    choose("cmdSaveWeather", dir.filePath("upgraded.wth"));
    type("txtStartDate", "1");  // the upgrade neither tests nor writes dates

    EXPECT_EQ(run(), QStringList{"Conversion Completed Successfully"});
    const QByteArray description = bytes_of(old).split('\n').first();
    EXPECT_EQ(bytes_of(control()), QFile::encodeName(old) + "\r\n" +
                                       QFile::encodeName(dir.filePath("upgraded.wth")) + "\r\n" +
                                       QFile::encodeName(dir.filePath("upgraded.ctm")) + "\r\n" +
                                       description + "\r\n");
    EXPECT_EQ(lines_of(dir.filePath("upgraded.wth")).mid(0, 2),
              (QList<QByteArray>{"WeatherFile Ventora 2.0", description}));
    EXPECT_EQ(lines_of(dir.filePath("upgraded.ctm")).first(), "SpeciesFile Ventora 2.0");
    // The run's log and work file are the window's own, and closing removes them.
    EXPECT_EQ(window->logFile(), own("renval-%1.log"));
    EXPECT_TRUE(QFileInfo::exists(own("renval-%1.log.TMP")));
    window->close();
    EXPECT_EQ(QDir(app).entryList(QDir::Files), (QStringList{"renval", "tolvex"}));
}

// Two windows in one folder, one run after the other: each converts its own control
// file into its own log and shows that log; closing removes what its own runs wrote.
TEST_F(RunTest, TwoWindowsInOneFolderKeepTheirRunsApart) {
    install_converters();
    QFile earlier(own("renval-%1.log"));  // left by an earlier process of the same id
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    auto run_template = [&](const QString &description) {
        click("optTemplate");
        choose("cmdSaveWeather", dir.filePath(description + ".wth"));
        find<QLineEdit>("txtDescription")->setText(description);
        dates("0101", "0101");
        EXPECT_EQ(run(), QStringList{"Conversion Completed Successfully"});
    };
    run_template("first");
    const auto first = std::exchange(window, std::make_unique<WeatherWindow>());
    run_template("second");

    const struct {
        WeatherWindow *window;
        QString control, log;
        QByteArray description;
    } windows[] = {{first.get(), own("data-%1.dat"), own("tolvex-%1.log"), "first"},
                   {window.get(), own("data-%1-2.dat"), own("tolvex-%1-2.log"), "second"}};
    for (const auto &w : windows) {
        SCOPED_TRACE(w.description.constData());
        EXPECT_TRUE(bytes_of(w.control).startsWith(w.description + "\r\n"));
        EXPECT_EQ(w.window->logFile(), w.log);
        EXPECT_TRUE(bytes_of(w.log).contains(QFile::encodeName(dir.filePath(w.description + ".wth"))));
    }
    window->close();
    EXPECT_FALSE(QFileInfo::exists(windows[1].control) || QFileInfo::exists(windows[1].log));
    EXPECT_TRUE(QFileInfo::exists(windows[0].control) && QFileInfo::exists(windows[0].log));
    first->close();
    EXPECT_EQ(QDir(app).entryList(QDir::Files),
              (QStringList{"renval", QFileInfo(earlier).fileName(), "tolvex"}));
}

TEST_F(RunTest, AFailureNamesTheFirstErrorAndTheViewerShowsTheLogOfThatRun) {
    install_converters();
    click("optTmyWth");
    choose("cmdBrowseSourceFile", file("short.tm2", "header\r\n 85 1 1 1\r\n"));
    choose("cmdSaveWeather", dir.filePath("t.wth"));
    dates("0101", "0131");
    const QString fact = "End-of-File encountered: a TMY2 year has 8760 records, " +
                         dir.filePath("short.tm2") + " has 1";
    EXPECT_EQ(run(), QStringList{"Conversion failed: " + fact + " - see log file"});
    EXPECT_EQ(window->lastExitCode(), 1u);
    ASSERT_TRUE(find("cmdViewLogFile")->isEnabled());

    click("optWTH1_2");  // the log of the run, not of the type selected now
    click("cmdViewLogFile");
    auto *viewer = window->findChild<LogViewer *>();
    ASSERT_TRUE(viewer && viewer->isVisible());
    ASSERT_FALSE(viewer->markedLines().isEmpty());
    EXPECT_EQ(viewer->lines().value(viewer->markedLines().value(1)), "  " + fact);
    window->show();
    save_shot(window.get(), "main-window");
    save_shot(viewer, "log-viewer");
    viewer->findChild<QPushButton *>("cmdClose")->click();
}

TEST_F(RunTest, AFailedConversionLeavesTheLogViewerAvailable) {
    install_converters();
    click("optTemplate");
    choose("cmdSaveWeather", dir.filePath("t.wth"));
    dates("0101", "0101");
    find<QLineEdit>("txtDescription")->setText(QString(300, 'x'));  // over the converter's line limit
    const QStringList failed = run();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith("Conversion failed: ") && failed[0].endsWith(" - see log file"))
        << failed[0].toStdString();
    EXPECT_EQ(window->lastExitCode(), 1u);
    ASSERT_TRUE(find("cmdViewLogFile")->isEnabled());

    find<QLineEdit>("txtDescription")->setText("short");
    EXPECT_EQ(run(), QStringList{"Conversion Completed Successfully"});
    EXPECT_TRUE(find("cmdViewLogFile")->isEnabled());
    EXPECT_EQ(window->lastExitCode(), 0u);
}

TEST_F(RunTest, AConverterThatDoesNotEndByItselfIsNeverASuccess) {
    click("optTemplate");
    choose("cmdSaveWeather", dir.filePath("t.wth"));
    dates("0101", "0131");
    const QString tolvex = app + "/tolvex";
    // Missing; present but not executable; killed by a signal.  None leaves a log.
    EXPECT_EQ(run(), QStringList{QString("The converter program %1 could not be started (No such "
                                         "file or directory). The conversion was not run.").arg(tolvex)});
    file("app folder/tolvex", "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(run(), QStringList{QString("The converter program %1 could not be started (Permission "
                                         "denied). The conversion was not run.").arg(tolvex)});
    QFile::remove(tolvex);
    install_script("tolvex", "kill -9 $$\n");
    EXPECT_EQ(run(), QStringList{"Conversion failed - see log file"});
    EXPECT_FALSE(find("cmdViewLogFile")->isEnabled());
    // One killed after it wrote its log: the log's first error, and the log to view.
    QFile::remove(tolvex);
    install_script("tolvex", "printf 'FATAL  (file Wfiles, line 1)\\n Stopped\\n' > \"$2\"\n"
                             "kill -9 $$\n");
    EXPECT_EQ(run(), QStringList{"Conversion failed: Stopped - see log file"});
    EXPECT_TRUE(find("cmdViewLogFile")->isEnabled());
}

TEST_F(RunTest, AControlFileThatCannotBeWrittenStartsNothing) {
    install_converters();
    click("optTemplate");
    choose("cmdSaveWeather", dir.filePath("t.wth"));
    dates("0101", "0131");

    QDir().mkdir(control());  // a folder where the file should go
    EXPECT_EQ(run(), QStringList{QString("The control file %1 could not be written (Is a directory). "
                                         "The conversion was not run.").arg(control())});
    EXPECT_FALSE(QFileInfo::exists(own("tolvex-%1.log")));

    // An application folder that cannot be written (its parent is a plain file; root
    // may write anywhere else) sends the control file to the state folder; one that
    // cannot be created either is named, and nothing runs.
    const QString plain = file("plain", "");
    set_application_folder(plain + "/app");
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(plain + "/state"));
    EXPECT_EQ(run(), QStringList{QString("Could not create folder: %1/state/weather-tools (Not a "
                                         "directory)").arg(plain)});
    qputenv("XDG_STATE_HOME", state);
    EXPECT_FALSE(find("cmdViewLogFile")->isEnabled());
}

// The window of an installed copy, run by the install test as the installing user and
// as a user who cannot write the installed folder WEATHER_INSTALLED_BIN: for both the
// control file and the log go to the state folder, and the installed converter reads
// and writes them there.
TEST_F(RunTest, FromAnInstalledCopyTheRunsFilesGoToTheStateFolder) {
    const QString bin = qEnvironmentVariable("WEATHER_INSTALLED_BIN");
    if (bin.isEmpty()) GTEST_SKIP() << "run by the install test, which sets WEATHER_INSTALLED_BIN";
    set_application_folder(bin);
    click("optTemplate");
    choose("cmdSaveWeather", dir.filePath("t.wth"));
    dates("0101", "0107");

    EXPECT_EQ(run(), QStringList{"Conversion Completed Successfully"});
    const QString state = qEnvironmentVariable("XDG_STATE_HOME") + "/weather-tools";
    EXPECT_TRUE(bytes_of(own("data-%1.dat", state))
                    .startsWith("\r\n" + QFile::encodeName(dir.filePath("t.wth"))));
    EXPECT_EQ(window->logFile(), own("tolvex-%1.log", state));
    EXPECT_TRUE(bytes_of(own("tolvex-%1.log", state))
                    .contains("Program:  " + QFile::encodeName(bin) + "/tolvex\n"));
    EXPECT_EQ(lines_of(dir.filePath("t.wth")).size(), 5 + 7 + 2 + 24 * 7);
}

// The stand-in converter records its arguments and waits for the test to let it end,
// while the test tries to type, click, press Esc and close, and asks for a repaint.
TEST_F(RunTest, WhileTheConverterRunsTheWindowRepaintsButTakesNoInput) {
    install_script("tolvex",
                   "printf '%s\\n' \"$#\" \"$@\" > \"$(dirname \"$0\")/args\"\n"
                   "i=0\n"
                   "while [ ! -e \"$(dirname \"$0\")/go\" ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done\n");
    click("optTmyWth");
    choose("cmdBrowseSourceFile", file("a.tm2", "header\r\n"));
    choose("cmdSaveWeather", dir.filePath("t.wth"));
    dates("0101", "0131");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    auto *description = find<QLineEdit>("txtDescription");
    description->installEventFilter(&counter);
    bool busy_state_ok = false;
    QTimer::singleShot(100, [&] {
        busy_state_ok = QApplication::overrideCursor() == nullptr && find("cmdConvert")->isEnabled() &&
                        description->isEnabled();
        QTest::keyClicks(description, "typed");
        QTest::keyClick(window.get(), Qt::Key_Escape);
        const QPoint centre = find("optTemplate")->rect().center();
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          find("optTemplate")->mapTo(window.get(), centre));
        window->close();
        window->windowHandle()->close();
        counter.paints = 0;
        description->update();
    });
    QTimer::singleShot(300, [&] { file("app folder/go", ""); });

    EXPECT_EQ(run(), QStringList{"Conversion Completed Successfully"});
    EXPECT_TRUE(busy_state_ok);
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(description->text(), "header");
    EXPECT_TRUE(find<QRadioButton>("optTmyWth")->isChecked());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(bytes_of(app + "/args"), "3\n--log\n" + QFile::encodeName(own("tolvex-%1.log")) +
                                          "\n" + QFile::encodeName(control()) + "\n");

    // Afterwards the window takes input again.
    QTest::keyClicks(description, "!");
    EXPECT_EQ(description->text(), "header!");
}
