#pragma once

namespace tw {

// Ending the program when the user closes one of its windows: every window
// goes at once and the event loop stops. An operation still running stops
// at its next yield, which then throws ProgramEnding.
class ProgramEnd {
public:
    void request();
    bool requested() const { return m_requested; }

private:
    bool m_requested = false;
};

}
