// Twips - the one conversion of layout sizes from twips to pixels.
#include "Twips.h"

#include <QWidget>
#include <cmath>

int twips_to_pixels(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

QRect twips_rect(int left, int top, int width, int height, int dpi_x, int dpi_y) {
    const int x = twips_to_pixels(left, dpi_x), y = twips_to_pixels(top, dpi_y);
    return QRect(x, y, twips_to_pixels(left + width, dpi_x) - x,
                 twips_to_pixels(top + height, dpi_y) - y);
}

void place(QWidget *w, int left, int top, int width, int height) {
    w->setGeometry(twips_rect(left, top, width, height, w->logicalDpiX(), w->logicalDpiY()));
}

QSize twips_size(const QWidget *w, int width, int height) {
    return twips_rect(0, 0, width, height, w->logicalDpiX(), w->logicalDpiY()).size();
}
