#include "tables/TransferDetailsDialog.h"
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tw {

TransferDetailsDialog::TransferDetailsDialog(const QString& details, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Transfer details"));
    Text = new QPlainTextEdit(details, this);
    Text->setReadOnly(true);
    Text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text->setFocusPolicy(Qt::NoFocus);  // Ctrl+C always reaches the dialog's own shortcut
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    CopyButton = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
    connect(CopyButton, &QPushButton::clicked, this, &TransferDetailsDialog::copyAll);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Ctrl+C copies a selection as usual, and everything when nothing is selected.
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    copy->setContext(Qt::WindowShortcut);
    connect(copy, &QShortcut::activated, this, [this] {
        if (Text->textCursor().hasSelection())
            Text->copy();
        else
            copyAll();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text);
    layout->addWidget(buttons);
    resize(640, 360);
}

void TransferDetailsDialog::copyAll() { QApplication::clipboard()->setText(Text->toPlainText()); }

}
