// WeatherViewer - one weather file 2.0 in charts and a monthly summary.
#include "WeatherViewer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <functional>

#include "Desktop.h"
#include "Dialogs.h"
#include "Twips.h"
#include "ViewerRules.h"
#include "WeatherRules.h"

namespace {

constexpr const char *kMsgCannotShow = "Unable to show the weather file %1:\n%2";
constexpr const char *kMsgTemplate = "it is a template: its time points hold no values";
constexpr const char *kMsgNotSaved = "Unable to write %1:\n%2";
constexpr const char *kPngFilter = "PNG Images (*.png)|*.png";
constexpr const char *kCsvFilter = "CSV Files (*.csv)|*.csv";

// Scroll bars whose thumb is darker than their groove; the arrows stay the style's.
constexpr const char *kScrollBarStyle =
    "QScrollBar:horizontal { background: #e8e8e8; height: 15px; margin: 0 15px; border: none; }"
    "QScrollBar:vertical { background: #e8e8e8; width: 15px; margin: 15px 0; border: none; }"
    "QScrollBar::handle { background: #8f8f8f; border-radius: 4px; }"
    "QScrollBar::handle:hover { background: #707070; }"
    "QScrollBar::handle:horizontal { min-width: 24px; margin: 3px 1px; }"
    "QScrollBar::handle:vertical { min-height: 24px; margin: 1px 3px; }"
    "QScrollBar::add-line:horizontal { width: 15px; subcontrol-position: right; subcontrol-origin: margin; }"
    "QScrollBar::sub-line:horizontal { width: 15px; subcontrol-position: left; subcontrol-origin: margin; }"
    "QScrollBar::add-line:vertical { height: 15px; subcontrol-position: bottom; subcontrol-origin: margin; }"
    "QScrollBar::sub-line:vertical { height: 15px; subcontrol-position: top; subcontrol-origin: margin; }";

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

constexpr const char *kDayNames[8] = {"", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// Colours of the day table on the time axis and of the series.
const QColor kWeekendShade(232, 232, 232);
const QColor kSpecialShade(255, 221, 160);
const QColor kDstStrip(90, 140, 230);
const QColor kCursor(60, 60, 60);
const QColor kGrid(215, 215, 215);
const QColor kAxisLine(150, 150, 150);

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

// A label that shows as much of its text as fits, with "…" where it is cut, and
// asks for no width of its own: a long description or read-out never widens the
// window.  Screen readers get the whole text.
class ElidedLabel : public QLabel {
public:
    ElidedLabel(const QString &text, QWidget *parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setFull(text);
    }
    void setFull(const QString &text) {
        full_ = text;
        setAccessibleName(text);
        setToolTip(text);
        elide();
    }
    const QString &full() const { return full_; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override {
        return {fontMetrics().horizontalAdvance(full_) + 2 * margin(), QLabel::sizeHint().height()};
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(fontMetrics().elidedText(full_, Qt::ElideRight, std::max(0, width()))); }
    QString full_;
};

// One chart of the viewer.  The chart library draws its curves inside the plot area
// that its own layout gives it, from the room kept around the plot (setRoom); the
// panel draws the day table and the grid behind the curves and the labels over them,
// from that plot area as it is when painted, and reports where the pointer is.
class ChartPanel : public QChartView {
public:
    ChartPanel(QChart *chart, QWidget *parent) : QChartView(chart, parent) {
        setMouseTracking(true);
        setMinimumHeight(twips_size(this, 0, kPanelMinHeight).height());
        setFrameShape(QFrame::NoFrame);
        setRoom(false);
    }
    std::function<void(ChartPanel *, QPainter *)> drawBehind;
    std::function<void(ChartPanel *, QPainter *)> drawOver;
    std::function<void(qreal fraction)> pointerMoved;  // 0 at the plot's left, 1 at its right

    bool timeLabels() const { return timeLabels_; }
    // Keeps room for the value labels and the axis title on the left, the names of the
    // series on the right and, with `timeLabels`, the time labels below the plot.
    void setRoom(bool timeLabels) {
        timeLabels_ = timeLabels;
        const QFontMetrics fm(font());
        const int left = fm.horizontalAdvance(QStringLiteral("-00000.0")) + 2 * fm.height();
        const int right = fm.horizontalAdvance(QStringLiteral("Direct")) + 3 * fm.height();
        const int top = fm.height() * 2 / 3;
        chart()->setMargins(QMargins(left, top, right, timeLabels ? 2 * fm.height() : top));
        chart()->layout()->activate();  // the plot area at once, not at the next event
    }
    QRectF plot() const { return chart()->plotArea(); }

protected:
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
        const QRectF area = plot();
        if (pointerMoved && area.contains(at) && area.width() > 0)
            pointerMoved((at.x() - area.left()) / area.width());
        QChartView::mouseMoveEvent(event);
    }

private:
    bool timeLabels_ = false;
};

// Screen readers see a panel as a chart, named by its quantity and described by the
// span and the values in view (its accessible name and description).
QAccessibleInterface *chart_accessible(const QString &classname, QObject *object) {
    if (classname == QLatin1String("QChartView") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Chart);
    return nullptr;
}

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
    : QMainWindow(parent, Qt::Window), path_(path), file_(std::move(file)) {
    static const bool accessible = (QAccessible::installFactory(chart_accessible), true);
    (void)accessible;
    setObjectName(QStringLiteral("frmWeatherViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Weather File - %1").arg(QFileInfo(path).fileName()));
    setProperty(kHelpTopicProperty, kHelpViewer);
    const QDate first = QDate(kAxisYear, 1, 1).addDays(file_.start_day - 1);
    baseMs_ = QDateTime(first, QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    summary_ = monthly_summary(file_);

    createControls();
    createCharts();
    createSummary();
    connectHandlers();
    // The first size, within the free area of the screen the window opens on, with room
    // for a title bar (the window system's own is not known before the first show).
    QSize size = twips_size(this, kWindowWidth, kWindowHeight);
    if (const QScreen *s = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(s->availableGeometry().size() -
                              QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight)));
    resize(size);

    buildSeries();
    placeView(pointMs(0));
    showSummary();
}

// ---- Properties -------------------------------------------------------------------

void WeatherViewer::setZoom(Zoom zoom) {
    zoom_ = zoom;
    cboZoom->setCurrentIndex(static_cast<int>(zoom));
    placeView(cursor_ >= 0 && pointMs(cursor_) >= viewStart_ && pointMs(cursor_) <= viewEnd_
                  ? pointMs(cursor_)
                  : viewStart_);
}

void WeatherViewer::setCelsius(bool on) {
    celsius_ = on;
    chkCelsius->setChecked(on);
    buildSeries();
    drawCharts();
    showReadout();
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
    showReadout();
    for (ChartPanel *panel : picChart) panel->viewport()->update();
}

QString WeatherViewer::readout() const { return lblReadout->full(); }

ValueAxis WeatherViewer::valueAxis(Chart chart) const { return panels_[static_cast<int>(chart)].axis; }

bool WeatherViewer::saveChart(const QString &path) {
    tabViewer->setCurrentWidget(scrCharts);
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
    auto *client = new QWidget(this);
    setCentralWidget(client);
    lblDescription = named(new ElidedLabel(tr("%1   (%2 to %3, %4 days, %5 time points)")
                                               .arg(QString::fromStdString(file_.description),
                                                    QString::fromStdString(wth_date_text(file_.start_day)),
                                                    QString::fromStdString(wth_date_text(file_.end_day)))
                                               .arg(file_.days.size())
                                               .arg(file_.points.size()),
                                           client),
                           "lblDescription");
    cboZoom = named(new QComboBox(client), "cboZoom");
    cboZoom->addItems({tr("Whole period"), tr("Month"), tr("Week"), tr("Day")});
    auto *lblZoom = named(new QLabel(tr("&Zoom"), client), "lblZoom");
    // Screen readers on Linux name a combo box by its current item and tell its label
    // from this tie.
    lblZoom->setBuddy(cboZoom);
    cmdPrevious = named(new QPushButton(tr("< Previous"), client), "cmdPrevious");
    cmdNext = named(new QPushButton(tr("Next >"), client), "cmdNext");
    chkCelsius = named(new QCheckBox(tr("\u00b0C"), client), "chkCelsius");
    cmdSaveChart = named(new QPushButton(tr("Save Chart..."), client), "cmdSaveChart");
    cmdSaveSummary = named(new QPushButton(tr("Save Summary..."), client), "cmdSaveSummary");

    auto *bar = new QHBoxLayout;
    bar->addWidget(lblDescription, 1);
    bar->addWidget(lblZoom);
    bar->addWidget(cboZoom);
    bar->addWidget(cmdPrevious);
    bar->addWidget(cmdNext);
    bar->addWidget(chkCelsius);
    bar->addWidget(cmdSaveChart);
    bar->addWidget(cmdSaveSummary);

    auto *frmShow = named(new QGroupBox(tr("Show"), client), "frmShow");
    auto *shown = new QVBoxLayout(frmShow);
    for (int c = 0; c < kCharts; ++c) {
        chkChart[c] = named(new QCheckBox(tr(kChartInfo[c].caption), frmShow), kChartInfo[c].control);
        chkChart[c]->setChecked(kChartInfo[c].shown);
        shown->addWidget(chkChart[c]);
    }
    shown->addStretch(1);

    // The panels scroll when the window is too low for all of them at their least
    // height, so that ticking more never makes the window taller than the screen.
    tabViewer = named(new QTabWidget(client), "tabViewer");
    scrCharts = named(new QScrollArea, "scrCharts");
    scrCharts->setFrameShape(QFrame::NoFrame);
    scrCharts->setAccessibleName(tr("Charts"));
    scrCharts->setWidgetResizable(true);
    scrCharts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrCharts->verticalScrollBar()->setStyleSheet(QString::fromLatin1(kScrollBarStyle));
    frmCharts = named(new QWidget, "frmCharts");
    scrCharts->setWidget(frmCharts);
    tabViewer->addTab(scrCharts, tr("Charts"));

    lblLegend = named(new QLabel(client), "lblLegend");
    lblLegend->setText(
        tr("<span style='background:%1'>&nbsp;&nbsp;&nbsp;&nbsp;</span> weekend &nbsp; "
           "<span style='background:%2'>&nbsp;&nbsp;&nbsp;&nbsp;</span> special day (its type "
           "above) &nbsp; <span style='background:%3'>&nbsp;&nbsp;&nbsp;&nbsp;</span> daylight "
           "saving (strip at the foot)")
            .arg(kWeekendShade.name(), kSpecialShade.name(), kDstStrip.name()));
    lblLegend->setWordWrap(true);
    lblReadout = named(new ElidedLabel(tr("Point at a chart to read its values."), client), "lblReadout");
    lblReadout->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *middle = new QHBoxLayout;
    middle->addWidget(frmShow);
    middle->addWidget(tabViewer, 1);
    auto *all = new QVBoxLayout(client);
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
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->layout()->setContentsMargins(0, 0, 0, 0);
        chart->legend()->setVisible(false);  // the panel names its series on the right
        PanelSeries &ps = panels_[c];
        // The axes only map the values to the plot; the panel draws their grid and labels.
        ps.x = new QValueAxis;
        ps.y = new QValueAxis;
        chart->addAxis(ps.x, Qt::AlignBottom);
        chart->addAxis(ps.y, Qt::AlignLeft);
        ps.x->setVisible(false);
        ps.y->setVisible(false);
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
        panel->setAccessibleName(tr(info.caption));
        panel->setRenderHint(QPainter::Antialiasing);
        panel->drawBehind = [this, c](ChartPanel *p, QPainter *painter) { drawBehind(c, p, painter); };
        panel->drawOver = [this, c](ChartPanel *p, QPainter *painter) { drawOver(c, p, painter); };
        panel->pointerMoved = [this](qreal fraction) {
            const qint64 ms = viewStart_ + std::llround(fraction * static_cast<double>(viewEnd_ - viewStart_));
            pointAt(QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()));
        };
        picChart[c] = panel;
        panel->setVisible(info.shown);
        stack->addWidget(panel, 1);
    }
}

void WeatherViewer::createSummary() {
    ltvSummary = named(new QTableWidget(this), "ltvSummary");
    ltvSummary->setAccessibleName(tr("Monthly Summary"));
    ltvSummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ltvSummary->setTabKeyNavigation(false);  // Tab goes on to the next control; arrows move
    ltvSummary->verticalHeader()->setVisible(false);
    // The plain style draws a scroll bar's thumb lighter than its groove, so that the
    // groove reads as the thumb and the bar seems to work backwards: a dark thumb.
    for (QScrollBar *bar : {ltvSummary->horizontalScrollBar(), ltvSummary->verticalScrollBar()})
        bar->setStyleSheet(QString::fromLatin1(kScrollBarStyle));
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
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &WeatherViewer::f1_pressed);
}

// ---- Handlers ---------------------------------------------------------------------

void WeatherViewer::chkChart_toggled(int chart, bool on) {
    picChart[chart]->setVisible(on);
    drawCharts();  // the lowest chart shown carries the time labels
}

void WeatherViewer::cboZoom_changed(int index) { setZoom(static_cast<Zoom>(index)); }

// The view before or after this one: placed around the instant just before its start
// or at its end.
void WeatherViewer::cmdPrevious_clicked() { placeView(viewStart_ - 1); }

void WeatherViewer::cmdNext_clicked() { placeView(viewEnd_); }

void WeatherViewer::cmdSaveChart_clicked() {
    const QString path = choose_file(this, FileDialogKind::Save, QString::fromLatin1(kPngFilter));
    if (!path.isEmpty()) saveChart(path);
}

void WeatherViewer::cmdSaveSummary_clicked() {
    const QString path = choose_file(this, FileDialogKind::Save, QString::fromLatin1(kCsvFilter));
    if (!path.isEmpty()) saveSummary(path);
}

void WeatherViewer::f1_pressed() { show_help(kHelpViewer); }

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

// The read-out of the time point under the cursor, in the units shown now.
void WeatherViewer::showReadout() {
    if (cursor_ < 0) return;
    const WthPoint &p = file_.points[cursor_];
    const WthDay &d = file_.days[p.day_index];
    QString day = QStringLiteral("%1 %2 %3")
                      .arg(QString::fromLatin1(kDayNames[d.dow]),
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
    lblReadout->setFull(day + QStringLiteral("    ") + values.join(QStringLiteral("   ")));
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
// period, and redraws.  The anchor's day is that of the file's days it falls in; the
// midnight that ends the last day belongs to the last day.
void WeatherViewer::placeView(qint64 anchor) {
    const qint64 first = pointMs(0), last = pointMs(static_cast<int>(file_.points.size()) - 1);
    anchor = std::clamp(anchor, first, last);
    const int days = static_cast<int>(file_.days.size());
    const int day = std::clamp(static_cast<int>((anchor - baseMs_) / kMsPerDay), 0, days - 1);
    qint64 start = first, end = last;
    switch (zoom_) {
    case Zoom::Period: break;
    case Zoom::Month: {
        // The run of the file's days in the anchor's month.
        const int month = wth_month(file_.days[day].day);
        int from = day, to = day;
        while (from > 0 && wth_month(file_.days[from - 1].day) == month) --from;
        while (to + 1 < days && wth_month(file_.days[to + 1].day) == month) ++to;
        start = baseMs_ + from * kMsPerDay;
        end = baseMs_ + (to + 1) * kMsPerDay;
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
    cmdPrevious->setEnabled(zoom_ != Zoom::Period && viewStart_ > first);
    cmdNext->setEnabled(zoom_ != Zoom::Period && viewEnd_ < last);
    drawCharts();
}

// The day and time of instant `ms` of the time axis, "7/4 14:00"; a midnight that
// ends a span (`end`) is the day before's 24:00.
QString WeatherViewer::timeText(qint64 ms, bool end) const {
    const qint64 at = ms - baseMs_;
    int day = static_cast<int>(at / kMsPerDay);
    qint64 rest = at % kMsPerDay;
    if (end && day > 0 && rest == 0) --day, rest = kMsPerDay;
    day = std::clamp(day, 0, static_cast<int>(file_.days.size()) - 1);
    return QStringLiteral("%1 %2:%3")
        .arg(QString::fromStdString(wth_date_text(file_.days[day].day)))
        .arg(rest / kMsPerHour, 2, 10, QLatin1Char('0'))
        .arg(rest % kMsPerHour / 60000, 2, 10, QLatin1Char('0'));
}

// Shows the slice of every series that falls in view, with its value axis fitted to
// every value of the slice and time labels that suit the span in view (ViewerRules).
void WeatherViewer::drawCharts() {
    int lowest = -1;
    for (int c = 0; c < kCharts; ++c)
        if (chkChart[c]->isChecked()) lowest = c;
    labels_ = time_labels(viewStart_ - baseMs_, viewEnd_ - baseMs_, file_.start_day,
                          static_cast<int>(file_.days.size()));
    const QString span = tr("%1 to %2").arg(timeText(viewStart_, false), timeText(viewEnd_, true));

    for (int c = 0; c < kCharts; ++c) {
        PanelSeries &ps = panels_[c];
        if (!chkChart[c]->isChecked()) continue;
        const Chart chart = static_cast<Chart>(c);
        ValueRange values;
        QStringList shown;  // what the panel's description tells of each series
        // Pixel columns of the plot, at least those of a wide screen, so that a window
        // made larger later still gets a column of points for each pixel.
        const int columns = std::max(kThinColumns, static_cast<int>(picChart[c]->plot().width()));
        for (std::size_t s = 0; s < ps.series.size(); ++s) {
            const QList<QPointF> &all = ps.points[s];
            // One point either side of the view, so that lines run to its edges; their
            // values count for the axis, as the lines towards them are drawn.
            auto from = std::lower_bound(all.begin(), all.end(), qreal(viewStart_),
                                         [](const QPointF &p, qreal x) { return p.x() < x; });
            auto to = std::upper_bound(from, all.end(), qreal(viewEnd_),
                                       [](qreal x, const QPointF &p) { return x < p.x(); });
            const qsizetype inView = to - from;
            ValueRange own;
            for (auto p = from; p != to; ++p) own.add(p->y());
            if (from != all.begin()) --from;
            if (to != all.end()) ++to;
            QList<QPointF> slice(from, to);
            for (const QPointF &p : slice) values.add(p.y());
            const SeriesInfo &info = kChartInfo[c].series[s];
            if (chart == Chart::RainSnow) {
                shown << tr("%1 at %n time points", nullptr, static_cast<int>(inView / 3)).arg(tr(info.name));
            } else {
                // The rain and snow marks are few and must keep their shape.
                slice = thinned(slice, viewStart_, viewEnd_, columns);
                const QString unit = quantity_info(info.quantity).temperature && celsius_
                                         ? QStringLiteral("\u00b0C")
                                         : QString::fromUtf8(kChartInfo[c].unit);
                if (own.any)
                    shown << tr("%1 from %2 to %3 %4")
                                 .arg(tr(info.name),
                                      QString::fromStdString(summary_number(own.lo, info.quantity)),
                                      QString::fromStdString(summary_number(own.hi, info.quantity)), unit);
            }
            ps.series[s]->replace(slice);
        }
        ps.axis = chart == Chart::RainSnow        ? kMarksAxis
                  : chart == Chart::WindDirection ? kCompassAxis
                                                  : fitted_axis(values);
        ps.y->setRange(ps.axis.from, ps.axis.to);
        ps.x->setRange(viewStart_, viewEnd_);
        picChart[c]->setAccessibleDescription(span + QStringLiteral(": ") + shown.join(QStringLiteral("; ")));
        if (picChart[c]->timeLabels() != (c == lowest)) picChart[c]->setRoom(c == lowest);
        picChart[c]->viewport()->update();
    }
}

// The x of instant `ms` in `plot`, a plot of the view.
qreal WeatherViewer::xOf(const QRectF &plot, qreal ms) const {
    return plot.left() + (ms - viewStart_) * plot.width() / static_cast<qreal>(viewEnd_ - viewStart_);
}

// Behind a chart's curves: weekends grey, special days amber with their type at the
// top, a strip at the foot of the plot for days of daylight-saving time, and the grid
// of the value ticks and the time labels.
void WeatherViewer::drawBehind(int chart, ChartPanel *panel, QPainter *painter) const {
    const QRectF area = panel->plot();
    if (area.isEmpty()) return;
    const int firstDay = std::max(0, static_cast<int>((viewStart_ - baseMs_) / kMsPerDay));
    const int lastDay = std::min(static_cast<int>(file_.days.size()) - 1,
                                 static_cast<int>((viewEnd_ - baseMs_) / kMsPerDay));
    const qreal strip = std::max<qreal>(3, area.height() / 30);
    painter->save();
    painter->setClipRect(area);
    QFont small = painter->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    painter->setFont(small);
    const QFontMetricsF fm(small);
    for (int d = firstDay; d <= lastDay; ++d) {
        const WthDay &day = file_.days[d];
        const qint64 midnight = baseMs_ + d * kMsPerDay;
        const qreal x0 = xOf(area, midnight), x1 = xOf(area, midnight + kMsPerDay);
        const QRectF band(x0, area.top(), x1 - x0, area.height());
        const bool special = day.dtype != day.dow;
        if (special)
            painter->fillRect(band, kSpecialShade);
        else if (day.dow == 1 || day.dow == 7)
            painter->fillRect(band, kWeekendShade);
        if (day.dst) painter->fillRect(QRectF(x0, area.bottom() - strip, x1 - x0, strip), kDstStrip);
        if (special) {
            painter->setPen(QColor(150, 90, 0));
            painter->drawText(QRectF(x0 - 20, area.top(), x1 - x0 + 40, fm.height()),
                              Qt::AlignHCenter | Qt::AlignTop, QString::number(day.dtype));
        }
    }
    // The grid on whole pixels, so that its lines stay sharp.
    const ValueAxis &axis = panels_[chart].axis;
    painter->setPen(QPen(kGrid, 1));
    for (int t = 0; t < axis.ticks; ++t) {
        const qreal y = std::floor(area.bottom() - t * area.height() / (axis.ticks - 1)) + 0.5;
        painter->drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    for (const TimeLabel &label : labels_) {
        const qreal x = std::floor(xOf(area, baseMs_ + label.at)) + 0.5;
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    painter->restore();
}

// Over a chart's curves: the read-out's cursor line; around the plot its frame, the
// value labels and the axis title on the left, the time labels below the lowest chart
// and the name of each series in its colour on the right.
void WeatherViewer::drawOver(int chart, ChartPanel *panel, QPainter *painter) const {
    const QRectF area = panel->plot();
    if (area.isEmpty()) return;
    painter->save();
    if (cursor_ >= 0 && pointMs(cursor_) >= viewStart_ && pointMs(cursor_) <= viewEnd_) {
        const qreal x = xOf(area, pointMs(cursor_));
        painter->setPen(QPen(kCursor, 1, Qt::DashLine));
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    painter->setPen(QPen(kAxisLine, 1));
    painter->drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));

    const QFontMetricsF fm(painter->font());
    painter->setPen(Qt::black);
    const ValueAxis &axis = panels_[chart].axis;
    const ChartInfo &info = kChartInfo[chart];
    if (static_cast<Chart>(chart) != Chart::RainSnow) {
        const double step = (axis.to - axis.from) / (axis.ticks - 1);
        for (int t = 0; t < axis.ticks; ++t) {
            double v = axis.from + t * step;
            if (std::abs(v) < step * 1e-9) v = 0;  // never "-0" or "1e-13"
            const qreal y = area.bottom() - t * area.height() / (axis.ticks - 1);
            painter->drawText(QRectF(0, y - fm.height() / 2, area.left() - 4, fm.height()),
                              Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'g', 6));
        }
        QString unit = QString::fromUtf8(info.unit);
        if (unit == QLatin1String("K") && celsius_) unit = QStringLiteral("\u00b0C");
        QFont bold = painter->font();
        bold.setBold(true);
        painter->setFont(bold);
        painter->translate(fm.height() * 0.2, area.center().y());
        painter->rotate(-90);
        painter->drawText(QRectF(-area.height() / 2, 0, area.height(), fm.height() * 1.2),
                          Qt::AlignHCenter | Qt::AlignTop,
                          tr("%1 [%2]").arg(QString::fromLatin1(info.axis), unit));
        painter->resetTransform();
        painter->setFont(panel->font());
    }
    if (panel->timeLabels()) {
        for (const TimeLabel &label : labels_) {
            const QString text = QString::fromStdString(label.text);
            const qreal width = fm.horizontalAdvance(text);
            const qreal x = std::clamp(xOf(area, baseMs_ + label.at) - width / 2, 0.0,
                                       panel->width() - width);
            painter->drawText(QPointF(x, area.bottom() + 4 + fm.ascent()), text);
        }
    }
    if (info.series.size() > 1) {
        qreal y = area.top();
        const qreal box = fm.height() * 0.6;
        for (const SeriesInfo &s : info.series) {
            painter->fillRect(QRectF(area.right() + 8, y + (fm.height() - box) / 2, box, box), s.colour);
            painter->setPen(Qt::black);
            painter->drawText(QPointF(area.right() + 12 + box, y + fm.ascent()), tr(s.name));
            y += fm.height() * 1.3;
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
