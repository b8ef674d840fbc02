#include "shell/ProgramIcon.h"
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tw {

namespace {

// A sheet with a coloured header row and ruled lines, in a 64-unit square.
void drawTable(QPainter& p, const QRectF& sheet, const QColor& header) {
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(sheet, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(header);
    p.drawRect(QRectF(sheet.left() + 1, sheet.top() + 1, sheet.width() - 2, sheet.height() / 4));
    p.setPen(QPen(QColor(150, 150, 150), 2));
    for (int row = 2; row <= 3; ++row) {
        const qreal y = sheet.top() + row * sheet.height() / 4;
        p.drawLine(QPointF(sheet.left() + 3, y), QPointF(sheet.right() - 3, y));
    }
    const qreal x = sheet.left() + sheet.width() / 2;
    p.drawLine(QPointF(x, sheet.top() + sheet.height() / 4 + 2), QPointF(x, sheet.bottom() - 3));
}

void drawArrow(QPainter& p) {
    QPainterPath arrow;
    arrow.moveTo(22, 46);
    arrow.lineTo(36, 46);
    arrow.lineTo(36, 39);
    arrow.lineTo(48, 50);
    arrow.lineTo(36, 61);
    arrow.lineTo(36, 54);
    arrow.lineTo(22, 54);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(20, 70, 20), 2));
    p.setBrush(QColor(60, 170, 60));
    p.drawPath(arrow);
}

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    drawTable(p, QRectF(3, 4, 34, 32), QColor(0, 94, 144));
    drawTable(p, QRectF(27, 26, 34, 32), QColor(214, 110, 20));
    drawArrow(p);
    return pixmap;
}

}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(drawIcon(size));
    return icon;
}

}
