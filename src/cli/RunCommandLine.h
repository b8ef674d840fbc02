#pragma once
#include <QStringList>

namespace tw {

// The program run with arguments (those after its name): it lists or
// copies tables and never opens a window. Gives the exit code.
int runCommandLine(const QStringList& arguments);

}
