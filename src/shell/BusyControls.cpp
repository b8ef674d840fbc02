#include "shell/BusyControls.h"
#include <QApplication>

namespace tw {

BusyControls::BusyControls(const QList<QWidget*>& controls) : m_focus(QApplication::focusWidget()) {
    for (QWidget* control : controls) {
        if (control->isEnabled()) {
            m_controls << control;
            control->setEnabled(false);
        }
    }
}

BusyControls::~BusyControls() {
    for (const QPointer<QWidget>& control : m_controls)
        if (control)
            control->setEnabled(true);
    if (m_focus && m_focus->isEnabled() && m_focus->isVisible())
        m_focus->setFocus();
}

}
