// viewer_shot - saves a picture of the weather-file viewer, for the documentation and
// for looking at real files without a desktop:
//
//   viewer_shot file.wth picture.png [period|month|week|day [m/d [options]]]
//
// Opens the viewer on the offscreen platform (unless another is asked for), zooms,
// points the read-out at noon of day m/d and saves the window.  The options, joined by
// commas: "celsius", "all" (every chart shown) and a size such as "1040x720" (pixels;
// else the viewer's own first size on the platform's screen).  Exit status 0 when the
// picture was written, 1 otherwise (a file the viewer refuses prints its message).
#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "Dialogs.h"
#include "WeatherViewer.h"

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: viewer_shot file.wth picture.png [period|month|week|day [m/d [celsius,all,WxH]]]\n");
        return 1;
    }
    set_message_handler([](QWidget *, const QString &text) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
    WeatherViewer *viewer = WeatherViewer::open(nullptr, args[1]);
    if (!viewer) return 1;
    const QStringList options = args.value(5).split(QLatin1Char(','));
    viewer->setCelsius(options.contains(QLatin1String("celsius")));
    for (const QString &option : options)
        if (const int x = option.indexOf(QLatin1Char('x')); x > 0)
            viewer->resize(option.left(x).toInt(), option.mid(x + 1).toInt());
    if (options.contains(QLatin1String("all")))
        for (int c = 0; c < WeatherViewer::kCharts; ++c) viewer->setChartShown(WeatherViewer::Chart(c), true);
    const QStringList zooms{"period", "month", "week", "day"};
    if (const QString day = args.value(4); !day.isEmpty()) {
        const int slash = day.indexOf('/');
        const std::string wanted = QStringLiteral("%1/%2")
                                       .arg(day.left(slash).toInt())
                                       .arg(day.mid(slash + 1).toInt())
                                       .toStdString();
        const WthFile &f = viewer->file();
        for (int k = 0; k < static_cast<int>(f.points.size()); ++k)
            if (wth_date_text(f.days[f.points[k].day_index].day) == wanted && f.points[k].seconds == 43200)
                viewer->pointAt(viewer->pointTime(k));
    }
    viewer->setZoom(static_cast<WeatherViewer::Zoom>(std::max<qsizetype>(0, zooms.indexOf(args.value(3)))));
    QApplication::processEvents();
    const bool saved = viewer->grab().save(args[2], "PNG");
    delete viewer;
    return saved ? 0 : 1;
}
