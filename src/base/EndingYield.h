#pragma once
#include "base/ProgramEnd.h"
#include "base/Yield.h"

namespace tw {

// The yield of an operation that runs beside the window: the window's
// thread does the repainting, so all it does is stop the operation once the
// program is ending.
class EndingYield : public Yield {
public:
    explicit EndingYield(const ProgramEnd& end) : m_end(end) {}
    void DoEvents() override {
        if (m_end.requested())
            throw ProgramEnding();
    }

private:
    const ProgramEnd& m_end;
};

}
