#pragma once
#include "shell/MousePointer.h"
#include <QCursor>
#include <optional>

class QWidget;

namespace tw {

// A window's mouse pointer: the arrow, the hourglass or the window's custom
// pointer (the hand), shown over the window and all its controls. Text
// boxes show their text cursor only while the pointer is the arrow.
class WindowPointer : public MousePointer {
public:
    explicit WindowPointer(QWidget& window) : m_window(window) {}

    int mousePointer() const override { return m_code; }
    void setMousePointer(int code) override;

    // The custom-pointer slot that pointer 99 shows; while it is empty, 99
    // shows the arrow.
    void setMouseIcon(const QCursor& icon);
    bool hasMouseIcon() const { return m_icon.has_value(); }

private:
    QCursor cursorFor(int code) const;
    QWidget& m_window;
    int m_code = PointerCode::Arrow;
    std::optional<QCursor> m_icon;
};

}
