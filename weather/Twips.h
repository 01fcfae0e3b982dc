// Twips - the one conversion of layout sizes from twips (1/1440 inch) to pixels.
// Every position and size of the windows is written in twips and placed through here,
// at the logical DPI of the widget's screen (15 twips a pixel at 96 DPI).
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

constexpr int kTwipsPerInch = 1440;

// Pixels for `twips` at `dpi` dots per inch, rounded to the nearest.
int twips_to_pixels(int twips, int dpi);

// The rectangle of pixels for a rectangle in twips at the given DPIs.  Edges are
// converted, not sizes, so that neighbours that touch or overlap in twips do so in
// pixels too.
QRect twips_rect(int left, int top, int width, int height, int dpi_x, int dpi_y);

// Places `w` inside its parent at the rectangle given in twips.
void place(QWidget *w, int left, int top, int width, int height);

// The size in pixels of `width` by `height` twips on `w`'s screen.
QSize twips_size(const QWidget *w, int width, int height);
