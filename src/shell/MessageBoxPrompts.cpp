#include "shell/MessageBoxPrompts.h"
#include "shell/AppTitle.h"
#include <QApplication>
#include <QInputDialog>
#include <QLabel>

namespace tw {

QString screenText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

QString boxTitle(const QString& title) { return title.isEmpty() ? applicationTitle() : title; }

MsgBoxLook msgBoxLook(int style) {
    MsgBoxLook look{QMessageBox::Ok, QMessageBox::NoIcon};
    if ((style & 7) == MsgStyle::YesNo)
        look.buttons = QMessageBox::Yes | QMessageBox::No;
    if ((style & 7) == MsgStyle::YesNoCancel)
        look.buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    switch (style & 0x70) {
    case 16: look.icon = QMessageBox::Critical; break;
    case 32: look.icon = QMessageBox::Question; break;
    case MsgStyle::Exclamation: look.icon = QMessageBox::Warning; break;
    case 64: look.icon = QMessageBox::Information; break;
    }
    return look;
}

int msgAnswer(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: return MsgAnswer::Ok;
    }
}

std::unique_ptr<QMessageBox> messageBox(const QString& text, int style, const QString& title) {
    const MsgBoxLook look = msgBoxLook(style);
    auto box = std::make_unique<QMessageBox>(look.icon, boxTitle(title), screenText(text), look.buttons,
                                             QApplication::activeWindow());
    // Table names and driver messages are shown as they are, never as markup.
    box->setTextFormat(Qt::PlainText);
    return box;
}

int MessageBoxPrompts::MsgBox(const QString& text, int style, const QString& title) {
    const std::unique_ptr<QMessageBox> box = messageBox(text, style, title);
    box->exec();
    return msgAnswer(box->standardButton(box->clickedButton()));
}

QString MessageBoxPrompts::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(boxTitle(title));
    box.setLabelText(screenText(prompt));
    for (QLabel* label : box.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    box.setTextValue(defaultText);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

}
