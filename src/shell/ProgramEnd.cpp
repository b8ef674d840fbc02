#include "shell/ProgramEnd.h"
#include <QApplication>
#include <QWidget>

namespace tw {

void ProgramEnd::request() {
    m_requested = true;
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

}
