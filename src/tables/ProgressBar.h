#pragma once

namespace tw {

// A bar with a position from 0 to 100.
class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual int value() const = 0;
    virtual void setValue(int value) = 0;
};

}
