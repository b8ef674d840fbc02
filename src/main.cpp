#include "connect/Form1.h"
#include "connect/SettingsStore.h"
#include "shell/EventLoopYield.h"
#include "shell/MessageBoxPrompts.h"
#include "shell/ProgramEnd.h"
#include "shell/WindowLook.h"
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tw::resolveArial();
    tw::ProgramEnd end;
    tw::EventLoopYield yield(end);
    tw::MessageBoxPrompts prompts;
    tw::SettingsStore store;
    tw::Form1 form1({prompts, yield, end, QCoreApplication::applicationDirPath()}, store);
    form1.start();
    if (end.requested())
        return 0;
    return app.exec();
}
