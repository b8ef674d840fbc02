#include "shell/CloseProgram.h"
#include <QApplication>
#include <QWidget>

namespace tw {

void closeProgram(ProgramEnd& end) {
    end.request();
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
}

}
