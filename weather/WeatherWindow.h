// WeatherWindow - the main window: conversion type, source and destination files,
// description, dates, daylight saving and the calendar of special days; "Run", which
// writes the control file and runs the converter, the log viewer, help and about.
//
// Holds the window state that the handlers share: the stored paths, the calendar
// properties with their month tables, the list of special days (the list view shows
// it), the outcome of the last run and the files its runs wrote, which it removes when
// it closes.  Decisions that need no window are in
// WeatherRules; every message goes through show_msg and every file dialog through
// choose_file (Dialogs); the application folder, help and the converter's run go
// through Desktop.
#pragma once

#include <QMainWindow>
#include <QSet>
#include <QString>
#include <array>
#include <vector>

#include "WeatherRules.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QDateTime;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class AboutDialog;
class LogViewer;
struct ConverterRun;

// Paths chosen in the file dialogs.  Switching the type empties the boxes that show
// them, never these.
struct WindowPaths {
    QString SourceV1Path;     // chosen while the upgrade type was selected
    QString SourceTmy2Path;   // chosen while TMY2 was selected
    QString SourceEpwPath;    // chosen while E/E was selected
    QString WeatherPath;      // destination weather file (any type)
    QString ContaminantPath;  // species file beside it (upgrade type only)
};

class WeatherWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit WeatherWindow(QWidget *parent = nullptr);
    ~WeatherWindow() override;

    // ---- Properties ----
    // Month shown in the grid, 1..12.  Setting it redraws the grid and the date box.
    int currentMonth() const { return currentMonth_; }
    void setCurrentMonth(int month);
    // Weekday of 1 January, 0 = Sunday .. 6 = Saturday (the index chosen in
    // cboFirstDay).  Setting it redraws the grid and the date box.
    int firstDayOfYear() const { return firstDayOfYear_; }
    void setFirstDayOfYear(int weekday);
    // Day of the month last picked in the grid, not bounded by the month's length.
    // Setting it shows the date; the grid is not redrawn.
    int selectedDay() const { return selectedDay_; }
    void setSelectedDay(int day);

    // The selected conversion type: upgrade, Template, TMY2 tested in this order; with
    // none of them selected, E/E.
    ConversionType conversionType() const;
    const WindowPaths &paths() const { return paths_; }
    const std::vector<SpecialDay> &specialDays() const { return specialDays_; }
    const MonthTables &monthTables() const { return tables_; }
    // Help topic of the window, set by every type switch (0 before the first).
    int helpTopic() const { return helpTopic_; }
    // Everything a run reads from the window, copied out of the controls.
    RunInputs runInputs() const;
    // The log "View Log File" shows: the window's own log of its last run which left
    // one; before such a run, the shared log of the converter the selected type runs.
    QString logFile() const;
    // The shared log of the converter that `type` runs: "RENVAL.LOG" for the upgrade,
    // "TOLVEX.LOG" for the others, in the folder for the run's files.
    static QString converterLog(ConversionType type);
    // Exit status of the last converter that ended by itself (0 before any).
    unsigned lastExitCode() const { return lastExitCode_; }

signals:
    // A type switch gave the main window a help topic; the log viewer takes the same.
    void helpTopicChanged(int topic);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // ---- Builders, one per frame ----
    void createMenus();
    void createTypeFrame(QWidget *client);
    void createSourceFrame(QWidget *client);
    void createDestinationFrame(QWidget *client);
    void createDatesFrame(QWidget *client);
    void createSpecialFrame(QWidget *client);
    void createButtons(QWidget *client);
    void setDesignStates();
    void setKeyboardOrder();
    void connectHandlers();

    // ---- Handlers ----
    void frmWeather_load();
    void opt_clicked(ConversionType type);
    void cmdBrowseSourceFile_clicked();
    void cmdSaveWeather_clicked();
    void cboFirstDay_click(int index);
    void cmdNext_clicked();
    void cmdPrevious_clicked();
    void cmdDay_clicked(int index);
    void cmdAddSpecialDate_clicked();
    void cmdRemoveSpecialDate_clicked();
    void chkDaylightSavings_toggled(bool on);
    void mnuViewWeatherFile_clicked();
    void mnuFileExit_clicked();
    void cmdConvert_clicked();
    void cmdViewLogFile_clicked();
    void mnuHelpContents_clicked();
    void mnuHelpAbout_clicked();
    void f1_pressed();

    // ---- Helpers ----
    void enableSourceControls(bool flag);
    void enableDateControls(bool flag);
    void drawCalendar();
    void showSelectedDate();
    void markPickedDay();
    void moveDay(int delta);
    void showSpecialDays();
    void setHelpTopic(int topic);
    void fitScreen();
    bool writeControlFile(const QString &path, const std::string &text);
    QString ownFile(const QString &folder, const char *stem, const char *extension) const;
    bool keepIfWritten(const QString &path, const QDateTime &before);
    void removeOwnFiles();
    void takeSourceFile(const QString &path);
    void reportRun(const QString &program, const ConverterRun &run, const QString &log);
    QWidget *inputBox(RunInput input) const;
    QString droppedFile(const QMimeData *mime) const;
    LogViewer *logViewer();

    // ---- Controls ----
    QMenu *mnuFile = nullptr;
    QAction *mnuViewWeatherFile = nullptr;  // only where the viewer is built
    QAction *mnuFileExit = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuHelpSeparator1 = nullptr;
    QAction *mnuHelpAbout = nullptr;

    QGroupBox *frmCType = nullptr;
    QRadioButton *optWTH1_2 = nullptr;
    QRadioButton *optTmyWth = nullptr;
    QRadioButton *optEnergyplus = nullptr;
    QRadioButton *optTemplate = nullptr;

    QGroupBox *frmSourceFile = nullptr;
    QLineEdit *txtSourceFile = nullptr;
    QPushButton *cmdBrowseSourceFile = nullptr;

    QGroupBox *frmDestination = nullptr;
    QLabel *lblDescription = nullptr;
    QLineEdit *txtDescription = nullptr;
    QLabel *lblSaveAs = nullptr;
    QLineEdit *txtWeatherDestination = nullptr;
    QPushButton *cmdSaveWeather = nullptr;
    QLabel *lblContaminantFile = nullptr;
    QLineEdit *txtContaminantDestination = nullptr;

    QGroupBox *frmDates = nullptr;
    QLabel *lblStartDate = nullptr;
    QLineEdit *txtStartDate = nullptr;
    QLabel *lblEndDate = nullptr;
    QLineEdit *txtEndDate = nullptr;
    QGroupBox *frmDSL = nullptr;
    QCheckBox *chkDaylightSavings = nullptr;
    QLabel *lblDSLStart = nullptr;
    QLineEdit *txtDSLStart = nullptr;
    QLabel *lblDSLEnd = nullptr;
    QLineEdit *txtDSLEnd = nullptr;

    QGroupBox *frmSpecial = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cboFirstDay = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QLineEdit *txtDate = nullptr;
    QPushButton *cmdNext = nullptr;
    QLabel *lblMonth = nullptr;
    std::array<QLabel *, kWeekdays> lblWeekday{};
    QButtonGroup *cmdDayGroup = nullptr;  // ids are the indexes of cmdDay
    std::array<QPushButton *, kDayButtons> cmdDay{};
    QTreeWidget *ltvSpecialDays = nullptr;
    QPushButton *cmdAddSpecialDate = nullptr;
    QPushButton *cmdRemoveSpecialDate = nullptr;
    QLabel *lblSpecialEvent = nullptr;
    QComboBox *cboDayType = nullptr;

    QPushButton *cmdConvert = nullptr;
    QPushButton *cmdViewLogFile = nullptr;

    LogViewer *logViewer_ = nullptr;  // made at its first show, then kept
    AboutDialog *aboutDialog_ = nullptr;

    // ---- Window state ----
    WindowPaths paths_;
    MonthTables tables_{};
    int currentMonth_ = 1;
    int firstDayOfYear_ = 0;
    int selectedDay_ = 1;
    std::vector<SpecialDay> specialDays_;
    int helpTopic_ = 0;
    QString lastRunLog_;  // the log the last run left ("" before such a run)
    int windowNumber_ = 0;  // 1 for the first window alive in the process, then 2...
    QSet<QString> ownFiles_;  // what this window's runs wrote: removed when it closes
    bool placed_ = false;  // centred on the screen at the first show
    bool running_ = false;  // a converter runs: no second run, no closing
    unsigned lastExitCode_ = 0;
};
