#pragma once
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

namespace tw {

// The first picture of a Windows cursor file and its hot spot, the point of
// the picture that the pointer's position names.
struct CursorPicture {
    QImage image;
    QPoint hotSpot;
};

// Fails with "Invalid picture" when the file is not a cursor file that can
// be read, or its hot spot lies outside the picture.
CursorPicture readCursorFile(const QString& path);

// The file as a pointer, with its hot spot.
QCursor loadCursor(const QString& path);

}
