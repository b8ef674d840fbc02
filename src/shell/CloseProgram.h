#pragma once
#include "base/ProgramEnd.h"

namespace tw {

// The user closed one of the windows: every window goes at once and the
// program ends.
void closeProgram(ProgramEnd& end);

}
