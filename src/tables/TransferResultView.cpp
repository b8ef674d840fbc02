#include "tables/TransferResultView.h"
#include "tables/TransferDetailsDialog.h"
#include "shell/WindowLook.h"
#include <QLabel>
#include <QPushButton>

namespace tw {

TransferResultView::TransferResultView(QWidget* parent) : QWidget(parent) {
    Line = new QLabel(this);
    Line->setTextFormat(Qt::PlainText);
    Line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    placeInTwips(*Line, 0, 0, 5040, 360);
    ResumeButton = new QPushButton(QStringLiteral("Resume"), this);
    ResumeButton->setFont(buttonFont());
    ResumeButton->setToolTip(QStringLiteral("Copy the rest of the last transfer that ended early"));
    placeInTwips(*ResumeButton, 5160, 0, 1080, 360);
    ResumeButton->setEnabled(false);
    DetailsButton = new QPushButton(QStringLiteral("Details…"), this);
    DetailsButton->setFont(buttonFont());
    placeInTwips(*DetailsButton, 6300, 0, 1500, 360);
    DetailsButton->setEnabled(false);
    connect(DetailsButton, &QPushButton::clicked, this, &TransferResultView::showDetails);
}

void TransferResultView::showAccount(const TransferAccount& account) {
    m_account = account;
    Line->setText(account.summary());
    Line->setToolTip(account.summary());
    DetailsButton->setEnabled(true);
}

void TransferResultView::progress(const TableProgress& progress) {
    if (!m_account)  // the account, once shown, stays
        Line->setText(progress.text());
}

void TransferResultView::setIdleText(const QString& text) {
    m_idle = text;
    if (!m_account)
        Line->setText(text);
}

void TransferResultView::clear() {
    m_stop = false;
    m_account.reset();
    Line->setText(m_idle);
    Line->setToolTip({});
    DetailsButton->setEnabled(false);
}

void TransferResultView::showDetails() {
    if (m_account)
        TransferDetailsDialog(m_account->details(), window()).exec();
}

}
