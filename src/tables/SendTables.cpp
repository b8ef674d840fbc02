#include "tables/SendTables.h"
#include "tables/ListNames.h"
#include "transfer/ResumeState.h"

namespace tw {

namespace {

TableList& sourceList(const TransferDirection& direction, TableManagerUi& ui) {
    return &direction == &toIAnywhere() ? ui.List1 : ui.List2;
}

TableList& targetList(const TransferDirection& direction, TableManagerUi& ui) {
    return &direction == &toIAnywhere() ? ui.List2 : ui.List1;
}

// The window's side of a transfer: a table that arrives or goes changes
// the target's list, and the account goes under the bar.
class WindowTransferEvents : public TransferEvents {
public:
    WindowTransferEvents(TableManagerUi& ui, TableList& target) : ui(ui), m_target(target) {}
    Prompts& prompts() override { return ui.prompts; }
    Yield& yield() override { return ui.yield; }
    bool stopRequested() const override { return ui.transfer.stopRequested(); }
    void busy(bool working) override {
        ui.pointer.setMousePointer(working ? PointerCode::Hourglass : PointerCode::Arrow);
    }
    void barAt(int percent) override { ui.ProgressBar1.setValue(percent); }
    void progress(const TableProgress& progress) override { ui.transfer.progress(progress); }
    void tableListed(const QString& name) override { m_target.AddItem(name); }
    void tableUnlisted(const QString& name) override { ListRemove(m_target, name); }
    void transferEnded(const TransferAccount& account) override { ui.transfer.showAccount(account); }

private:
    TableManagerUi& ui;
    TableList& m_target;
};

}

void transferTables(const TransferDirection& direction, TableManagerUi& ui, StatementObserver* observer) {
    TableList& source = sourceList(direction, ui);
    TableList& target = targetList(direction, ui);
    const TransferRequest request{.direction = direction,
                                  .profile = ProfileCopy(ui.profile),
                                  .tables = SelectedBottomFirst(source),
                                  .targetTables = ListEntries(target),
                                  .options = {.fastCopy = ui.transfer.fastCopy(),
                                              .verifies = ui.transfer.verifies(),
                                              .existing = ui.transfer.existingTable(),
                                              .where = {},
                                              .parameterArrays = ui.transfer.parameterArrays(),
                                              .keepStructure = ui.transfer.keepStructure()},
                                  .nothingChosen = source.nothingChosen(),
                                  .entriesLookedAt = source.ListCount(),
                                  .resuming = {}};
    WindowTransferEvents events(ui, target);
    transferTables(request, events, observer);
}

void resumeTransfer(TableManagerUi& ui, StatementObserver* observer) {
    std::optional<ResumeState> state;
    try {
        state = ResumeState::loadFor(ui.profile);
    } catch (const std::exception& e) {
        ui.prompts.MsgBox(QString::fromUtf8(e.what()), MsgStyle::Exclamation);
        return;
    }
    if (!state) {
        ui.prompts.MsgBox(QStringLiteral("No transfer on these connections is left to resume."));
        return;
    }
    const TransferRequest request = state->request(ui.profile);
    WindowTransferEvents events(ui, targetList(request.direction, ui));
    transferTables(request, events, observer);
}

void PushButton3_Click(TableManagerUi& ui) { transferTables(toIAnywhere(), ui); }

void PushButton4_Click(TableManagerUi& ui) { transferTables(toMySql(), ui); }

}
