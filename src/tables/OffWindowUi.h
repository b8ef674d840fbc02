#pragma once
#include "tables/TableManagerUi.h"
#include <memory>

namespace tw {

class ProgramEnd;

// The table manager as an operation on its own thread sees it: every call
// that reads or changes the window is done on the window's thread. Lists,
// prompts and fields wait for the window's answer; the bar and the pointer
// are posted and not waited for; Stop is read from a flag that tick()
// copies from the window; the yield only looks whether the program is
// ending. Made on the window's thread.
class OffWindowUi {
public:
    OffWindowUi(const TableManagerUi& window, const ProgramEnd& end);
    ~OffWindowUi();
    OffWindowUi(const OffWindowUi&) = delete;
    OffWindowUi& operator=(const OffWindowUi&) = delete;

    TableManagerUi ui();  // for the operation's thread
    void tick();          // on the window's thread, while the operation runs

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}
