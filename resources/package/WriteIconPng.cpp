// Writes the program's icon, as the program draws it, to a PNG file of the
// given size: the package's fixed-size icon.
#include "shell/ProgramIcon.h"
#include <QGuiApplication>
#include <QPixmap>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const int size = QString::fromLocal8Bit(argv[2]).toInt();
    return tw::programIcon().pixmap(size, size).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
