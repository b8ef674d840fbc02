#pragma once
#include <stdexcept>

namespace tw {

// Lets the event loop run during long work. Must be nearly free when nothing
// is pending, since transfers call it once per value.
class Yield {
public:
    virtual ~Yield() = default;
    // Throws ProgramEnding when the user closed the program meanwhile.
    virtual void DoEvents() = 0;
};

// Raised from a yield after the user closed a window: the running operation
// must stop at once and send nothing more. Guards let it pass.
class ProgramEnding : public std::exception {
public:
    const char* what() const noexcept override { return "the program is ending"; }
};

}
