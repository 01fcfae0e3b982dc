// The weather-file viewer: opened from the menu and from the success message, its
// monthly summary against the file's own lines, zoom, PNG and CSV, and files it refuses.
#ifdef WEATHER_VIEWER
#include <QAbstractAxis>
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
        if (type[3] == 'T' && type[4] == 'm') choose("cmdBrowseSourceFile", file("year.tm2", "a source\n"));
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
#endif
