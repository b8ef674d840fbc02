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

// Raised from a yield when the running operation must not go on. Guards let
// it pass, and no step reports it.
class Interrupted : public std::exception {};

// The user closed a window: the running operation stops at once and sends
// nothing more.
class ProgramEnding : public Interrupted {
public:
    const char* what() const noexcept override { return "the program is ending"; }
};

// The user stopped a transfer: it ends as after its last table, keeping
// what it sent.
class StopRequested : public Interrupted {
public:
    const char* what() const noexcept override { return "the transfer was stopped"; }
};

}
