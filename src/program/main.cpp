#include "base/AbandonedWork.h"
#include "base/EventLoopYield.h"
#include "base/ProgramEnd.h"
#include "cli/RunCommandLine.h"
#include "connect/SettingsStore.h"
#include "program/Form1.h"
#include "shell/MessageBoxPrompts.h"
#include "shell/WindowLook.h"
#include <QApplication>
#include <cstdlib>

namespace {

// Run with arguments, the program is its command line: no window, and no
// display needed.
int runWindows(int argc, char** argv) {
    QApplication app(argc, argv);
    tw::resolveArial();
    tw::ProgramEnd end;
    tw::EventLoopYield yield(end);
    tw::MessageBoxPrompts prompts;
    tw::SettingsStore store;
    tw::Form1 form1({prompts, yield, end, QCoreApplication::applicationDirPath()}, store);
    form1.start();
    const int code = end.requested() ? 0 : app.exec();
    // Work still hanging in a driver call must not hold the end of the
    // program, nor run into the libraries as they unload.
    if (tw::abandonedWork() > 0)
        std::_Exit(code);
    return code;
}

}

int main(int argc, char** argv) {
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        return tw::runCommandLine(app.arguments().mid(1));
    }
    return runWindows(argc, argv);
}
