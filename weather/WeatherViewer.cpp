// WeatherViewer - one weather file 2.0 in charts and a monthly summary.
#include "WeatherViewer.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <functional>

#include "Dialogs.h"
#include "Twips.h"
#include "ViewerRules.h"

namespace {

constexpr const char *kMsgCannotShow = "Unable to show the weather file %1:\n%2";
constexpr const char *kMsgTemplate = "it is a template: its time points hold no values";
constexpr const char *kMsgNotSaved = "Unable to write %1:\n%2";
constexpr const char *kPngFilter = "PNG Images (*.png)|*.png";
constexpr const char *kCsvFilter = "CSV Files (*.csv)|*.csv";

constexpr qint64 kMsPerDay = 86400000;
constexpr qint64 kMsPerHour = 3600000;
// The time axis places 1 January of the file's year on 1 January 2001, a year
// without 29 February; the labels never show the year.
constexpr int kAxisYear = 2001;

// Size of the window at its first show, twips.
constexpr int kWindowWidth = 15600;
constexpr int kWindowHeight = 10800;
constexpr int kPanelMinHeight = 2100;  // twips
constexpr int kThinColumns = 1920;     // pixel columns a thinned line keeps at least

constexpr const char *kWeekdays[8] = {"", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// Colours of the day table on the time axis and of the series.
const QColor kWeekendShade(232, 232, 232);
const QColor kSpecialShade(255, 221, 160);
const QColor kDstStrip(90, 140, 230);
const QColor kCursor(60, 60, 60);

struct SeriesInfo {
    Quantity quantity;  // Quantity::Count for the rain and snow marks
    const char *name;
    QColor colour;
};
struct ChartInfo {
    const char *caption;  // check box
    const char *axis;     // title of the value axis, with the unit added
    const char *control;  // object name of the check box
    const char *unit;     // axis unit; "K" follows the Celsius option
    bool shown;           // at the window's opening
    std::vector<SeriesInfo> series;
};
const ChartInfo kChartInfo[WeatherViewer::kCharts] = {
    {"Temperature", "T", "chkTemperature", "K", true,
     {{Quantity::Ta, "Air", QColor(200, 40, 40)}, {Quantity::Ts, "Sky", QColor(120, 70, 180)}}},
    {"Humidity ratio", "Hr", "chkHumidity", "g/kg", true, {{Quantity::Hr, "Hr", QColor(0, 130, 130)}}},
    {"Pressure", "Pb", "chkPressure", "Pa", false, {{Quantity::Pb, "Pb", QColor(80, 80, 80)}}},
    {"Wind speed", "Ws", "chkWindSpeed", "m/s", false, {{Quantity::Ws, "Ws", QColor(30, 140, 50)}}},
    {"Wind direction", "Wd", "chkWindDirection", "deg", false, {{Quantity::Wd, "Wd", QColor(120, 120, 20)}}},
    {"Radiation", "I", "chkRadiation", "kJ/m\u00b2", true,
     {{Quantity::Ith, "Total", QColor(240, 150, 0)}, {Quantity::Idn, "Direct", QColor(190, 50, 0)}}},
    {"Rain and snow", "", "chkRainSnow", "", true,
     {{Quantity::Count, "Rain", QColor(30, 90, 220)}, {Quantity::Count, "Snow", QColor(90, 180, 200)}}},
};

template <class W>
W *named(W *w, const char *name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// A line of more points than its plot has pixel columns, thinned to the lowest and the
// highest point of each column in their time order: the drawing looks the same, at a
// fraction of the cost.  `line` runs in time order from `x0` to `x1`.
QList<QPointF> thinned(const QList<QPointF> &line, qreal x0, qreal x1, int columns) {
    if (line.size() <= 4 * columns || x1 <= x0) return line;
    QList<QPointF> out;
    out.reserve(2 * columns + 2);
    const qreal width = (x1 - x0) / columns;
    qsizetype k = 0;
    while (k < line.size()) {
        const qreal end = x0 + (std::floor((line[k].x() - x0) / width) + 1) * width;
        qsizetype lo = k, hi = k;
        for (; k < line.size() && line[k].x() < end; ++k) {
            if (line[k].y() < line[lo].y()) lo = k;
            if (line[k].y() > line[hi].y()) hi = k;
        }
        out << line[std::min(lo, hi)];
        if (lo != hi) out << line[std::max(lo, hi)];
    }
    return out;
}

}  // namespace

// One chart of the viewer: draws the day table behind the series and the read-out's
// cursor line over them, and reports the time under the pointer.
class ChartPanel : public QChartView {
public:
    ChartPanel(QChart *chart, QWidget *parent) : QChartView(chart, parent) {
        setMouseTracking(true);
        setMinimumHeight(twips_size(this, 0, kPanelMinHeight).height());
    }
    std::function<void(ChartPanel *, QPainter *)> drawBehind;
    std::function<void(ChartPanel *, QPainter *)> drawOver;
    std::function<void(qreal ms)> pointerMoved;
    bool timeLabels = false;  // whether this panel carries the time axis's labels

    // Gives every panel the same plot area inside its size: room for the value axis on
    // the left, the legend on the right and, on the panel with time labels, those below.
    void placePlot() {
        const QFontMetrics fm(font());
        const qreal left = fm.horizontalAdvance(QStringLiteral("-00000.0")) + 2.5 * fm.height();
        const qreal right = fm.horizontalAdvance(QStringLiteral("Direct")) + 3.0 * fm.height();
        const qreal top = fm.height() * 0.6;
        const qreal bottom = timeLabels ? 2.0 * fm.height() : top;
        const QRectF all(QPointF(0, 0), QSizeF(viewport()->size()));
        const QRectF plot = all.adjusted(left, top, -right, -bottom);
        chart()->setPlotArea(plot);
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        QChartView::resizeEvent(event);
        placePlot();
    }
    void drawBackground(QPainter *painter, const QRectF &rect) override {
        painter->fillRect(rect, Qt::white);
        if (drawBehind) drawBehind(this, painter);
    }
    void drawForeground(QPainter *painter, const QRectF &rect) override {
        QChartView::drawForeground(painter, rect);
        if (drawOver) drawOver(this, painter);
    }
    void mouseMoveEvent(QMouseEvent *event) override {
        const QPointF at = mapToScene(event->position().toPoint());
        if (pointerMoved && chart()->plotArea().contains(at) && !chart()->series().isEmpty())
            pointerMoved(chart()->mapToValue(at, chart()->series().first()).x());
        QChartView::mouseMoveEvent(event);
    }
};

WeatherViewer *WeatherViewer::open(QWidget *parent, const QString &path) {
    WthFile file;
    std::string error;
    QString problem;
    if (wth_read(path.toStdString(), file, error))
        problem = QString::fromStdString(error);
    else if (file.is_template)
        problem = QString::fromLatin1(kMsgTemplate);
    if (!problem.isEmpty()) {
        show_msg(parent, QString::fromLatin1(kMsgCannotShow).arg(path, problem));
        return nullptr;
    }
    auto *viewer = new WeatherViewer(parent, path, std::move(file));
    viewer->show();
    return viewer;
}

WeatherViewer::WeatherViewer(QWidget *parent, const QString &path, WthFile file)
    : QWidget(parent, Qt::Window), path_(path), file_(std::move(file)) {
    setObjectName(QStringLiteral("frmWeatherViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Weather File - %1").arg(QFileInfo(path).fileName()));
    const QDate first = QDate(kAxisYear, 1, 1).addDays(file_.start_day - 1);
    baseMs_ = QDateTime(first, QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    summary_ = monthly_summary(file_);

    createControls();
    createCharts();
    createSummary();
    connectHandlers();
    resize(twips_size(this, kWindowWidth, kWindowHeight));

    buildSeries();
    placeView(pointMs(0));
    showSummary();
}

// ---- Properties -------------------------------------------------------------------

void WeatherViewer::setZoom(Zoom zoom) {
    zoom_ = zoom;
    cboZoom->setCurrentIndex(static_cast<int>(zoom));
    cmdPrevious->setEnabled(zoom != Zoom::Period);
    cmdNext->setEnabled(zoom != Zoom::Period);
    placeView(cursor_ >= 0 && pointMs(cursor_) >= viewStart_ && pointMs(cursor_) <= viewEnd_
                  ? pointMs(cursor_)
                  : viewStart_);
}

void WeatherViewer::setCelsius(bool on) {
    celsius_ = on;
    chkCelsius->setChecked(on);
    buildSeries();
    drawCharts();
    showSummary();
}

bool WeatherViewer::chartShown(Chart chart) const { return chkChart[static_cast<int>(chart)]->isChecked(); }

void WeatherViewer::setChartShown(Chart chart, bool on) { chkChart[static_cast<int>(chart)]->setChecked(on); }

QDateTime WeatherViewer::viewStart() const { return QDateTime::fromMSecsSinceEpoch(viewStart_, QTimeZone::utc()); }
QDateTime WeatherViewer::viewEnd() const { return QDateTime::fromMSecsSinceEpoch(viewEnd_, QTimeZone::utc()); }
QDateTime WeatherViewer::pointTime(int index) const {
    return QDateTime::fromMSecsSinceEpoch(pointMs(index), QTimeZone::utc());
}

void WeatherViewer::pointAt(const QDateTime &when) {
    cursor_ = nearestPoint(when.toMSecsSinceEpoch());
    const WthPoint &p = file_.points[cursor_];
    const WthDay &d = file_.days[p.day_index];
    QString day = QStringLiteral("%1 %2 %3")
                      .arg(QString::fromLatin1(kWeekdays[d.dow]),
                           QString::fromStdString(wth_date_text(d.day)),
                           QTime(0, 0).addSecs(p.seconds).toString(QStringLiteral("hh:mm:ss")));
    if (p.seconds == kWthSecondsPerDay) day.replace(QStringLiteral("00:00:00"), QStringLiteral("24:00:00"));
    if (d.dtype != d.dow) day += tr(", special day type %1").arg(d.dtype);
    if (d.dst) day += tr(", daylight saving");
    QStringList values;
    for (int q = 0; q < kQuantities; ++q) {
        const QuantityInfo &info = quantity_info(static_cast<Quantity>(q));
        double v = quantity_value(p, static_cast<Quantity>(q));
        if (info.temperature && celsius_) v -= kZeroCelsius;
        values << QStringLiteral("%1 %2 %3")
                      .arg(QString::fromLatin1(info.column),
                           QString::fromStdString(summary_number(v, static_cast<Quantity>(q))),
                           info.temperature && celsius_ ? QStringLiteral("\u00b0C")
                                                        : QString::fromLatin1(info.unit));
    }
    if (p.rn) values << tr("rain");
    if (p.sn) values << tr("snow");
    lblReadout->setText(day + QStringLiteral("    ") + values.join(QStringLiteral("   ")));
    for (ChartPanel *panel : picChart) panel->viewport()->update();
}

QString WeatherViewer::readout() const { return lblReadout->text(); }

bool WeatherViewer::saveChart(const QString &path) {
    tabViewer->setCurrentWidget(frmCharts);
    if (frmCharts->grab().save(path, "PNG")) return true;
    show_msg(this, QString::fromLatin1(kMsgNotSaved).arg(path, tr("the picture could not be saved")));
    return false;
}

bool WeatherViewer::saveSummary(const QString &path) {
    const std::string text = summary_csv(summary_, celsius_);
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
    if (ok) {
        file.close();
        ok = file.error() == QFileDevice::NoError;
    }
    if (!ok) show_msg(this, QString::fromLatin1(kMsgNotSaved).arg(path, file.errorString()));
    return ok;
}

// ---- Builders ---------------------------------------------------------------------

void WeatherViewer::createControls() {
    lblDescription = named(new QLabel(this), "lblDescription");
    lblDescription->setText(tr("%1   (%2 to %3, %4 days, %5 time points)")
                                .arg(QString::fromStdString(file_.description),
                                     QString::fromStdString(wth_date_text(file_.start_day)),
                                     QString::fromStdString(wth_date_text(file_.end_day)))
                                .arg(file_.days.size())
                                .arg(file_.points.size()));
    lblDescription->setTextFormat(Qt::PlainText);
    cboZoom = named(new QComboBox(this), "cboZoom");
    cboZoom->addItems({tr("Whole period"), tr("Month"), tr("Week"), tr("Day")});
    cmdPrevious = named(new QPushButton(tr("< Previous"), this), "cmdPrevious");
    cmdNext = named(new QPushButton(tr("Next >"), this), "cmdNext");
    cmdPrevious->setEnabled(false);
    cmdNext->setEnabled(false);
    chkCelsius = named(new QCheckBox(tr("\u00b0C"), this), "chkCelsius");
    cmdSaveChart = named(new QPushButton(tr("Save Chart..."), this), "cmdSaveChart");
    cmdSaveSummary = named(new QPushButton(tr("Save Summary..."), this), "cmdSaveSummary");

    auto *bar = new QHBoxLayout;
    bar->addWidget(lblDescription, 1);
    bar->addWidget(new QLabel(tr("Zoom"), this));
    bar->addWidget(cboZoom);
    bar->addWidget(cmdPrevious);
    bar->addWidget(cmdNext);
    bar->addWidget(chkCelsius);
    bar->addWidget(cmdSaveChart);
    bar->addWidget(cmdSaveSummary);

    auto *frmShow = named(new QGroupBox(tr("Show"), this), "frmShow");
    auto *shown = new QVBoxLayout(frmShow);
    for (int c = 0; c < kCharts; ++c) {
        chkChart[c] = named(new QCheckBox(tr(kChartInfo[c].caption), frmShow), kChartInfo[c].control);
        chkChart[c]->setChecked(kChartInfo[c].shown);
        shown->addWidget(chkChart[c]);
    }
    shown->addStretch(1);

    tabViewer = named(new QTabWidget(this), "tabViewer");
    frmCharts = named(new QWidget, "frmCharts");
    tabViewer->addTab(frmCharts, tr("Charts"));

    lblLegend = named(new QLabel(this), "lblLegend");
    lblLegend->setText(
        tr("<span style='background:%1'>&nbsp;&nbsp;&nbsp;&nbsp;</span> weekend &nbsp; "
           "<span style='background:%2'>&nbsp;&nbsp;&nbsp;&nbsp;</span> special day (its type "
           "above) &nbsp; <span style='background:%3'>&nbsp;&nbsp;&nbsp;&nbsp;</span> daylight "
           "saving (strip at the foot)")
            .arg(kWeekendShade.name(), kSpecialShade.name(), kDstStrip.name()));
    lblReadout = named(new QLabel(tr("Point at a chart to read its values."), this), "lblReadout");
    lblReadout->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *middle = new QHBoxLayout;
    middle->addWidget(frmShow);
    middle->addWidget(tabViewer, 1);
    auto *all = new QVBoxLayout(this);
    all->addLayout(bar);
    all->addLayout(middle, 1);
    all->addWidget(lblLegend);
    all->addWidget(lblReadout);
}

void WeatherViewer::createCharts() {
    auto *stack = new QVBoxLayout(frmCharts);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    for (int c = 0; c < kCharts; ++c) {
        const ChartInfo &info = kChartInfo[c];
        auto *chart = new QChart;
        chart->setBackgroundVisible(false);  // the panel draws the day table there
        chart->setMargins(QMargins(4, 2, 8, 2));
        chart->legend()->setVisible(false);  // the panel names its series on the right
        PanelSeries &ps = panels_[c];
        ps.x = new QCategoryAxis;
        ps.x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        ps.y = new QValueAxis;
        ps.y->setLabelFormat(QStringLiteral("%.6g"));  // 247.5, 95500: no needless decimals
        chart->addAxis(ps.x, Qt::AlignBottom);
        chart->addAxis(ps.y, Qt::AlignLeft);
        for (const SeriesInfo &s : info.series) {
            auto *series = new QLineSeries;
            series->setName(QString::fromLatin1(s.name));
            series->setPen(QPen(s.colour, 1));
            chart->addSeries(series);
            series->attachAxis(ps.x);
            series->attachAxis(ps.y);
            ps.series.push_back(series);
        }
        ps.points.resize(ps.series.size());
        auto *panel = new ChartPanel(chart, frmCharts);
        panel->setObjectName(QStringLiteral("picChart_%1").arg(c));
        panel->setRenderHint(QPainter::Antialiasing);
        panel->drawBehind = [this](ChartPanel *p, QPainter *painter) { drawDayTable(p, painter); };
        panel->drawOver = [this, c](ChartPanel *p, QPainter *painter) {
            drawNames(p, painter, c);
            if (cursor_ < 0) return;
            const qint64 ms = pointMs(cursor_);
            if (ms < viewStart_ || ms > viewEnd_) return;
            const QRectF area = p->chart()->plotArea();
            const qreal x = p->chart()->mapToPosition(QPointF(ms, 0), p->chart()->series().first()).x();
            painter->setPen(QPen(kCursor, 1, Qt::DashLine));
            painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        };
        panel->pointerMoved = [this](qreal ms) {
            pointAt(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms), QTimeZone::utc()));
        };
        picChart[c] = panel;
        panel->setVisible(info.shown);
        stack->addWidget(panel, 1);
    }
}

void WeatherViewer::createSummary() {
    ltvSummary = named(new QTableWidget(this), "ltvSummary");
    ltvSummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ltvSummary->verticalHeader()->setVisible(false);
    tabViewer->addTab(ltvSummary, tr("Monthly Summary"));
}

void WeatherViewer::connectHandlers() {
    for (int c = 0; c < kCharts; ++c)
        connect(chkChart[c], &QCheckBox::toggled, this, [this, c](bool on) { chkChart_toggled(c, on); });
    connect(cboZoom, qOverload<int>(&QComboBox::activated), this, &WeatherViewer::cboZoom_changed);
    connect(cmdPrevious, &QPushButton::clicked, this, &WeatherViewer::cmdPrevious_clicked);
    connect(cmdNext, &QPushButton::clicked, this, &WeatherViewer::cmdNext_clicked);
    connect(chkCelsius, &QCheckBox::toggled, this, [this](bool on) {
        if (on != celsius_) setCelsius(on);
    });
    connect(cmdSaveChart, &QPushButton::clicked, this, &WeatherViewer::cmdSaveChart_clicked);
    connect(cmdSaveSummary, &QPushButton::clicked, this, &WeatherViewer::cmdSaveSummary_clicked);
}

// ---- Handlers ---------------------------------------------------------------------

void WeatherViewer::chkChart_toggled(int chart, bool on) {
    picChart[chart]->setVisible(on);
    drawCharts();  // the lowest chart shown carries the time labels
}

void WeatherViewer::cboZoom_changed(int index) { setZoom(static_cast<Zoom>(index)); }

void WeatherViewer::cmdPrevious_clicked() {
    const qint64 back = zoom_ == Zoom::Month ? 15 * kMsPerDay : 1;
    placeView(viewStart_ - back);
}

void WeatherViewer::cmdNext_clicked() { placeView(viewEnd_); }

void WeatherViewer::cmdSaveChart_clicked() {
    const QString path = choose_file(this, FileDialogKind::Save, QString::fromLatin1(kPngFilter));
    if (!path.isEmpty()) saveChart(path);
}

void WeatherViewer::cmdSaveSummary_clicked() {
    const QString path = choose_file(this, FileDialogKind::Save, QString::fromLatin1(kCsvFilter));
    if (!path.isEmpty()) saveSummary(path);
}

// ---- Helpers ----------------------------------------------------------------------

qint64 WeatherViewer::pointMs(int index) const {
    return baseMs_ + wth_elapsed(file_.points[index]) * 1000;
}

// The time point nearest `ms`; the points are in time order.
int WeatherViewer::nearestPoint(qint64 ms) const {
    const long at = static_cast<long>((ms - baseMs_) / 1000);
    const auto &pts = file_.points;
    const auto it = std::lower_bound(pts.begin(), pts.end(), at,
                                     [](const WthPoint &p, long t) { return wth_elapsed(p) < t; });
    int k = static_cast<int>(it - pts.begin());
    if (k == static_cast<int>(pts.size())) return k - 1;
    if (k > 0 && at - wth_elapsed(pts[k - 1]) < wth_elapsed(pts[k]) - at) --k;
    return k;
}

// The points of every series over the whole period; rain and snow become marks from
// the axis up to 1 (rain) or down to -1 (snow) at each flagged time point.
void WeatherViewer::buildSeries() {
    for (int c = 0; c < kCharts; ++c) {
        PanelSeries &ps = panels_[c];
        for (std::size_t s = 0; s < ps.series.size(); ++s) {
            const SeriesInfo &info = kChartInfo[c].series[s];
            QList<QPointF> &out = ps.points[s];
            out.clear();
            if (info.quantity == Quantity::Count) {
                const bool rain = s == 0;
                out.reserve(3 * 256);
                for (int k = 0; k < static_cast<int>(file_.points.size()); ++k) {
                    const WthPoint &p = file_.points[k];
                    if ((rain ? p.rn : p.sn) == 0) continue;
                    const qreal x = static_cast<qreal>(pointMs(k));
                    out << QPointF(x, 0) << QPointF(x, rain ? 1 : -1) << QPointF(x, 0);
                }
                continue;
            }
            const bool shift = quantity_info(info.quantity).temperature && celsius_;
            out.reserve(static_cast<qsizetype>(file_.points.size()));
            for (int k = 0; k < static_cast<int>(file_.points.size()); ++k) {
                const double v = quantity_value(file_.points[k], info.quantity);
                out << QPointF(static_cast<qreal>(pointMs(k)), shift ? v - kZeroCelsius : v);
            }
        }
    }
}

// Places the view by the zoom around the instant `anchor` (ms), inside the file's
// period, and redraws.
void WeatherViewer::placeView(qint64 anchor) {
    const qint64 first = pointMs(0), last = pointMs(static_cast<int>(file_.points.size()) - 1);
    anchor = std::clamp(anchor, first, last);
    // Day index of the anchor; 24:00:00 belongs to the day that it ends.
    const int days = static_cast<int>(file_.days.size());
    const int day = std::clamp(static_cast<int>((anchor - baseMs_) / kMsPerDay), 0, days - 1);
    qint64 start = first, end = last;
    switch (zoom_) {
    case Zoom::Period: break;
    case Zoom::Month: {
        const QDate date = QDateTime::fromMSecsSinceEpoch(anchor, QTimeZone::utc()).date();
        const QDate from(date.year(), date.month(), 1);
        start = QDateTime(from, QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
        end = QDateTime(from.addMonths(1), QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
        break;
    }
    case Zoom::Week: {
        const int sunday = day - (file_.days[day].dow - 1);
        start = baseMs_ + sunday * kMsPerDay;
        end = start + 7 * kMsPerDay;
        break;
    }
    case Zoom::Day:
        start = baseMs_ + day * kMsPerDay;
        end = start + kMsPerDay;
        break;
    }
    viewStart_ = std::max(start, first);
    viewEnd_ = std::min(end, last);
    if (viewEnd_ <= viewStart_) viewEnd_ = viewStart_ + kMsPerHour;  // a file of one instant
    drawCharts();
}

// Shows the slice of every series that falls in view, with its value axis fitted to
// the slice and time labels that suit the span in view (ViewerRules).
void WeatherViewer::drawCharts() {
    int lowest = -1;
    for (int c = 0; c < kCharts; ++c)
        if (chkChart[c]->isChecked()) lowest = c;
    const std::vector<TimeLabel> labels =
        time_labels(viewStart_ - baseMs_, viewEnd_ - baseMs_, file_.start_day,
                    static_cast<int>(file_.days.size()));

    for (int c = 0; c < kCharts; ++c) {
        PanelSeries &ps = panels_[c];
        if (!chkChart[c]->isChecked()) continue;
        const Chart chart = static_cast<Chart>(c);
        ValueRange values;
        // Pixel columns of the plot, at least those of a wide screen, so that a window
        // made larger later still gets a column of points for each pixel.
        const int columns = std::max(kThinColumns, static_cast<int>(picChart[c]->chart()->plotArea().width()));
        for (std::size_t s = 0; s < ps.series.size(); ++s) {
            const QList<QPointF> &all = ps.points[s];
            // One point either side of the view, so that lines run to its edges.
            auto from = std::lower_bound(all.begin(), all.end(), qreal(viewStart_),
                                         [](const QPointF &p, qreal x) { return p.x() < x; });
            auto to = std::upper_bound(from, all.end(), qreal(viewEnd_),
                                       [](qreal x, const QPointF &p) { return x < p.x(); });
            if (from != all.begin()) --from;
            if (to != all.end()) ++to;
            QList<QPointF> slice(from, to);
            for (const QPointF &p : slice) values.add(p.y());
            // The rain and snow marks are few and must keep their shape.
            if (chart != Chart::RainSnow) slice = thinned(slice, viewStart_, viewEnd_, columns);
            ps.series[s]->replace(slice);
        }
        const ValueAxis axis = chart == Chart::RainSnow        ? kMarksAxis
                               : chart == Chart::WindDirection ? kCompassAxis
                                                               : fitted_axis(values);
        ps.y->setRange(axis.from, axis.to);
        ps.y->setTickCount(axis.ticks);
        if (chart == Chart::RainSnow) {
            ps.y->setLabelsVisible(false);
            ps.y->setTitleVisible(false);  // the legend names the marks
        } else {
            QString unit = QString::fromUtf8(kChartInfo[c].unit);
            if (unit == QLatin1String("K") && celsius_) unit = QStringLiteral("\u00b0C");
            ps.y->setTitleText(tr("%1 [%2]").arg(QString::fromLatin1(kChartInfo[c].axis), unit));
        }

        QCategoryAxis *x = ps.x;
        for (const QString &label : x->categoriesLabels()) x->remove(label);
        for (const TimeLabel &label : labels)
            x->append(QString::fromStdString(label.text), baseMs_ + label.at);
        x->setStartValue(viewStart_);
        x->setRange(viewStart_, viewEnd_);
        x->setLabelsVisible(c == lowest);
        picChart[c]->timeLabels = c == lowest;
        picChart[c]->placePlot();
        picChart[c]->viewport()->update();
    }
}

// Beside a chart's plot: the name of each series in its colour, one under the other.
void WeatherViewer::drawNames(ChartPanel *panel, QPainter *painter, int chart) const {
    if (kChartInfo[chart].series.size() < 2) return;
    const QRectF area = panel->chart()->plotArea();
    const QFontMetricsF fm(painter->font());
    qreal y = area.top();
    for (const SeriesInfo &s : kChartInfo[chart].series) {
        const qreal box = fm.height() * 0.6;
        painter->fillRect(QRectF(area.right() + 8, y + (fm.height() - box) / 2, box, box), s.colour);
        painter->setPen(Qt::black);
        painter->drawText(QPointF(area.right() + 12 + box, y + fm.ascent()), tr(s.name));
        y += fm.height() * 1.3;
    }
}

// Behind a chart: weekends grey, special days amber with their type at the top, and a
// strip at the foot of the plot for days of daylight-saving time.
void WeatherViewer::drawDayTable(ChartPanel *panel, QPainter *painter) const {
    QChart *chart = panel->chart();
    if (chart->series().isEmpty()) return;
    QAbstractSeries *series = chart->series().first();
    const QRectF area = chart->plotArea();
    const int firstDay = std::max(0, static_cast<int>((viewStart_ - baseMs_) / kMsPerDay));
    const int lastDay = std::min(static_cast<int>(file_.days.size()) - 1,
                                 static_cast<int>((viewEnd_ - baseMs_) / kMsPerDay));
    const qreal strip = std::max<qreal>(3, area.height() / 30);
    painter->save();
    painter->setClipRect(area);
    QFont small = painter->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    painter->setFont(small);
    for (int d = firstDay; d <= lastDay; ++d) {
        const WthDay &day = file_.days[d];
        const qint64 midnight = baseMs_ + d * kMsPerDay;
        const qreal x0 = chart->mapToPosition(QPointF(midnight, 0), series).x();
        const qreal x1 = chart->mapToPosition(QPointF(midnight + kMsPerDay, 0), series).x();
        const QRectF band(x0, area.top(), x1 - x0, area.height());
        const bool special = day.dtype != day.dow;
        if (special)
            painter->fillRect(band, kSpecialShade);
        else if (day.dow == 1 || day.dow == 7)
            painter->fillRect(band, kWeekendShade);
        if (day.dst) painter->fillRect(QRectF(x0, area.bottom() - strip, x1 - x0, strip), kDstStrip);
        if (special) {
            painter->setPen(QColor(150, 90, 0));
            painter->drawText(QRectF(x0 - 20, area.top(), x1 - x0 + 40, 16), Qt::AlignHCenter | Qt::AlignTop,
                              QString::number(day.dtype));
        }
    }
    painter->restore();
}

void WeatherViewer::showSummary() {
    QStringList heads{tr("Month")};
    for (int q = 0; q < kQuantities; ++q) {
        const QuantityInfo &info = quantity_info(static_cast<Quantity>(q));
        const QString unit = info.temperature && celsius_ ? QStringLiteral("\u00b0C") : QString::fromLatin1(info.unit);
        for (const char *stat : {"min", "mean", "max"})
            heads << QStringLiteral("%1 %2\n[%3]").arg(QString::fromLatin1(info.column), tr(stat), unit);
    }
    heads << tr("Rain\n[h]") << tr("Snow\n[h]");
    ltvSummary->clear();
    ltvSummary->setColumnCount(static_cast<int>(heads.size()));
    ltvSummary->setHorizontalHeaderLabels(heads);
    ltvSummary->setRowCount(static_cast<int>(summary_.size()));
    for (int r = 0; r < static_cast<int>(summary_.size()); ++r) {
        const MonthStats &row = summary_[r];
        int col = 0;
        auto put = [&](const QString &text) {
            auto *item = new QTableWidgetItem(text);
            item->setTextAlignment(col == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            ltvSummary->setItem(r, col++, item);
        };
        put(QString::fromLatin1(month_name(row.month)));
        for (int q = 0; q < kQuantities; ++q) {
            const bool shift = quantity_info(static_cast<Quantity>(q)).temperature && celsius_;
            for (double v : {row.min[q], row.mean[q], row.max[q]})
                put(QString::fromStdString(summary_number(shift ? v - kZeroCelsius : v, static_cast<Quantity>(q))));
        }
        put(QString::number(row.rain_hours));
        put(QString::number(row.snow_hours));
    }
    ltvSummary->resizeColumnsToContents();
}
