#pragma once
#include <QObject>

class QWidget;

namespace tw {

class MousePointer;

// The pointer handlers of a window: moving over a push button shows the
// hand, moving over the window's background or one of the listed controls
// shows the arrow, and neither touches the hourglass. The pointer stays as
// it is over every other control, so moving from a button onto a label
// keeps the hand.
class HoverPointer : public QObject {
public:
    HoverPointer(MousePointer& pointer, QObject* parent);

    void handOver(QWidget* control);
    void arrowOver(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* control);
    MousePointer& m_pointer;
};

// The two handlers themselves.
void showHand(MousePointer& pointer);
void showArrow(MousePointer& pointer);

}
