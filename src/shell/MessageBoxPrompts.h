#pragma once
#include "base/Prompts.h"
#include <QMessageBox>
#include <memory>

namespace tw {

// The boxes as the user sees them: the program's texts break lines with
// carriage returns, and a box given no title shows the application title.
QString screenText(const QString& text);
QString boxTitle(const QString& title);

// What a message box style asks for: its buttons and its icon.
struct MsgBoxLook {
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon;
};
MsgBoxLook msgBoxLook(int style);
int msgAnswer(QMessageBox::StandardButton button);

// The box MsgBox shows, over the active window, not yet shown.
std::unique_ptr<QMessageBox> messageBox(const QString& text, int style, const QString& title);

// Modal Qt message boxes and input boxes over the active window.
class MessageBoxPrompts : public Prompts {
public:
    int MsgBox(const QString& text, int style = MsgStyle::OkOnly, const QString& title = {}) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
};

}
