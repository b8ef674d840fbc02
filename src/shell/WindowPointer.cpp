#include "shell/WindowPointer.h"
#include <QLineEdit>
#include <QWidget>

namespace tw {

QCursor WindowPointer::cursorFor(int code) const {
    switch (code) {
    case PointerCode::Hourglass: return Qt::WaitCursor;
    case PointerCode::Hand: return m_icon.value_or(QCursor(Qt::ArrowCursor));
    default: return Qt::ArrowCursor;
    }
}

void WindowPointer::setMousePointer(int code) {
    m_code = code;
    const QCursor cursor = cursorFor(code);
    m_window.setCursor(cursor);
    for (QLineEdit* text : m_window.findChildren<QLineEdit*>())
        text->setCursor(code == PointerCode::Arrow ? QCursor(Qt::IBeamCursor) : cursor);
}

void WindowPointer::setMouseIcon(const QCursor& icon) {
    m_icon = icon;
    if (m_code == PointerCode::Hand)
        setMousePointer(m_code);
}

}
