// weather - the desktop window that sets up a conversion and runs the converter.
#include <QApplication>

#include "WeatherRules.h"
#include "frmWeather.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    frmWeather window;
    window.show();
    return QApplication::exec();
}
