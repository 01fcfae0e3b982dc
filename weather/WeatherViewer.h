// WeatherViewer - the window that shows one weather file 2.0: charts of its quantities
// over the file's period, with weekends, special days and daylight-saving days shaded
// on the time axis; zoom from the whole period to a month, a week or a day; a read-out
// of the values under the pointer; the monthly summary; the chart saved as PNG and the
// summary as CSV.
//
// Holds the file as read (WthReader) and, per panel of charts, the points of its
// series over the whole period; a zoom shows the slice of them that falls in view.
// The chart library draws the curves only: the grid, the axes' labels and titles, the
// day table and the names of the series are drawn over and under them, placed from
// the panel's plot area each time the panel is painted, so that a panel that changes
// size is drawn as one made at that size.  Messages go through show_msg and file
// choices through choose_file (Dialogs).
#pragma once

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QMainWindow>
#include <array>
#include <vector>

#include "ViewerRules.h"
#include "WeatherSummary.h"
#include "WthReader.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QValueAxis;
class QPainter;
class QScrollArea;
class ChartPanel;
class ElidedLabel;

class WeatherViewer : public QMainWindow {
    Q_OBJECT

public:
    // What the charts show, each in a panel of its own; air and sky temperature share
    // one, as do the two radiations.
    enum class Chart { Temperature, Humidity, Pressure, WindSpeed, WindDirection, Radiation, RainSnow, Count };
    static constexpr int kCharts = static_cast<int>(Chart::Count);
    enum class Zoom { Period, Month, Week, Day };

    // Reads the weather file at `path` and shows it in a new window of `parent`'s
    // (deleted when closed), no larger than the screen's free area.  A file that cannot be read, is not a sound weather file
    // 2.0 or is a template without values gets a message naming the file and the
    // problem's line instead, and nullptr is returned.
    static WeatherViewer *open(QWidget *parent, const QString &path);

    // ---- Properties ----
    // The extent of the time axis.  Setting it places the view at the period, or at the
    // month, week (Sunday to Saturday of the file's day table) or day around the
    // read-out's time point, or else the start of the view; the charts are redrawn.
    // A month is the run of the file's days in one month, so the final 24:00:00 point
    // belongs to the last day's month.  "< Previous" and "Next >" are enabled where the
    // period goes on before or after the view.
    Zoom zoom() const { return zoom_; }
    void setZoom(Zoom zoom);
    // Temperatures in degrees Celsius instead of K.  Setting it redraws the charts, the
    // read-out and the summary.
    bool celsius() const { return celsius_; }
    void setCelsius(bool on);
    // Whether `chart` is shown.
    bool chartShown(Chart chart) const;
    void setChartShown(Chart chart, bool on);

    const WthFile &file() const { return file_; }
    const std::vector<MonthStats> &summary() const { return summary_; }
    // The time range shown, on the charts' time axis.
    QDateTime viewStart() const;
    QDateTime viewEnd() const;
    // The time axis's instant of time point `index`.
    QDateTime pointTime(int index) const;
    // Points the read-out (and the cursor line) at the time point nearest `when`.
    void pointAt(const QDateTime &when);
    // The read-out's text.
    QString readout() const;
    // The value axis of `chart` as drawn: its ends and ticks.
    ValueAxis valueAxis(Chart chart) const;

    // Writes the charts as shown to `path` as PNG, or the summary as CSV; false after a
    // message when the file cannot be written.
    bool saveChart(const QString &path);
    bool saveSummary(const QString &path);

private:
    WeatherViewer(QWidget *parent, const QString &path, WthFile file);

    // ---- Builders ----
    void createControls();
    void createCharts();
    void createSummary();
    void connectHandlers();

    // ---- Handlers ----
    void chkChart_toggled(int chart, bool on);
    void cboZoom_changed(int index);
    void cmdPrevious_clicked();
    void cmdNext_clicked();
    void cmdSaveChart_clicked();
    void cmdSaveSummary_clicked();
    void f1_pressed();

    // ---- Helpers ----
    void buildSeries();
    void placeView(qint64 anchor);
    void drawCharts();
    void showSummary();
    int nearestPoint(qint64 ms) const;
    qint64 pointMs(int index) const;
    void showReadout();
    QString timeText(qint64 ms, bool end) const;
    qreal xOf(const QRectF &plot, qreal ms) const;
    void drawBehind(int chart, ChartPanel *panel, QPainter *painter) const;
    void drawOver(int chart, ChartPanel *panel, QPainter *painter) const;

    // ---- Controls ----
    ElidedLabel *lblDescription = nullptr;
    QComboBox *cboZoom = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QPushButton *cmdNext = nullptr;
    QCheckBox *chkCelsius = nullptr;
    QPushButton *cmdSaveChart = nullptr;
    QPushButton *cmdSaveSummary = nullptr;
    std::array<QCheckBox *, kCharts> chkChart{};
    QTabWidget *tabViewer = nullptr;
    QScrollArea *scrCharts = nullptr;  // scrolls the panels when they do not fit
    QWidget *frmCharts = nullptr;
    std::array<ChartPanel *, kCharts> picChart{};
    QLabel *lblLegend = nullptr;
    ElidedLabel *lblReadout = nullptr;
    QTableWidget *ltvSummary = nullptr;

    // ---- Window state ----
    QString path_;
    WthFile file_;
    std::vector<MonthStats> summary_;
    qint64 baseMs_ = 0;  // the time axis's instant of the file's first midnight
    // Per panel: its series and their points over the whole period, and the value
    // axis drawn beside it.
    struct PanelSeries {
        std::vector<QLineSeries *> series;
        std::vector<QList<QPointF>> points;
        QValueAxis *x = nullptr;
        QValueAxis *y = nullptr;
        ValueAxis axis{0, 1, 2};
    };
    std::array<PanelSeries, kCharts> panels_;
    Zoom zoom_ = Zoom::Period;
    bool celsius_ = false;
    qint64 viewStart_ = 0, viewEnd_ = 0;  // ms on the time axis
    std::vector<TimeLabel> labels_;       // of the time axis, for the view
    int cursor_ = -1;                     // time point of the read-out, -1 for none
};
