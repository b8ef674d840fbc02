#include "shell/CursorFile.h"
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>
#include <stdexcept>

namespace tw {

namespace {

[[noreturn]] void invalidPicture() { throw std::runtime_error("Invalid picture"); }

// The file starts with a 6-byte header (reserved 0, type 2 for cursors,
// number of pictures), then one 16-byte entry per picture; a cursor's entry
// holds the hot spot where an icon's holds its colour planes and depth.
constexpr int headerSize = 6;
constexpr int entrySize = 16;
constexpr quint16 cursorType = 2;

quint16 word(const QByteArray& data, int at) { return qFromLittleEndian<quint16>(data.constData() + at); }
quint32 dword(const QByteArray& data, int at) { return qFromLittleEndian<quint32>(data.constData() + at); }

}

CursorPicture readCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        invalidPicture();
    QByteArray data = file.readAll();
    if (data.size() < headerSize + entrySize || word(data, 0) != 0 || word(data, 2) != cursorType || word(data, 4) == 0)
        invalidPicture();
    const int entry = headerSize;
    const QPoint hotSpot(word(data, entry + 4), word(data, entry + 6));
    const quint64 pictureSize = dword(data, entry + 8);
    const quint64 pictureOffset = dword(data, entry + 12);
    if (pictureOffset + pictureSize > quint64(data.size()))
        invalidPicture();

    QBuffer buffer(&data);
    QImageReader reader(&buffer, "ico");
    CursorPicture cursor{reader.read(), hotSpot};
    if (cursor.image.isNull() || !cursor.image.rect().contains(hotSpot))
        invalidPicture();
    return cursor;
}

QCursor loadCursor(const QString& path) {
    const CursorPicture cursor = readCursorFile(path);
    return QCursor(QPixmap::fromImage(cursor.image), cursor.hotSpot.x(), cursor.hotSpot.y());
}

}
