// The weather-file viewer: opened from the menu and from the success message, its
// monthly summary against the file's own lines, zoom, PNG and CSV, and files it refuses.
#ifdef WEATHER_VIEWER
#include <QAbstractAxis>
#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <cstring>
#include <functional>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimeZone>
#include <QValueAxis>
#include <cmath>

#include "Calendar.h"
#include "Desktop.h"
#include "WeatherRules.h"
#include "WeatherViewer.h"
#include "WindowFixture.h"

namespace {

// A whole year as tolvex writes it, from 1/1 (a Sunday) to 12/31, with values that
// change by the hour and the season; rain every 7th hour, snow in winter.
QByteArray year_file() {
    QByteArray out = "WeatherFile Ventora 2.0\r\nA test year\r\n1/1\t!start-of-file date\r\n"
                     "12/31\t!end-of-file date\r\n!Date\tDofW\tDtype\tDST\tTgrnd [K]\r\n";
    QList<QByteArray> dates;
    for (int m = 1, doy = 0; m <= 12; ++m)
        for (int d = 1; d <= calendar::month_days(m); ++d, ++doy) {
            dates << QByteArray::number(m) + "/" + QByteArray::number(d);
            const int dtype = dates.last() == "7/4" ? 8 : doy % 7 + 1;
            out += dates.last() + "\t" + QByteArray::number(doy % 7 + 1) + "\t" + QByteArray::number(dtype) +
                   "\t" + (m >= 4 && m <= 10 ? "1" : "0") + "\t283.15\r\n";
        }
    out += "!Date\tTime\tTa [K]\tPb [Pa]\tWs [m/s]\tWd [deg]\tHr [g/kg]\tIth [kJ/m^2]\tIdn [kJ/m^2]"
           "\tTs [K]\tRn [-]\tSn [-]\r\n";
    for (int k = 0; k <= 365 * 24; ++k) {
        const int day = k == 0 ? 0 : (k - 1) / 24, hour = k == 0 ? 0 : (k - 1) % 24 + 1;
        const double season = std::sin(2 * M_PI * (day - 100) / 365.0);
        out += dates[day] + "\t" + QString::asprintf("%02d:00:00", hour).toLatin1() + "\t" +
               QByteArray::number(float(283.15 + 12 * season + (hour % 24 - 12) / 3.0)) + "\t" +
               QByteArray::number(100000 + k % 500) + "\t" + QByteArray::number(k % 9 * 0.5) + "\t" +
               QByteArray::number(k * 7 % 360) + "\t" + QByteArray::number(6 + 4 * season, 'f', 3) +
               "\t" + QByteArray::number(hour > 6 && hour < 19 ? 500 + k % 300 : 0) + "\t0\t" +
               QByteArray::number(float(263.15 + 10 * season)) + "\t" + (k % 7 == 0 ? "1" : "0") + "\t" +
               (season < -0.8 && k % 5 == 0 ? "1" : "0") + "\r\n";
    }
    return out;
}

// The window as painted now.
QImage picture(QWidget *w) {
    QApplication::processEvents();
    return w->grab().toImage();
}

// Every point in view of every panel shown lies on its value axis and, where the chart
// library draws it, inside the plot that the panel draws the axis beside.
void expect_curves_inside(WeatherViewer *v, const std::string &what) {
    for (int c = 0; c < WeatherViewer::kCharts; ++c) {
        auto *panel = v->findChild<QChartView *>(QString("picChart_%1").arg(c));
        if (!panel->isVisible()) continue;
        QChart *chart = panel->chart();
        const QRectF plot = chart->plotArea().adjusted(-0.5, -0.5, 0.5, 0.5);
        const ValueAxis axis = v->valueAxis(WeatherViewer::Chart(c));
        int outside = 0;
        for (QAbstractSeries *series : chart->series())
            for (const QPointF &p : static_cast<QLineSeries *>(series)->points())
                outside += p.x() >= v->viewStart().toMSecsSinceEpoch() && p.x() <= v->viewEnd().toMSecsSinceEpoch() &&
                           (p.y() < axis.from || p.y() > axis.to || !plot.contains(chart->mapToPosition(p, series)));
        EXPECT_EQ(outside, 0) << what << ", panel " << c;
    }
}

class ViewerTest : public WindowTest {
protected:
    void TearDown() override {
        set_message_button_handler({});
        WindowTest::TearDown();
    }
    // Opens `path` through "View Weather File..."; the viewer, or null with a message.
    WeatherViewer *view(const QString &path) {
        answers << path;
        window->findChild<QAction *>("mnuViewWeatherFile")->trigger();
        return window->findChild<WeatherViewer *>();
    }
    static QDateTime at(int month, int day, int hour = 0) {
        return QDateTime(QDate(2001, month, day), QTime(0, 0), QTimeZone::utc()).addSecs(hour * 3600);
    }
    static QPair<qreal, qreal> time_axis(WeatherViewer *v) {
        auto *axis = qobject_cast<QValueAxis *>(
            v->findChild<QChartView *>("picChart_0")->chart()->axes(Qt::Horizontal).first());
        return {axis->min(), axis->max()};
    }
};

}  // namespace

TEST_F(ViewerTest, AFullYearOpensWithAMonthlySummaryThatMatchesTheFile) {
    const QByteArray text = year_file();
    WeatherViewer *v = view(file("year.wth", text));
    ASSERT_NE(v, nullptr) << messages.join(" | ").toStdString();
    EXPECT_EQ(dialogs, QStringList{"open Weather Files (*.wth)|*.wth"});
    EXPECT_TRUE(v->isVisible());
    EXPECT_EQ(v->file().points.size(), 8761u);

    // July from the file's own lines: every time point dated 7/..
    double lo = 1e9, hi = -1e9, sum = 0, hr_sum = 0;
    int n = 0, rain = 0;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> f = line.trimmed().split('\t');
        if (f.size() != 12 || !f[0].startsWith("7/")) continue;
        const double ta = f[2].toDouble();
        lo = std::min(lo, ta), hi = std::max(hi, ta), sum += ta, hr_sum += f[6].toDouble();
        rain += f[10] == "1";
        ++n;
    }
    ASSERT_EQ(n, 31 * 24);
    auto *table = v->findChild<QTableWidget *>("ltvSummary");
    ASSERT_EQ(table->rowCount(), 12);
    EXPECT_EQ(table->item(6, 0)->text(), "Jul");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Ta min\n[K]");
    EXPECT_NEAR(table->item(6, 1)->text().toDouble(), lo, 0.005);
    EXPECT_NEAR(table->item(6, 2)->text().toDouble(), sum / n, 0.005);
    EXPECT_NEAR(table->item(6, 3)->text().toDouble(), hi, 0.005);
    EXPECT_NEAR(table->item(6, 14)->text().toDouble(), hr_sum / n, 0.0005);  // Hr mean
    EXPECT_EQ(table->item(6, 25)->text().toInt(), rain);
    v->setCelsius(true);
    EXPECT_NEAR(table->item(6, 2)->text().toDouble(), sum / n - 273.15, 0.005);

    // The read-out names the day's type and daylight saving, and the values there.
    v->pointAt(at(7, 4, 14));
    EXPECT_TRUE(v->readout().startsWith("Tue 7/4 14:00:00, special day type 8, daylight saving"))
        << v->readout().toStdString();
    const QByteArray line = text.mid(text.indexOf("7/4\t14:00:00"), 60);
    EXPECT_TRUE(v->readout().contains(
        QString("Pb %1.00 Pa").arg(line.split('\t')[3].constData())))
        << v->readout().toStdString();
    // The read-out follows the temperature unit both ways.
    const QString ta = QString("Ta %1 ").arg(line.split('\t')[2].toDouble() - 273.15, 0, 'f', 2);
    EXPECT_TRUE(v->readout().contains(ta + "\u00b0C")) << v->readout().toStdString();
    v->setCelsius(false);
    EXPECT_FALSE(v->readout().contains("\u00b0C")) << v->readout().toStdString();
}

TEST_F(ViewerTest, ZoomNarrowsTheTimeAxisAroundTheReadOut) {
    WeatherViewer *v = view(file("year.wth", year_file()));
    ASSERT_NE(v, nullptr);
    const qreal year_start = at(1, 1).toMSecsSinceEpoch(), year_end = at(12, 31, 24).toMSecsSinceEpoch();
    EXPECT_EQ(time_axis(v), qMakePair(year_start, year_end));

    v->pointAt(at(7, 4, 14));
    const struct {
        WeatherViewer::Zoom zoom;
        QDateTime start, end;
    } rows[] = {
        {WeatherViewer::Zoom::Month, at(7, 1), at(8, 1)},
        {WeatherViewer::Zoom::Week, at(7, 2), at(7, 9)},  // 7/2 is a Sunday in the file
        {WeatherViewer::Zoom::Day, at(7, 4), at(7, 5)},
    };
    for (const auto &row : rows) {
        v->setZoom(row.zoom);
        EXPECT_EQ(v->viewStart(), row.start);
        EXPECT_EQ(v->viewEnd(), row.end);
        EXPECT_EQ(time_axis(v), qMakePair(qreal(row.start.toMSecsSinceEpoch()), qreal(row.end.toMSecsSinceEpoch())));
    }
    EXPECT_TRUE(v->findChild<QAbstractButton *>("cmdNext")->isEnabled());
    v->findChild<QAbstractButton *>("cmdNext")->click();
    EXPECT_EQ(v->viewStart(), at(7, 5));
    v->findChild<QAbstractButton *>("cmdPrevious")->click();
    v->findChild<QAbstractButton *>("cmdPrevious")->click();
    EXPECT_EQ(v->viewStart(), at(7, 3));
    v->setZoom(WeatherViewer::Zoom::Month);
    v->findChild<QAbstractButton *>("cmdPrevious")->click();
    EXPECT_EQ(v->viewStart(), at(6, 1));

    // The final 24:00:00 belongs to December; the buttons stop at the period's ends.
    auto *previous = v->findChild<QAbstractButton *>("cmdPrevious");
    auto *next = v->findChild<QAbstractButton *>("cmdNext");
    const struct {
        WeatherViewer::Zoom zoom;
        QDateTime anchor, start, end;
        bool previous, next;
    } ends[] = {
        {WeatherViewer::Zoom::Month, at(12, 31, 24), at(12, 1), at(12, 31, 24), true, false},
        {WeatherViewer::Zoom::Day, at(12, 31, 24), at(12, 31), at(12, 31, 24), true, false},
        {WeatherViewer::Zoom::Week, at(1, 1), at(1, 1), at(1, 8), false, true},
        {WeatherViewer::Zoom::Month, at(1, 1), at(1, 1), at(2, 1), false, true},
        {WeatherViewer::Zoom::Period, at(1, 1), at(1, 1), at(12, 31, 24), false, false},
    };
    for (const auto &row : ends) {
        v->setZoom(WeatherViewer::Zoom::Period);  // a view that holds the read-out
        v->pointAt(row.anchor);
        v->setZoom(row.zoom);
        EXPECT_EQ(qMakePair(v->viewStart(), v->viewEnd()), qMakePair(row.start, row.end)) << row.start.toString().toStdString();
        EXPECT_EQ(qMakePair(previous->isEnabled(), next->isEnabled()), qMakePair(row.previous, row.next))
            << row.start.toString().toStdString();
    }
    v->pointAt(at(11, 20));
    v->setZoom(WeatherViewer::Zoom::Month);
    next->click();
    EXPECT_EQ(qMakePair(v->viewStart(), v->viewEnd()), qMakePair(at(12, 1), at(12, 31, 24)));
    EXPECT_FALSE(next->isEnabled());
    v->setZoom(WeatherViewer::Zoom::Period);
    EXPECT_EQ(time_axis(v), qMakePair(year_start, year_end));
}

TEST_F(ViewerTest, TheChartIsSavedAsPngAndTheSummaryAsCsv) {
    WeatherViewer *v = view(file("year.wth", year_file()));
    ASSERT_NE(v, nullptr);
    const QString png = dir.filePath("chart.png"), csv = dir.filePath("summary.csv");
    answers << png;
    v->findChild<QAbstractButton *>("cmdSaveChart")->click();
    QImage image(png);
    EXPECT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 400);

    answers << csv;
    v->findChild<QAbstractButton *>("cmdSaveSummary")->click();
    const QByteArray bytes = [&] {
        QFile f(csv);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 14);  // heading, twelve months, nothing after the last CR LF
    EXPECT_TRUE(lines[0].startsWith("Month,Ta min [K],Ta mean [K],Ta max [K],Pb min [Pa],"));
    EXPECT_TRUE(lines[0].endsWith(",Rain [h],Snow [h]\r"));
    auto *table = v->findChild<QTableWidget *>("ltvSummary");
    QStringList july;
    for (int c = 0; c < table->columnCount(); ++c) july << table->item(6, c)->text();
    EXPECT_EQ(lines[7], july.join(",").toLatin1() + "\r");
    EXPECT_EQ(dialogs.mid(1), (QStringList{"save PNG Images (*.png)|*.png", "save CSV Files (*.csv)|*.csv"}));

    answers << dir.filePath("no folder/summary.csv");
    v->findChild<QAbstractButton *>("cmdSaveSummary")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Unable to write " + dir.filePath("no folder/summary.csv")));
}

TEST_F(ViewerTest, AFileThatCannotBeShownGetsAMessageNamingItsLine) {
    QByteArray cut = year_file();
    cut.replace("3/1\t05:00:00\t", "3/1\t05:00:00\t\t");
    const QString bad = file("bad.wth", cut);
    const int line = 5 + 365 + 1 + 1 + 59 * 24 + 5;
    EXPECT_EQ(view(bad), nullptr);
    EXPECT_EQ(messages, QStringList{QString("Unable to show the weather file %1:\nline %2: 13 values, 12 expected")
                                        .arg(bad).arg(line)});
    messages.clear();
    const QString hand = QString(EXAMPLES_DIR) + "/../tests/data/template.wth";
    EXPECT_EQ(view(hand), nullptr);
    EXPECT_EQ(messages, QStringList{"Unable to show the weather file " + hand +
                                    ":\nit is a template: its time points hold no values"});
}

TEST_F(ViewerTest, ViewOnTheSuccessMessageShowsTheFileJustWritten) {
    // A stand-in converter that "writes" the destination named in its control file.
    const QString year = file("year.wth", year_file());
    QFile script(app + "/tolvex");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\ncp '" + QFile::encodeName(year) + "' \"$(sed -n 4p \"$3\" | tr -d '\\r')\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    QStringList asked;
    set_message_button_handler([&](QWidget *, const QString &text, const QString &extra) {
        asked << text + " [" + extra + "]";
        return true;
    });
    // A template's time points hold no values: its success offers no "View".  A TMY2
    // conversion's does, and "View" shows the file.
    const QString out = dir.filePath("new.wth");
    for (const char *type : {"optTemplate", "optTmyWth"}) {
        click(type);
        if (strcmp(type, "optTmyWth") == 0) choose("cmdBrowseSourceFile", file("year.tm2", "a source\n"));
        choose("cmdSaveWeather", out);
        for (const char *box : {"txtStartDate", "txtEndDate"}) {
            find<QLineEdit>(box)->clear();
            QTest::keyClicks(find(box), box[3] == 'S' ? "0101" : "1231");
        }
        click("cmdConvert");
    }
    EXPECT_EQ(messages, QStringList{"Conversion Completed Successfully"});
    EXPECT_EQ(asked, QStringList{"Conversion Completed Successfully [View]"});
    WeatherViewer *v = window->findChild<WeatherViewer *>();
    ASSERT_NE(v, nullptr) << messages.join(" | ").toStdString();
    EXPECT_EQ(v->windowTitle(), "Weather File - new.wth");
}
// Offscreen, without animations: a view drawn after a change equals, pixel for pixel,
// the same view that a fresh viewer draws at that size, and every curve stays inside
// its axis.  The first picture of a year is such a fresh draw.
TEST_F(ViewerTest, AViewDrawnAfterAChangeIsTheViewDrawnFreshAtThatSize) {
    using Z = WeatherViewer::Zoom;
    using C = WeatherViewer::Chart;
    const QString path = file("year.wth", year_file());
    const struct {
        const char *what;
        std::function<void(WeatherViewer *)> change;
    } rows[] = {
        {"Month and back", [](WeatherViewer *v) { v->setZoom(Z::Month), picture(v), v->setZoom(Z::Period); }},
        {"a resize", [](WeatherViewer *v) { v->resize(1000, 700); }},
        {"a panel unticked in Month",
         [](WeatherViewer *v) { v->setZoom(Z::Month), picture(v), v->setChartShown(C::Radiation, false); }},
        {"all panels and a larger window in Week",
         [](WeatherViewer *v) {
             v->setZoom(Z::Week), picture(v), v->resize(1200, 900);
             for (int c = 0; c < WeatherViewer::kCharts; ++c) v->setChartShown(C(c), true);
         }},
        {"a zoom to Day", [](WeatherViewer *v) { v->setZoom(Z::Day); }},
    };
    for (const auto &row : rows) {
        WeatherViewer *changed = view(path);
        ASSERT_NE(changed, nullptr);
        const QImage first = picture(changed);
        row.change(changed);
        const QImage after = picture(changed);
        EXPECT_TRUE(row.what != rows[0].what || after == first) << "first picture";
        std::unique_ptr<WeatherViewer> fresh(WeatherViewer::open(nullptr, path));
        fresh->resize(changed->size());
        fresh->setZoom(changed->zoom());
        for (int c = 0; c < WeatherViewer::kCharts; ++c) fresh->setChartShown(C(c), changed->chartShown(C(c)));
        const QImage want = picture(fresh.get());
        if (after != want) {
            after.save(dir.filePath("after.png")), want.save(dir.filePath("fresh.png"));
            dir.setAutoRemove(false);
            ADD_FAILURE() << row.what << " differs from a fresh draw; pictures in " << dir.path().toStdString();
        }
        expect_curves_inside(changed, row.what);
        delete changed;
    }
}

// However long its description and however many panels, the viewer fits a screen of
// 1280 by 720 (logical) pixels: the panels scroll and the description is cut with
// "\u2026"; ticking panels never grows the window.
TEST_F(ViewerTest, TheViewerFitsTheScreenWhateverItsDescriptionAndPanels) {
    const QByteArray location = "LOCATION,Pelotas Lopes Neto Intl AP,RS,BRA,ISD-TMYx,839850,-31.718,-52.328,-3.0,18.0"
                                " and a description that runs on and on well past any screen's width";
    WeatherViewer *v = view(file("long.wth", year_file().replace("A test year", location)));
    ASSERT_NE(v, nullptr);
    const QSize before = v->size();
    for (int c = 0; c < WeatherViewer::kCharts; ++c) v->setChartShown(WeatherViewer::Chart(c), true);
    v->pointAt(at(7, 4, 14));
    picture(v);
    const QSize least = v->minimumSizeHint().expandedTo(v->minimumSize());
    EXPECT_TRUE(least.width() <= 1280 && least.height() <= 720) << least.width() << "x" << least.height();
    EXPECT_EQ(v->size(), before);
    auto *description = v->findChild<QLabel *>("lblDescription");
    EXPECT_TRUE(description->text().endsWith(QChar(0x2026))) << description->text().toStdString();
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(description)->text(QAccessible::Name).contains("on and on"));
    EXPECT_TRUE(v->readout().contains(" Ts ")) << v->readout().toStdString();  // whole, however much shows
    auto *charts = v->findChild<QScrollArea *>("scrCharts");
    v->resize(900, 600);
    picture(v);
    EXPECT_GT(charts->verticalScrollBar()->maximum(), 0);  // seven panels scroll in a low window
    for (int c = 2; c < WeatherViewer::kCharts; ++c) v->setChartShown(WeatherViewer::Chart(c), false);
    picture(v);
    EXPECT_EQ(charts->verticalScrollBar()->maximum(), 0);  // two fill it again
    EXPECT_EQ(v->size(), QSize(900, 600));
}

// The summary's table is one stop of Tab, its scroll bars' thumbs darker than their
// grooves; F1 shows the viewer's help page.
TEST_F(ViewerTest, TheSummaryIsOneTabStopWithClearScrollBarsAndF1ShowsTheViewersHelp) {
    WeatherViewer *v = view(file("year.wth", year_file()));
    ASSERT_NE(v, nullptr);
    v->resize(800, 600);
    auto *table = v->findChild<QTableWidget *>("ltvSummary");
    v->findChild<QTabWidget *>("tabViewer")->setCurrentWidget(table);
    v->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(v));
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), table);
    EXPECT_FALSE(table->isAncestorOf(QApplication::focusWidget()));

    QScrollBar *bar = table->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const QImage strip = picture(bar);
    const int y = strip.height() / 2, thumb = strip.width() / 6, groove = strip.width() * 5 / 6;
    EXPECT_LT(qGray(strip.pixel(thumb, y)) + 40, qGray(strip.pixel(groove, y)));  // the first columns show

    QTest::keyClick(v, Qt::Key_F1);
    EXPECT_EQ(helps, QList<int>{kHelpViewer});
    EXPECT_TRUE(QFile::exists(QString(":/help/") + help_page(kHelpViewer)));
}

// What a screen reader gets: the viewer and the help a frame each, the help page a
// document with its text, the panels charts named by their quantity and described by
// the span and the values in view, the summary named, and the Zoom box tied to its
// label.
TEST_F(ViewerTest, ScreenReadersGetRolesNamesAndTextAlternatives) {
    WeatherViewer *v = view(file("year.wth", year_file()));
    ASSERT_NE(v, nullptr);
    auto a11y = [](QObject *o) { return QAccessible::queryAccessibleInterface(o); };
    EXPECT_EQ(a11y(v)->role(), QAccessible::Window);
    QAccessibleInterface *temperature = a11y(v->findChild<QChartView *>("picChart_0"));
    EXPECT_EQ(temperature->role(), QAccessible::Chart);
    EXPECT_EQ(temperature->text(QAccessible::Name), "Temperature");
    v->pointAt(at(7, 4, 14));
    v->setZoom(WeatherViewer::Zoom::Day);
    // 7/4 of the file: Ta from 283.15 + 12 sin(...) - 4 to the same + 4, in steps of 1/3 K.
    const QString described = temperature->text(QAccessible::Description);
    EXPECT_TRUE(described.startsWith("7/4 00:00 to 7/4 24:00: Air from ")) << described.toStdString();
    EXPECT_TRUE(described.contains(" K; Sky from ")) << described.toStdString();
    EXPECT_EQ(a11y(v->findChild<QTableWidget *>("ltvSummary"))->text(QAccessible::Name), "Monthly Summary");
    const auto labels = a11y(v->findChild<QComboBox *>("cboZoom"))->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Zoom");

    set_help_handler({});  // the real help window
    show_help(kHelpViewer);
    QWidget *help = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == "frmHelp") help = w;
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(a11y(help)->role(), QAccessible::Window);
    QAccessibleInterface *page = a11y(help->findChild<QWidget *>("txtHelp"));
    EXPECT_EQ(page->role(), QAccessible::Document);
    ASSERT_NE(page->textInterface(), nullptr);
    const QString text = page->textInterface()->text(0, page->textInterface()->characterCount());
    EXPECT_TRUE(text.startsWith("Viewing a Weather File")) << text.left(60).toStdString();
    help->close();
}
#endif
