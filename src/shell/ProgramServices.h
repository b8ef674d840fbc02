#pragma once
#include <QString>

namespace tw {

class Prompts;
class Yield;
class ProgramEnd;

// What the windows take from the running program. Tests give scripted
// prompts and a yield of their own.
struct ProgramServices {
    Prompts& prompts;
    Yield& yield;
    ProgramEnd& end;
    QString programFolder;  // where the optional files beside the program are
};

}
