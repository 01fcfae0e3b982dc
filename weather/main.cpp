// weather - the desktop window that sets up a conversion and runs the converter.
#include <QApplication>

#include "WeatherRules.h"
#include "WeatherWindow.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    // The user's settings (the folder of the last file chosen) live under this name.
    QApplication::setOrganizationName(QStringLiteral("weather-tools"));
    WeatherWindow window;
    window.show();
    return QApplication::exec();
}
