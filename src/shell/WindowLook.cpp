#include "shell/WindowLook.h"
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace tw {

int pixels(double twips) { return int(std::lround(twips / twipsPerPixel)); }

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

void placeInTwips(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(twipsRect(left, top, width, height));
}

namespace {
QFont arialBold(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}
}

QFont windowFont() { return arialBold(9); }
QFont buttonFont() { return arialBold(11.25); }

void resolveArial() {
    const QString arial = QStringLiteral("Arial");
    if (!QFontDatabase::families().contains(arial, Qt::CaseInsensitive))
        QFont::insertSubstitution(arial, QStringLiteral("Liberation Sans"));
}

void fixClientSize(QWidget& window, int widthTwips, int heightTwips) {
    window.setFixedSize(pixels(widthTwips), pixels(heightTwips));
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}
