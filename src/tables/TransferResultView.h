#pragma once
#include "tables/TransferPanel.h"
#include <QWidget>
#include <optional>

class QLabel;
class QPushButton;

namespace tw {

// The line under the progress bar that tells what the last transfer did,
// with "Details…" for the account of every table; and the Stop a running
// transfer reads at each yield. The account stays until the next operation.
class TransferResultView : public QWidget, public TransferPanel {
    Q_OBJECT
public:
    explicit TransferResultView(QWidget* parent);

    bool stopRequested() const override { return m_stop; }
    bool fastCopy() const override { return m_fastCopy; }
    void setFastCopy(bool on) { m_fastCopy = on; }
    bool keepStructure() const override { return m_keepStructure; }
    void setKeepStructure(bool on) { m_keepStructure = on; }
    ExistingTable existingTable() const override { return m_existing; }
    void setExistingTable(ExistingTable mode) { m_existing = mode; }
    void showAccount(const TransferAccount& account) override;
    void progress(const TableProgress& progress) override;

    void requestStop() { m_stop = true; }
    // What the line says while it has nothing else to say: which databases
    // the lists are.
    void setIdleText(const QString& text);
    // A new operation begins: the last account goes, and Stop is unpressed.
    void clear();
    const std::optional<TransferAccount>& account() const { return m_account; }
    void showDetails();

    QLabel* Line;
    QPushButton* ResumeButton;  // the window enables it when there is something to resume
    QPushButton* DetailsButton;

private:
    bool m_stop = false;
    bool m_fastCopy = false;
    bool m_keepStructure = false;
    ExistingTable m_existing = ExistingTable::Ask;
    std::optional<TransferAccount> m_account;
    QString m_idle;
};

}
