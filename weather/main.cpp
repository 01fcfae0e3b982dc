// weather-tools - the desktop window that sets up a conversion and runs the converter.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include "WeatherRules.h"
#include "WeatherWindow.h"

// Answers --help and --version, which end the program, before the window's
// application exists, so that they need no display.  Every other argument is left to
// the window's application (Qt's own options such as -platform).
static void answer_options(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("weather-tools"));
    QCoreApplication::setApplicationVersion(QStringLiteral(WEATHER_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sets up a weather-file conversion and runs the converter tolvex or renval\n"
        "from the program's own folder."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
}

int main(int argc, char *argv[]) {
    answer_options(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    // The user's settings (the folder of the last file chosen) live under this name.
    QApplication::setOrganizationName(QStringLiteral("weather-tools"));
    WeatherWindow window;
    window.show();
    return QApplication::exec();
}
