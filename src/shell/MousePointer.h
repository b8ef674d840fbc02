#pragma once

namespace tw {

namespace PointerCode {
constexpr int Arrow = 0;
constexpr int Hourglass = 11;
constexpr int Hand = 99;
}

// A window's mouse pointer, which doubles as the busy sign.
class MousePointer {
public:
    virtual ~MousePointer() = default;
    virtual int mousePointer() const = 0;
    virtual void setMousePointer(int code) = 0;
};

}
