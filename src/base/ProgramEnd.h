#pragma once
#include <atomic>

namespace tw {

// Ending the program when the user closes one of its windows: the event
// loop stops. An operation still running stops at its next yield, which
// then throws ProgramEnding.
class ProgramEnd {
public:
    void request();
    bool requested() const { return m_requested.load(std::memory_order_relaxed); }  // from any thread

private:
    std::atomic<bool> m_requested{false};
};

}
