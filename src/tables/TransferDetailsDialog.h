#pragma once
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace tw {

// The account of a transfer as plain text, every table listed; Copy (or
// Ctrl+C with nothing selected) puts all of it on the clipboard, ready to
// paste into a ticket.
class TransferDetailsDialog : public QDialog {
    Q_OBJECT
public:
    TransferDetailsDialog(const QString& details, QWidget* parent);
    void copyAll();

    QPlainTextEdit* Text;
    QPushButton* CopyButton;
};

}
