// WeatherWindow - the main window.
#include "WeatherWindow.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <algorithm>
#include <set>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>

#include "Desktop.h"
#include "Dialogs.h"
#include "Twips.h"
#include "AboutDialog.h"
#include "LogViewer.h"
#include "SourceHead.h"
#ifdef WEATHER_VIEWER
#include "WeatherViewer.h"
#endif

#ifndef WEATHER_VERSION_MAJOR
#error "the build passes the program's version as WEATHER_VERSION_MAJOR, _MINOR, _PATCH"
#endif

namespace {

// Client area of the window, in twips: the frames' area, a margin around it, and a row
// for the month's name above the calendar grid, which the lower frames grow by.
constexpr int kFramesWidth = 7935;
constexpr int kFramesHeight = 7755;
constexpr int kMargin = 120;
constexpr int kMonthRow = 240;
constexpr int kClientWidth = kFramesWidth + 2 * kMargin;
constexpr int kClientHeight = kFramesHeight + kMonthRow + 2 * kMargin;
constexpr int kFontPoints = 8;

// The masked date boxes: two digits, "/", two digits, "_" where nothing is typed yet.
constexpr const char *kDateMask = "99/99;_";
// What a daylight-saving box holds while daylight saving is off.
constexpr const char *kNoDaylightSaving = "01/01";

// Captions of the weekday headings over the grid, Sunday first.
constexpr const char *kWeekdayHeads[kWeekdays] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char *kDayTypes[] = {"8", "9", "10", "11", "12"};
constexpr const char *kMonthNames[kMonths] = {"January", "February", "March",     "April",
                                              "May",     "June",     "July",      "August",
                                              "September", "October", "November", "December"};

// Files of the application folder.
constexpr const char *kTolvexProgram = "/tolvex";
constexpr const char *kRenvalProgram = "/renval";
// The converters' shared logs, spelled as the converters write them, in the folder for
// the run's files.
constexpr const char *kTolvexLog = "/TOLVEX.LOG";
constexpr const char *kRenvalLog = "/RENVAL.LOG";
// The window's own files in the folder for the run's files, "<stem>-<tag><extension>"
// (ownFile): its control file and the logs of its runs, which the converter is given
// with --log.  renval makes its work file of the log's path and kWorkSuffix.
constexpr const char *kControlStem = "data";
constexpr const char *kControlExtension = ".dat";
constexpr const char *kTolvexLogStem = "tolvex";
constexpr const char *kRenvalLogStem = "renval";
constexpr const char *kOwnLogExtension = ".log";
constexpr const char *kWorkSuffix = ".TMP";

// Numbers of the main windows alive in this process.  Each window takes the lowest free
// one, so that two windows of one process keep their files apart as the process id
// keeps those of two processes apart.
std::set<int> window_numbers;

// Places a frame or a button of the client area, `left` and `top` counted from the
// frames' area inside the margin.
void place_on_client(QWidget *w, int left, int top, int width, int height) {
    place(w, left + kMargin, top + kMargin, width, height);
}

template <class W>
W *named(W *w, const char *name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLineEdit *read_only_box(QWidget *parent, const char *name) {
    auto *box = named(new QLineEdit(parent), name);
    box->setReadOnly(true);
    return box;
}

QLineEdit *date_box(QWidget *parent, const char *name) {
    auto *box = named(new QLineEdit(parent), name);
    box->setInputMask(QString::fromLatin1(kDateMask));
    return box;
}

QLabel *label_for(QWidget *parent, const char *name, const char *caption, QWidget *buddy) {
    auto *label = named(new QLabel(QString::fromLatin1(caption), parent), name);
    label->setBuddy(buddy);  // screen readers name the box after its label
    return label;
}

// The text a run reads from a masked date box: five characters with the prompts.
std::string date_of(const QLineEdit *box) { return box->displayText().toStdString(); }

// A cell of the calendar grid as a screen reader sees it: a button named by its day
// that presses like one, or, while the cell shows no day, nothing at all (not showing,
// as the screen readers skip).  Asked each time, so the grid's redraws need no notice.
constexpr const char *kDayCellProperty = "dayCell";
class DayCellAccessible : public QAccessibleWidget {
public:
    explicit DayCellAccessible(QPushButton *cell) : QAccessibleWidget(cell, QAccessible::Button) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (cell()->text().isEmpty()) s.invisible = s.offscreen = true;
        return s;
    }
    QStringList actionNames() const override {
        return cell()->text().isEmpty() ? QStringList() : QStringList{pressAction()};
    }
    void doAction(const QString &action) override {
        if (action == pressAction() && !cell()->text().isEmpty() && cell()->isEnabled()) cell()->animateClick();
    }

private:
    QPushButton *cell() const { return static_cast<QPushButton *>(widget()); }
};

QAccessibleInterface *day_cell_accessible(const QString &classname, QObject *object) {
    if (classname == QLatin1String("QPushButton") && object->property(kDayCellProperty).toBool())
        return new DayCellAccessible(static_cast<QPushButton *>(object));
    return nullptr;
}

}  // namespace

WeatherWindow::WeatherWindow(QWidget *parent) : QMainWindow(parent) {
    while (window_numbers.count(++windowNumber_) != 0) {
    }
    window_numbers.insert(windowNumber_);
    setObjectName(QStringLiteral("frmWeather"));
    // The layout was drawn for an 8-point font; a condensed face keeps the captions of
    // the common wide sans-serif faces inside their controls.
    QFont small = font();
    small.setPointSize(kFontPoints);
    small.setStretch(QFont::Condensed);
    setFont(small);
    static const bool accessible = (QAccessible::installFactory(day_cell_accessible), true);
    (void)accessible;
    // The client area keeps its size; on a screen too small for it the window shrinks
    // to the screen and the client area scrolls inside it (fitScreen).
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrWeather"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAccessibleName(QString::fromLatin1(kAppTitle));
    auto *client = new QWidget;
    client->setObjectName(QStringLiteral("frmWeatherClient"));
    client->setAccessibleName(QString::fromLatin1(kAppTitle));
    client->setFixedSize(twips_size(client, kClientWidth, kClientHeight));
    scroll->setWidget(client);
    setCentralWidget(scroll);
    setAcceptDrops(true);  // a source file may be dropped anywhere on the window

    createMenus();
    createTypeFrame(client);
    createSourceFrame(client);
    createDestinationFrame(client);
    createDatesFrame(client);
    createSpecialFrame(client);
    createButtons(client);
    setDesignStates();
    setKeyboardOrder();
    connectHandlers();
    fitScreen();

    frmWeather_load();
}

// A window that ends without being closed (the program told to quit) removes its files
// all the same.
WeatherWindow::~WeatherWindow() {
    removeOwnFiles();
    window_numbers.erase(windowNumber_);
}

// ---- Properties -------------------------------------------------------------------

void WeatherWindow::setCurrentMonth(int month) {
    currentMonth_ = month;
    drawCalendar();
    showSelectedDate();
}

void WeatherWindow::setFirstDayOfYear(int weekday) {
    firstDayOfYear_ = weekday;
    drawCalendar();
    showSelectedDate();
}

void WeatherWindow::setSelectedDay(int day) {
    selectedDay_ = day;
    showSelectedDate();
}

ConversionType WeatherWindow::conversionType() const {
    if (optWTH1_2->isChecked()) return ConversionType::V1Upgrade;
    if (optTemplate->isChecked()) return ConversionType::Template;
    if (optTmyWth->isChecked()) return ConversionType::Tmy2;
    return ConversionType::Epw;
}

RunInputs WeatherWindow::runInputs() const {
    auto bytes = [](const QString &text) { return text.toLocal8Bit().toStdString(); };
    auto path = [](const QString &text) { return QFile::encodeName(text).toStdString(); };
    RunInputs in;
    in.type = conversionType();
    in.source_box = path(txtSourceFile->text());
    in.destination_box = path(txtWeatherDestination->text());
    in.description = bytes(txtDescription->text());
    in.v1_path = path(paths_.SourceV1Path);
    in.tmy2_path = path(paths_.SourceTmy2Path);
    in.epw_path = path(paths_.SourceEpwPath);
    in.weather_path = path(paths_.WeatherPath);
    in.contaminant_path = path(paths_.ContaminantPath);
    in.start_date = date_of(txtStartDate);
    in.end_date = date_of(txtEndDate);
    in.dsl_start = date_of(txtDSLStart);
    in.dsl_end = date_of(txtDSLEnd);
    in.first_day_index = cboFirstDay->currentIndex();
    in.special_days = specialDays_;
    return in;
}

QString WeatherWindow::logFile() const {
    return lastRunLog_.isEmpty() ? converterLog(conversionType()) : lastRunLog_;
}

QString WeatherWindow::converterLog(ConversionType type) {
    return run_files_folder() +
           QString::fromLatin1(type == ConversionType::V1Upgrade ? kRenvalLog : kTolvexLog);
}

// ---- Builders ---------------------------------------------------------------------

void WeatherWindow::createMenus() {
    menuBar()->setAccessibleName(QStringLiteral("Menu Bar"));
    mnuFile = named(menuBar()->addMenu(tr("&File")), "mnuFile");
    mnuFile->setAccessibleName(tr("File"));
#ifdef WEATHER_VIEWER
    mnuViewWeatherFile = named(mnuFile->addAction(tr("&View Weather File...")), "mnuViewWeatherFile");
    mnuFile->addSeparator();
#endif
    mnuFileExit = named(mnuFile->addAction(tr("E&xit")), "mnuFileExit");

    mnuHelp = named(menuBar()->addMenu(tr("&Help")), "mnuHelp");
    mnuHelp->setAccessibleName(tr("Help"));
    mnuHelpContents = named(mnuHelp->addAction(tr("Help Contents")), "mnuHelpContents");
    mnuHelpSeparator1 = named(mnuHelp->addSeparator(), "mnuHelpSeparator1");
    mnuHelpAbout = named(mnuHelp->addAction(tr("About...")), "mnuHelpAbout");
}

void WeatherWindow::createTypeFrame(QWidget *client) {
    frmCType = named(new QGroupBox(tr("Conversion Type"), client), "frmCType");
    place_on_client(frmCType, 0, 0, 2775, 3015);

    optWTH1_2 = named(new QRadioButton(tr("From Ventora 1.0 weather file"), frmCType), "optWTH1_2");
    place(optWTH1_2, 120, 240, 2535, 375);
    optWTH1_2->setProperty(kHelpTopicProperty, kHelpUpgrade);

    optTmyWth = named(new QRadioButton(tr("From TMY2 weather file"), frmCType), "optTmyWth");
    place(optTmyWth, 120, 600, 2055, 375);
    optTmyWth->setProperty(kHelpTopicProperty, kHelpTmy2);

    optEnergyplus =
        named(new QRadioButton(tr("From EnergyPlus/ESP-r (E/E)"), frmCType), "optEnergyplus");
    place(optEnergyplus, 120, 960, 2415, 375);

    optTemplate = named(new QRadioButton(tr("Create Template"), frmCType), "optTemplate");
    place(optTemplate, 120, 1320, 1935, 375);
    optTemplate->setProperty(kHelpTopicProperty, kHelpTemplate);
}

void WeatherWindow::createSourceFrame(QWidget *client) {
    frmSourceFile = named(new QGroupBox(tr("Source File"), client), "frmSourceFile");
    place_on_client(frmSourceFile, 2880, 0, 5055, 735);

    txtSourceFile = read_only_box(frmSourceFile, "txtSourceFile");
    txtSourceFile->setAccessibleName(frmSourceFile->title());  // it has no label of its own
    place(txtSourceFile, 120, 240, 3495, 285);

    cmdBrowseSourceFile = named(new QPushButton(tr("&Browse"), frmSourceFile), "cmdBrowseSourceFile");
    place(cmdBrowseSourceFile, 3720, 240, 975, 285);
}

void WeatherWindow::createDestinationFrame(QWidget *client) {
    frmDestination = named(new QGroupBox(tr("Destination Files"), client), "frmDestination");
    place_on_client(frmDestination, 2880, 840, 5055, 2175);

    txtDescription = named(new QLineEdit(frmDestination), "txtDescription");
    txtDescription->setMaxLength(kDescriptionLimit);
    place(txtDescription, 120, 480, 4575, 285);
    lblDescription = label_for(frmDestination, "lblDescription", "Description", txtDescription);
    place(lblDescription, 120, 240, 1215, 255);

    txtWeatherDestination = read_only_box(frmDestination, "txtWeatherDestination");
    place(txtWeatherDestination, 120, 1080, 3495, 285);
    lblSaveAs = label_for(frmDestination, "lblSaveAs", "Weather File", txtWeatherDestination);
    place(lblSaveAs, 120, 840, 1935, 255);

    cmdSaveWeather = named(new QPushButton(tr("&Save As"), frmDestination), "cmdSaveWeather");
    place(cmdSaveWeather, 3720, 1080, 975, 285);

    txtContaminantDestination = read_only_box(frmDestination, "txtContaminantDestination");
    place(txtContaminantDestination, 120, 1680, 3495, 285);
    lblContaminantFile = label_for(frmDestination, "lblContaminantFile", "Contaminant File",
                                   txtContaminantDestination);
    place(lblContaminantFile, 120, 1440, 1215, 255);
}

void WeatherWindow::createDatesFrame(QWidget *client) {
    frmDates = named(new QGroupBox(tr("Date Information"), client), "frmDates");
    place_on_client(frmDates, 0, 3120, 2295, 3855 + kMonthRow);

    txtStartDate = date_box(frmDates, "txtStartDate");
    place(txtStartDate, 1320, 360, 615, 315);
    lblStartDate = label_for(frmDates, "lblStartDate", "Start Date", txtStartDate);
    place(lblStartDate, 120, 390, 1095, 255);

    txtEndDate = date_box(frmDates, "txtEndDate");
    place(txtEndDate, 1320, 840, 615, 315);
    lblEndDate = label_for(frmDates, "lblEndDate", "End Date", txtEndDate);
    place(lblEndDate, 120, 870, 1095, 255);

    // A frame without caption; the check box sits on its top edge instead.
    frmDSL = named(new QGroupBox(frmDates), "frmDSL");
    frmDSL->setAccessibleName(tr("Daylight Savings"));
    place(frmDSL, 120, 1320, 2055, 1335);

    txtDSLStart = date_box(frmDSL, "txtDSLStart");
    txtDSLStart->setAccessibleName(tr("Daylight Savings Start Date"));
    place(txtDSLStart, 1200, 360, 615, 315);
    lblDSLStart = label_for(frmDSL, "lblDSLStart", "Start Date", txtDSLStart);
    place(lblDSLStart, 120, 390, 1015, 255);

    txtDSLEnd = date_box(frmDSL, "txtDSLEnd");
    txtDSLEnd->setAccessibleName(tr("Daylight Savings End Date"));
    place(txtDSLEnd, 1200, 840, 615, 315);
    lblDSLEnd = label_for(frmDSL, "lblDSLEnd", "End Date", txtDSLEnd);
    place(lblDSLEnd, 120, 870, 1015, 255);

    chkDaylightSavings =
        named(new QCheckBox(tr("Daylight Savings Time"), frmDates), "chkDaylightSavings");
    chkDaylightSavings->setAutoFillBackground(true);  // hides the frame's line behind it
    place(chkDaylightSavings, 240, 1200, 1875, 255);
    chkDaylightSavings->raise();
}

void WeatherWindow::createSpecialFrame(QWidget *client) {
    frmSpecial = named(new QGroupBox(tr("Special Days"), client), "frmSpecial");
    place_on_client(frmSpecial, 2400, 3120, 5535, 3855 + kMonthRow);

    cboFirstDay = named(new QComboBox(frmSpecial), "cboFirstDay");
    // Its entries' index is the weekday of 1 January less one.
    for (const char *day : calendar::kWeekdayNames) cboFirstDay->addItem(QString::fromLatin1(day));
    place(cboFirstDay, 1680, 240, 1815, 315);
    Label1 = label_for(frmSpecial, "Label1", "First day of the year:", cboFirstDay);
    cboFirstDay->view()->setAccessibleName(Label1->text());
    place(Label1, 120, 270, 1560, 255);

    cmdPrevious = named(new QPushButton(tr("Previous"), frmSpecial), "cmdPrevious");
    place(cmdPrevious, 120, 780, 855, 315);
    txtDate = read_only_box(frmSpecial, "txtDate");
    txtDate->setAlignment(Qt::AlignCenter);
    txtDate->setAccessibleName(tr("Selected Date"));
    place(txtDate, 1500, 780, 615, 315);
    cmdNext = named(new QPushButton(tr("Next"), frmSpecial), "cmdNext");
    place(cmdNext, 2640, 780, 855, 315);

    // The month shown, named above the grid.
    lblMonth = named(new QLabel(frmSpecial), "lblMonth");
    lblMonth->setAlignment(Qt::AlignCenter);
    QFont bold = lblMonth->font();
    bold.setBold(true);
    lblMonth->setFont(bold);
    place(lblMonth, 540, 1185, 2535, 285);

    // The grid: cell k in column k mod 7 (Sunday first) and row k div 7; neighbours
    // overlap by 15 twips.
    for (int c = 0; c < kWeekdays; ++c) {
        const QByteArray name = "lblWeekday_" + QByteArray::number(c);
        lblWeekday[c] = named(new QLabel(QString::fromLatin1(kWeekdayHeads[c]), frmSpecial), name);
        lblWeekday[c]->setAlignment(Qt::AlignCenter);
        place(lblWeekday[c], 540 + 360 * c, 1260 + kMonthRow, 375, 240);
    }
    cmdDayGroup = new QButtonGroup(this);
    for (int k = 0; k < kDayButtons; ++k) {
        const QByteArray name = "cmdDay_" + QByteArray::number(k);
        cmdDay[k] = named(new QPushButton(frmSpecial), name);
        place(cmdDay[k], 540 + 360 * (k % kWeekdays), 1500 + kMonthRow + 360 * (k / kWeekdays), 375,
              375);
        cmdDayGroup->addButton(cmdDay[k], k);
        cmdDay[k]->setProperty(kDayCellProperty, true);
        cmdDay[k]->installEventFilter(this);  // arrow keys move the picked day
    }

    ltvSpecialDays = named(new QTreeWidget(frmSpecial), "ltvSpecialDays");
    ltvSpecialDays->setAccessibleName(frmSpecial->title());
    ltvSpecialDays->setHeaderLabels({tr("Date"), tr("Type")});
    ltvSpecialDays->setRootIsDecorated(false);
    ltvSpecialDays->setItemsExpandable(false);
    ltvSpecialDays->setAllColumnsShowFocus(true);
    ltvSpecialDays->setSelectionMode(QAbstractItemView::SingleSelection);
    ltvSpecialDays->setSelectionBehavior(QAbstractItemView::SelectRows);
    ltvSpecialDays->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ltvSpecialDays->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ltvSpecialDays->header()->setSectionResizeMode(QHeaderView::Stretch);
    place(ltvSpecialDays, 3600, 780, 1665, 2115);

    cmdAddSpecialDate = named(new QPushButton(tr("&Add "), frmSpecial), "cmdAddSpecialDate");
    cmdAddSpecialDate->setAccessibleName(tr("Add"));  // the caption's blank is not read out
    place(cmdAddSpecialDate, 3600, 3000, 795, 375);
    cmdRemoveSpecialDate = named(new QPushButton(tr("Re&move"), frmSpecial), "cmdRemoveSpecialDate");
    place(cmdRemoveSpecialDate, 4470, 3000, 795, 375);

    cboDayType = named(new QComboBox(frmSpecial), "cboDayType");
    for (const char *type : kDayTypes) cboDayType->addItem(QString::fromLatin1(type));
    place(cboDayType, 4140, 3480, 1125, 315);
    lblSpecialEvent = label_for(frmSpecial, "lblSpecialEvent", "Type", cboDayType);
    cboDayType->view()->setAccessibleName(lblSpecialEvent->text());
    place(lblSpecialEvent, 3600, 3510, 495, 255);
}

void WeatherWindow::createButtons(QWidget *client) {
    cmdConvert = named(new QPushButton(tr("&Run"), client), "cmdConvert");
    place_on_client(cmdConvert, 2700, 7200 + kMonthRow, 975, 375);
    cmdViewLogFile = named(new QPushButton(tr("View Log File"), client), "cmdViewLogFile");
    place_on_client(cmdViewLogFile, 3840, 7200 + kMonthRow, 1335, 375);
}

// The states the window opens with.  They are not those of a type switch: the start
// and end boxes and the calendar's own controls are enabled inside their disabled
// frames.
void WeatherWindow::setDesignStates() {
    optWTH1_2->setChecked(true);
    for (QWidget *w : std::initializer_list<QWidget *>{
             frmDates, lblStartDate, lblEndDate, frmDSL, chkDaylightSavings, lblDSLStart,
             txtDSLStart, lblDSLEnd, txtDSLEnd, frmSpecial, cmdAddSpecialDate,
             cmdRemoveSpecialDate, cmdViewLogFile})
        w->setEnabled(false);
    optWTH1_2->setFocus();
}

// The keyboard order of the controls that take the focus: top to bottom, left to right,
// frame by frame.  Of the grid only the cell of the picked day takes the focus
// (drawCalendar), so that the whole grid is one stop.  Return presses the button with
// the focus, as in a dialog.
void WeatherWindow::setKeyboardOrder() {
    std::vector<QWidget *> order = {
        optWTH1_2, optTmyWth, optEnergyplus, optTemplate, txtSourceFile, cmdBrowseSourceFile, txtDescription,
        txtWeatherDestination, cmdSaveWeather, txtContaminantDestination, txtStartDate,
        txtEndDate, chkDaylightSavings, txtDSLStart, txtDSLEnd, cboFirstDay, cmdPrevious,
        txtDate, cmdNext};
    order.insert(order.end(), cmdDay.begin(), cmdDay.end());
    order.insert(order.end(), {ltvSpecialDays, cmdAddSpecialDate, cmdRemoveSpecialDate, cboDayType,
                               cmdConvert, cmdViewLogFile});
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    for (QPushButton *button : findChildren<QPushButton *>()) button->setAutoDefault(true);
}

void WeatherWindow::connectHandlers() {
    const std::pair<QRadioButton *, ConversionType> options[] = {
        {optWTH1_2, ConversionType::V1Upgrade},
        {optTmyWth, ConversionType::Tmy2},
        {optEnergyplus, ConversionType::Epw},
        {optTemplate, ConversionType::Template}};
    for (const auto &[option, type] : options) {
        const ConversionType t = type;
        // A switch of type only: clicking the type already selected changes nothing.
        connect(option, &QRadioButton::toggled, this, [this, t](bool checked) {
            if (checked) opt_clicked(t);
        });
    }
    connect(cmdBrowseSourceFile, &QPushButton::clicked, this, &WeatherWindow::cmdBrowseSourceFile_clicked);
    connect(cmdSaveWeather, &QPushButton::clicked, this, &WeatherWindow::cmdSaveWeather_clicked);
    connect(cboFirstDay, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &WeatherWindow::cboFirstDay_click);
    connect(cmdNext, &QPushButton::clicked, this, &WeatherWindow::cmdNext_clicked);
    connect(cmdPrevious, &QPushButton::clicked, this, &WeatherWindow::cmdPrevious_clicked);
    connect(cmdDayGroup, &QButtonGroup::idClicked, this, &WeatherWindow::cmdDay_clicked);
    connect(cmdAddSpecialDate, &QPushButton::clicked, this, &WeatherWindow::cmdAddSpecialDate_clicked);
    connect(cmdRemoveSpecialDate, &QPushButton::clicked, this,
            &WeatherWindow::cmdRemoveSpecialDate_clicked);
    connect(chkDaylightSavings, &QCheckBox::toggled, this, &WeatherWindow::chkDaylightSavings_toggled);
    connect(cmdConvert, &QPushButton::clicked, this, &WeatherWindow::cmdConvert_clicked);
    connect(cmdViewLogFile, &QPushButton::clicked, this, &WeatherWindow::cmdViewLogFile_clicked);
    if (mnuViewWeatherFile)
        connect(mnuViewWeatherFile, &QAction::triggered, this,
                &WeatherWindow::mnuViewWeatherFile_clicked);
    connect(mnuFileExit, &QAction::triggered, this, &WeatherWindow::mnuFileExit_clicked);
    connect(mnuHelpContents, &QAction::triggered, this, &WeatherWindow::mnuHelpContents_clicked);
    connect(mnuHelpAbout, &QAction::triggered, this, &WeatherWindow::mnuHelpAbout_clicked);
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &WeatherWindow::f1_pressed);
}

// ---- Handlers ---------------------------------------------------------------------

// Start-up, in this order.  The tables and the month and day come before the first
// day's selection, because that draws the calendar.
void WeatherWindow::frmWeather_load() {
    cboDayType->setCurrentIndex(0);
    txtDSLStart->setText(QString::fromLatin1(kNoDaylightSaving));
    txtDSLEnd->setText(QString::fromLatin1(kNoDaylightSaving));
    setWindowTitle(QString::fromStdString(
        window_caption(WEATHER_VERSION_MAJOR, WEATHER_VERSION_MINOR, WEATHER_VERSION_PATCH)));
    init_month_days(tables_);
    init_month_starts(tables_);
    currentMonth_ = 1;
    selectedDay_ = 1;
    // The list holds "Sunday" selected from its filling on, so no change of index would
    // run the handler: run it as the program's own selection.
    cboFirstDay->setCurrentIndex(0);
    cboFirstDay_click(0);
}

// The type switch: enabling of the type's row, the four boxes emptied (the stored
// paths stay), the type's help topic.
void WeatherWindow::opt_clicked(ConversionType type) {
    const TypeControls controls = type_controls(type);
    enableSourceControls(controls.source);
    enableDateControls(controls.dates);
    txtSourceFile->clear();
    txtDescription->clear();
    txtWeatherDestination->clear();
    txtContaminantDestination->clear();
    setHelpTopic(controls.help_topic);
}

// Source selection.  A cancelled dialog changes nothing.
void WeatherWindow::cmdBrowseSourceFile_clicked() {
    const ConversionType type = conversionType();
    if (type == ConversionType::Template) return;  // no source to choose
    const QString path =
        choose_file(this, FileDialogKind::Open, QString::fromLatin1(source_filter(type)));
    if (is_blank(path.toStdString())) return;
    takeSourceFile(path);
}

// A file dropped on the window is the source, as if chosen with "Browse", while the
// selected type has a source.
void WeatherWindow::dragEnterEvent(QDragEnterEvent *event) {
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void WeatherWindow::dropEvent(QDropEvent *event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    remember_file(path);
    takeSourceFile(path);
}

// The source `path` for the selected type: the upgrade's path is stored and shown
// before its first line is read; the TMY2 and E/E paths only after it was read.
void WeatherWindow::takeSourceFile(const QString &path) {
    const ConversionType type = conversionType();
    if (type == ConversionType::V1Upgrade) {
        paths_.SourceV1Path = path;
        txtSourceFile->setText(path);
    }

    std::string line;
    switch (read_first_line(QFile::encodeName(path).toStdString(), line)) {
    case HeaderRead::Ok: break;
    case HeaderRead::CannotOpen: show_msg(this, QString::fromLatin1(kMsgSourceUnreadable)); return;
    case HeaderRead::Failed: show_msg(this, QString::fromLatin1(kMsgHeaderTooLarge)); return;
    }
    txtDescription->setText(QString::fromLocal8Bit(line.data(), static_cast<int>(line.size())));
    // The weekday of 1 January that an E/E source carries is proposed as well; a TMY2
    // source carries none and leaves the choice as it is.
    if (type == ConversionType::Epw) {
        const SourceWeekday found = ee_weekday(QFile::encodeName(path).constData());
        if (found.weekday > 0) cboFirstDay->setCurrentIndex(found.weekday - 1);
    }

    if (type == ConversionType::Tmy2) {
        paths_.SourceTmy2Path = path;
        txtSourceFile->setText(path);
    } else if (type == ConversionType::Epw) {
        paths_.SourceEpwPath = path;
        txtSourceFile->setText(path);
    } else if (is_v20_header(txtDescription->text().toStdString())) {
        show_msg(this, QString::fromLatin1(kMsgV20Detected));
        txtDescription->clear();
        txtSourceFile->clear();  // the stored path stays; the empty box asks for a source
    }
}

// Destination selection: the weather file for every type, and for the upgrade the
// species file beside it.
void WeatherWindow::cmdSaveWeather_clicked() {
    const QString chosen =
        choose_file(this, FileDialogKind::Save, QString::fromLatin1(kWeatherFilter));
    if (is_blank(chosen.toStdString())) return;
    const QString path = QFile::decodeName(
        QByteArray::fromStdString(with_weather_extension(QFile::encodeName(chosen).toStdString())));

    txtWeatherDestination->setText(path);
    paths_.WeatherPath = path;
    if (optWTH1_2->isChecked()) {
        paths_.ContaminantPath = QString::fromStdString(species_path(path.toStdString()));
        txtContaminantDestination->setText(paths_.ContaminantPath);
    }
}

void WeatherWindow::cboFirstDay_click(int index) {
    if (index >= 0) setFirstDayOfYear(index);
}

void WeatherWindow::cmdNext_clicked() { setCurrentMonth(next_month(currentMonth_)); }

void WeatherWindow::cmdPrevious_clicked() { setCurrentMonth(previous_month(currentMonth_)); }

void WeatherWindow::cmdDay_clicked(int index) {
    const QString caption = cmdDay[index]->text();
    if (!caption.isEmpty()) setSelectedDay(caption.toInt());
}

// Adds the picked date with the chosen type; a date that is not a day of the year (the
// picked day kept from a longer month) is refused with a message.
void WeatherWindow::cmdAddSpecialDate_clicked() {
    if (!is_real_day(currentMonth_, selectedDay_)) {
        show_msg(this, txtDate->text() + QString::fromLatin1(kMsgInvalidDate));
        return;
    }
    add_special_day(specialDays_, txtDate->text().toStdString(),
                    cboDayType->currentText().toStdString());
    showSpecialDays();
}

// Removes the selected row; with no row selected nothing goes.  Afterwards no row is
// selected, so that a second "Remove" needs a new choice.
void WeatherWindow::cmdRemoveSpecialDate_clicked() {
    const QList<QTreeWidgetItem *> selected = ltvSpecialDays->selectedItems();
    const int row = selected.isEmpty() ? -1 : ltvSpecialDays->indexOfTopLevelItem(selected.first());
    if (!remove_special_day(specialDays_, row)) return;
    showSpecialDays();
    ltvSpecialDays->selectionModel()->clear();
}

// The daylight-saving switch: on asks for both dates; off disables the boxes and puts
// "01/01" in both, which a run writes as "no daylight saving".
void WeatherWindow::chkDaylightSavings_toggled(bool on) {
    for (QWidget *w : std::initializer_list<QWidget *>{lblDSLStart, lblDSLEnd, txtDSLStart, txtDSLEnd})
        w->setEnabled(on);
    if (on) {
        txtDSLStart->clear();
        txtDSLEnd->clear();
    } else {
        txtDSLStart->setText(QString::fromLatin1(kNoDaylightSaving));
        txtDSLEnd->setText(QString::fromLatin1(kNoDaylightSaving));
    }
}

// Shows a weather file 2.0 chosen in the open dialog in a viewer window of its own.
void WeatherWindow::mnuViewWeatherFile_clicked() {
#ifdef WEATHER_VIEWER
    const QString path = choose_file(this, FileDialogKind::Open,
                                     QStringLiteral("Weather Files (*.wth)|*.wth"));
    if (!path.isEmpty()) WeatherViewer::open(this, path);
#endif
}

void WeatherWindow::mnuFileExit_clicked() { close(); }

// "Run": checks the inputs of the selected type, writes the window's control file into
// the folder for the run's files, runs the converter from the application folder on it
// with the window's own log and tells how it went.  A failed check changes nothing and
// writes nothing; a control file that cannot be written, or a state folder that cannot
// be created, starts nothing.  The window's inputs stay as they are, so "Run" again
// runs the same again.
void WeatherWindow::cmdConvert_clicked() {
    if (running_) return;
    const RunInputs in = runInputs();
    const RunCheck check = check_run_inputs(in);
    if (!check.message.empty()) {
        show_msg(this, QString::fromStdString(check.message));
        if (QWidget *box = inputBox(check.input)) box->setFocus();
        return;
    }
    // The control file and the log go where the converter keeps its shared log
    // (Desktop.h), named for this window, so that windows sharing that folder never run
    // or show each other's.
    QString error;
    const QString runFolder = run_files_folder(&error);
    if (!error.isEmpty()) {
        show_msg(this, error);
        return;
    }
    const QString control = ownFile(runFolder, kControlStem, kControlExtension);
    if (!writeControlFile(control, control_file_text(in))) return;
    ownFiles_.insert(control);

    const QString folder = application_folder();
    const QString program =
        folder + QString::fromLatin1(in.type == ConversionType::V1Upgrade ? kRenvalProgram
                                                                          : kTolvexProgram);
    // The log this run leaves, told from one left before by its time of change; the
    // same for renval's work file beside it.
    const QString log = ownFile(runFolder, in.type == ConversionType::V1Upgrade ? kRenvalLogStem
                                                                                : kTolvexLogStem,
                                kOwnLogExtension);
    const QString work = log + QString::fromLatin1(kWorkSuffix);
    const QDateTime logBefore = QFileInfo(log).lastModified();
    const QDateTime workBefore = QFileInfo(work).lastModified();
    running_ = true;
    const ConverterRun run = run_converter(program, log, control);
    running_ = false;
    keepIfWritten(work, workBefore);
    const bool leftLog = keepIfWritten(log, logBefore);
    if (leftLog) {
        lastRunLog_ = log;
        cmdViewLogFile->setEnabled(true);
    }
    reportRun(program, run, leftLog ? log : QString());
}

// Shows the log of the last run (before any, of the converter that the selected type
// runs); the main window takes no input until the log window is closed, while the help
// window stays usable.
void WeatherWindow::cmdViewLogFile_clicked() {
    LogViewer *viewer = logViewer();
    viewer->setWindowModality(Qt::WindowModal);
    viewer->show();
    viewer->activateWindow();
}

// The help at its contents topic, whichever control has the focus.
void WeatherWindow::mnuHelpContents_clicked() { show_help(kHelpContents); }

// Shows the about window; the main window takes no input until it is closed.
void WeatherWindow::mnuHelpAbout_clicked() {
    if (!aboutDialog_) {
        aboutDialog_ = new AboutDialog(QString::fromStdString(version_text(
                                     WEATHER_VERSION_MAJOR, WEATHER_VERSION_MINOR,
                                     WEATHER_VERSION_PATCH)),
                                 this);
    }
    aboutDialog_->setWindowModality(Qt::ApplicationModal);
    aboutDialog_->show();
    aboutDialog_->activateWindow();
}

// F1: the help at the topic of the control with the focus, else the window's.
void WeatherWindow::f1_pressed() { show_help(help_topic_for(this)); }

// Closing the main window by any means closes every other window of the program,
// removes the files the window's runs wrote, and the program ends.  Nothing is asked or
// saved.  While a converter runs the window stays: the run waits for it and then
// reports.
void WeatherWindow::closeEvent(QCloseEvent *event) {
    if (running_) {
        event->ignore();
        return;
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isWindow() && w->isVisible()) w->close();
    event->accept();
    removeOwnFiles();
    QCoreApplication::quit();
}

// The arrow keys on the grid move the picked day: a day left or right, a week up or
// down.  Return and Space press the cell like any button.
bool WeatherWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress &&
        std::find(cmdDay.begin(), cmdDay.end(), watched) != cmdDay.end()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        const int delta = key->key() == Qt::Key_Left    ? -1
                          : key->key() == Qt::Key_Right ? 1
                          : key->key() == Qt::Key_Up    ? -kWeekdays
                          : key->key() == Qt::Key_Down  ? kWeekdays
                                                        : 0;
        if (delta != 0) {
            moveDay(delta);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void WeatherWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (placed_) return;
    placed_ = true;
    fitScreen();  // now with the frame the window system gives the window
    if (const QScreen *s = screen()) {
        // Centred, and never with its menu bar above or left of the free area.
        const QRect free = s->availableGeometry();
        move(pos() + free.center() - frameGeometry().center());
        move(pos() + QPoint(std::max(0, free.left() - frameGeometry().left()),
                            std::max(0, free.top() - frameGeometry().top())));
    }
}

// The window's size: that of the menu bar over the client area, fixed, where the
// screen's free area holds it; else as large as the free area and no larger than the
// whole, with the client area scrolling inside.
void WeatherWindow::fitScreen() {
    auto *scroll = static_cast<QScrollArea *>(centralWidget());
    const QSize whole(scroll->widget()->width(), menuBar()->sizeHint().height() + scroll->widget()->height());
    const QScreen *s = screen();
    const QSize frame = frameGeometry().size() - geometry().size();  // none before the first show
    const QSize free = s ? s->availableGeometry().size() - frame : whole;
    if (whole.width() <= free.width() && whole.height() <= free.height()) {
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFixedSize(whole);
        return;
    }
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Room for the scroll bar of the one direction, so that it needs none in the other
    // where the screen allows.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize most = whole;
    if (whole.height() > free.height()) most.rwidth() += bar;
    if (whole.width() > free.width()) most.rheight() += bar;
    setMinimumSize(0, 0);
    setMaximumSize(most);
    resize(most.boundedTo(free));
}

// ---- Helpers ----------------------------------------------------------------------

void WeatherWindow::enableSourceControls(bool flag) {
    frmSourceFile->setEnabled(flag);
    txtSourceFile->setEnabled(flag);
    cmdBrowseSourceFile->setEnabled(flag);
}

// Enables or disables the date and special-day controls.  Daylight saving is turned off
// either way (its switch then resets the two boxes); the grid, the date box and the
// weekday headings follow their frame.
void WeatherWindow::enableDateControls(bool flag) {
    for (QWidget *w : std::initializer_list<QWidget *>{frmDSL, frmDates, lblStartDate, lblEndDate,
                                                       cboFirstDay})
        w->setEnabled(flag);
    chkDaylightSavings->setChecked(false);
    for (QWidget *w : std::initializer_list<QWidget *>{
             chkDaylightSavings, frmSpecial, cmdPrevious, cmdNext, lblSpecialEvent, ltvSpecialDays,
             cmdAddSpecialDate, cmdRemoveSpecialDate, txtStartDate, txtEndDate, cboDayType})
        w->setEnabled(flag);
}

void WeatherWindow::drawCalendar() {
    const DayCaptions captions = calendar_captions(tables_, currentMonth_, firstDayOfYear_);
    for (int k = 0; k < kDayButtons; ++k) {
        const QString caption = QString::fromStdString(captions[k]);
        cmdDay[k]->setText(caption);
        cmdDay[k]->setAccessibleName(caption);
    }
    if (currentMonth_ >= 1 && currentMonth_ <= kMonths)
        lblMonth->setText(tr(kMonthNames[currentMonth_ - 1]));
    markPickedDay();
}

void WeatherWindow::showSelectedDate() {
    txtDate->setText(QString::fromStdString(date_text(currentMonth_, selectedDay_)));
    markPickedDay();
}

// Marks the picked day's cell (highlight colours, bold) and makes it the grid's one
// keyboard stop; when the picked day is not in the month shown, the 1st is the stop.
// Empty cells never take the focus.  A grid that had the focus keeps it on the stop.
void WeatherWindow::markPickedDay() {
    const bool hadFocus = std::any_of(cmdDay.begin(), cmdDay.end(),
                                      [](const QPushButton *cell) { return cell->hasFocus(); });
    const int length = currentMonth_ >= 1 && currentMonth_ <= kMonths
                           ? tables_.MonthDays[currentMonth_ - 1] : 0;
    const int stop = selectedDay_ >= 1 && selectedDay_ <= length ? selectedDay_ : 1;
    QPalette marked = frmSpecial->palette();
    marked.setColor(QPalette::Button, marked.color(QPalette::Active, QPalette::Highlight));
    marked.setColor(QPalette::ButtonText, marked.color(QPalette::Active, QPalette::HighlightedText));
    for (QPushButton *cell : cmdDay) {
        const int day = cell->text().toInt();  // 0 for an empty cell
        const bool picked = day != 0 && day == selectedDay_;
        QFont font = cell->font();
        font.setBold(picked);
        cell->setFont(font);
        cell->setPalette(picked ? marked : QPalette());
        cell->setFocusPolicy(day != 0 && day == stop ? Qt::StrongFocus : Qt::NoFocus);
        if (hadFocus && day != 0 && day == stop) cell->setFocus();
    }
}

// Moves the picked day by `delta` days, into the month before or after at the month's
// ends; a picked day beyond the month's length counts from the month's last day.
void WeatherWindow::moveDay(int delta) {
    int month = currentMonth_;
    const int length = tables_.MonthDays[month - 1];
    int day = std::clamp(selectedDay_, 1, length) + delta;
    if (day < 1) {
        month = previous_month(month);
        day += tables_.MonthDays[month - 1];
    } else if (day > length) {
        day -= length;
        month = next_month(month);
    }
    selectedDay_ = day;
    if (month != currentMonth_)
        setCurrentMonth(month);
    else
        setSelectedDay(day);
}

// Brings the list view in line with the list, row by row; rows that stay keep their
// selection.
void WeatherWindow::showSpecialDays() {
    const int rows = static_cast<int>(specialDays_.size());
    while (ltvSpecialDays->topLevelItemCount() > rows)
        delete ltvSpecialDays->takeTopLevelItem(ltvSpecialDays->topLevelItemCount() - 1);
    while (ltvSpecialDays->topLevelItemCount() < rows)
        ltvSpecialDays->addTopLevelItem(new QTreeWidgetItem);
    for (int i = 0; i < rows; ++i) {
        QTreeWidgetItem *item = ltvSpecialDays->topLevelItem(i);
        item->setText(0, QString::fromStdString(specialDays_[i].date));
        item->setText(1, QString::fromStdString(specialDays_[i].type));
    }
}

void WeatherWindow::setHelpTopic(int topic) {
    helpTopic_ = topic;
    setProperty(kHelpTopicProperty, topic);
    emit helpTopicChanged(topic);
}

// Creates or empties the control file at `path` and writes `text` to it, closing it
// before anything is started.  On failure shows the file and the system's reason and
// returns false.
bool WeatherWindow::writeControlFile(const QString &path, const std::string &text) {
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok) {
        const auto size = static_cast<qint64>(text.size());
        ok = file.write(text.data(), size) == size && file.flush();
    }
    if (ok) {
        file.close();
        ok = file.error() == QFileDevice::NoError;
    }
    if (!ok) {
        show_msg(this, QString::fromLatin1(kMsgControlNotWritten)
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return ok;
}

// The window's own file "<stem>-<tag><extension>" in `folder`.  The tag is the process
// id, followed by "-<number>" for a second window alive in the same process.
QString WeatherWindow::ownFile(const QString &folder, const char *stem,
                               const char *extension) const {
    QString tag = QString::number(QCoreApplication::applicationPid());
    if (windowNumber_ > 1) tag += QLatin1Char('-') + QString::number(windowNumber_);
    return QStringLiteral("%1/%2-%3%4").arg(folder, QLatin1String(stem), tag,
                                            QLatin1String(extension));
}

// Whether a run wrote the file at `path`, which was last changed at `before` (invalid:
// missing) when it started; a file it wrote becomes one of the window's own.
bool WeatherWindow::keepIfWritten(const QString &path, const QDateTime &before) {
    const QFileInfo after(path);
    if (!after.exists() || after.lastModified() == before) return false;
    ownFiles_.insert(path);
    return true;
}

// Removes the files that this window's runs wrote: its control files, its logs and
// renval's work files beside them.  A file of such a name that no run of the window
// wrote (one left by an earlier process of the same id) stays, as every other file of
// the folder does.
void WeatherWindow::removeOwnFiles() {
    for (const QString &path : std::as_const(ownFiles_)) QFile::remove(path);
    ownFiles_.clear();
}

// The last message of a run.  Only a converter that ended by itself with status 0 is
// a success.  A failure names the first ERROR or FATAL message of `log`, the log the run
// left ("" when it left none).
void WeatherWindow::reportRun(const QString &program, const ConverterRun &run, const QString &log) {
    if (run.outcome == ConverterRun::Outcome::Ended) lastExitCode_ = run.exit_code;
    if (run.outcome == ConverterRun::Outcome::Ended && run.exit_code == 0) {
#ifdef WEATHER_VIEWER
        // "View" beside "OK" shows the weather file just written; a template's time
        // points hold no values to show, so it gets "OK" alone.
        if (conversionType() == ConversionType::Template)
            show_msg(this, QString::fromLatin1(kMsgConversionDone));
        else if (show_msg_button(this, QString::fromLatin1(kMsgConversionDone), tr("View")))
            WeatherViewer::open(this, paths_.WeatherPath);
#else
        show_msg(this, QString::fromLatin1(kMsgConversionDone));
#endif
        return;
    }
    if (run.outcome == ConverterRun::Outcome::NotStarted) {
        show_msg(this, QString::fromLatin1(kMsgConverterNotStarted)
                           .arg(QDir::toNativeSeparators(program), run.error));
        return;
    }
    QFile file(log);
    const QByteArray text = !log.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    show_msg(this, QString::fromLocal8Bit(failure_message(text.toStdString())));
}

// The box a run's check is about.
QWidget *WeatherWindow::inputBox(RunInput input) const {
    switch (input) {
    case RunInput::StartDate: return txtStartDate;
    case RunInput::EndDate: return txtEndDate;
    case RunInput::DslStart: return txtDSLStart;
    case RunInput::DslEnd: return txtDSLEnd;
    case RunInput::Source: return cmdBrowseSourceFile;
    case RunInput::Destination: return cmdSaveWeather;
    case RunInput::None: break;
    }
    return nullptr;
}

// The one local file that `data` carries, when the selected type takes a source.
QString WeatherWindow::droppedFile(const QMimeData *mime) const {
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !cmdBrowseSourceFile->isEnabled())
        return QString();
    const QUrl url = mime->urls().first();
    return url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile() ? url.toLocalFile() : QString();
}

// The log viewer, made at its first show with the help topic the window has now and
// kept in step with later type switches.
LogViewer *WeatherWindow::logViewer() {
    if (!logViewer_) {
        logViewer_ = new LogViewer([this] { return logFile(); }, this);
        logViewer_->setHelpContextID(helpTopic_);
        connect(this, &WeatherWindow::helpTopicChanged, logViewer_,
                &LogViewer::setHelpContextID);
    }
    return logViewer_;
}
