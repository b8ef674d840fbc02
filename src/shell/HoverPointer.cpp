#include "shell/HoverPointer.h"
#include "shell/MousePointer.h"
#include <QAbstractScrollArea>
#include <QEvent>
#include <QWidget>

namespace tw {

namespace {
const char* const handlerProperty = "twHoverPointer";
enum Handler { Hand = 1, Arrow = 2 };
}

void showHand(MousePointer& pointer) {
    if (pointer.mousePointer() != PointerCode::Hourglass)
        pointer.setMousePointer(PointerCode::Hand);
}

void showArrow(MousePointer& pointer) {
    if (pointer.mousePointer() != PointerCode::Hourglass)
        pointer.setMousePointer(PointerCode::Arrow);
}

HoverPointer::HoverPointer(MousePointer& pointer, QObject* parent) : QObject(parent), m_pointer(pointer) {}

void HoverPointer::handOver(QWidget* control) {
    control->setProperty(handlerProperty, Hand);
    watch(control);
}

void HoverPointer::arrowOver(QWidget* control) {
    control->setProperty(handlerProperty, Arrow);
    watch(control);
    // A list's entries are drawn on its viewport, which gets the movements.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        area->viewport()->setProperty(handlerProperty, Arrow);
        watch(area->viewport());
    }
}

// A movement is handled by the control under the pointer alone: it must not
// travel on to the frame or window behind it and set the pointer again.
void HoverPointer::watch(QWidget* control) {
    control->setMouseTracking(true);
    control->setAttribute(Qt::WA_NoMousePropagation);
    control->installEventFilter(this);
}

bool HoverPointer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const int handler = watched->property(handlerProperty).toInt();
        if (handler == Hand)
            showHand(m_pointer);
        else if (handler == Arrow)
            showArrow(m_pointer);
    }
    return false;
}

}
