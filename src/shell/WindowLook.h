#pragma once
#include <QFont>
#include <QRect>

class QWidget;

namespace tw {

// The windows are laid out in twips; 15 twips make one pixel at 96 dots per inch.
constexpr int twipsPerPixel = 15;
int pixels(double twips);
QRect twipsRect(int left, int top, int width, int height);
void placeInTwips(QWidget& control, int left, int top, int width, int height);

// Arial 9 pt bold for frames, labels, text boxes and lists; 11.25 pt bold
// for push buttons.
QFont windowFont();
QFont buttonFont();
// Makes "Arial" resolve to a metric-compatible family where Arial itself
// is not installed.
void resolveArial();

// A window with a fixed client size that cannot be resized, opened
// centred on the screen.
void fixClientSize(QWidget& window, int widthTwips, int heightTwips);
void centreOnScreen(QWidget& window);

}
