#pragma once
#include "base/Yield.h"
#include <QList>
#include <QPointer>
#include <QWidget>

namespace tw {

// While one of a window's operations runs, its lists and buttons are
// disabled: no second operation can start inside the first one's yields,
// and the selection it walks cannot change. The window still repaints.
// Afterwards they are enabled again and the focus goes back where it was.
class BusyControls {
public:
    explicit BusyControls(const QList<QWidget*>& controls);
    ~BusyControls();
    BusyControls(const BusyControls&) = delete;
    BusyControls& operator=(const BusyControls&) = delete;

private:
    QList<QPointer<QWidget>> m_controls;
    QPointer<QWidget> m_focus;
};

// Runs one of a window's operations with its lists and buttons disabled.
// When the user closes the program meanwhile, the operation has stopped at
// its next yield and nothing more is to be done.
template <typename Operation>
void runOperation(const QList<QWidget*>& controls, Operation&& operation) {
    BusyControls busy(controls);
    try {
        operation();
    } catch (const Interrupted&) {
    }
}

}
