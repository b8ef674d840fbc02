#include "tables/RenameTable.h"
#include "connect/Recordset.h"
#include "base/ErrorReport.h"

namespace tw {

namespace {

// Where the two renames differ beyond their side: the procedure the error
// box names and the line numbers of its steps.
struct RenameForm {
    const TableSide& side;
    QString procedure;
    struct {
        int noCurrent, notOne, walk, selected, oldName, ask, execute, remove, add, firstCurrent, notOneMessage,
            noCurrentMessage, arrow;
    } line;
};

void renameSelected(const RenameForm& form, TableManagerUi& ui, TableList& list, Connection& connection,
                    Guard& guard) {
    const auto& line = form.line;
    int count = 0;
    guard.step(line.walk, [&] { count = list.ListCount(); });
    for (int i = count - 1; i >= 0; --i) {
        if (!guard.test(line.selected, [&] { return list.Selected(i); }))
            continue;
        QString oldName;
        QString newName;
        guard.step(line.oldName, [&] { oldName = list.List(i); });
        // An empty title: the box shows the application title.
        guard.step(line.ask, [&] {
            newName = ui.prompts.InputBox(QStringLiteral("Enter new name of ") + oldName + ":", {}, oldName);
        });
        if (newName.isEmpty())
            continue;
        // The list only shows the new name once the database has taken it.
        if (!guard.step(line.execute, [&] { connection.Execute(renameStatement(form.side, oldName, newName), &ui.yield); }))
            continue;
        guard.step(line.remove, [&] { list.RemoveItem(i); });
        guard.step(line.add, [&] { list.AddItem(newName); });
        // Current, not selected: the walk on to index 0 finds nothing more to rename.
        guard.step(line.firstCurrent, [&] {
            if (list.ListCount() > 0)
                list.setListIndex(0);
        });
    }
}

void renameTable(const RenameForm& form, TableManagerUi& ui) {
    Guard guard(ui.prompts, locationText(QStringLiteral("Form2"), form.procedure));
    const auto& line = form.line;
    TableList& list = form.side.list(ui);
    // Without a connection there is nothing to rename: one box for the open is enough.
    if (std::optional<Connection> connection = openSideConnection(guard, form.side, ui)) {
        if (guard.test(line.noCurrent, [&] { return list.nothingChosen(); }))
            guard.step(line.noCurrentMessage,
                       [&] { ui.prompts.MsgBox(QStringLiteral("Please select a table to rename.")); });
        else if (guard.test(line.notOne, [&] { return list.SelCount() != 1; }))
            guard.step(line.notOneMessage,
                       [&] { ui.prompts.MsgBox(QStringLiteral("Please select just one table to rename.")); });
        else
            renameSelected(form, ui, list, *connection, guard);
    }
    guard.step(line.arrow, [&] { ui.pointer.setMousePointer(PointerCode::Arrow); });
}

}

QString renameStatement(const TableSide& side, const QString& oldName, const QString& newName) {
    return side.renameKeyword + quotedName(side, oldName) + side.renameSeparator + quotedName(side, newName) +
           side.renameEnding;
}

void PushButton6_Click(TableManagerUi& ui) {
    static const RenameForm form{mysqlTableSide(), QStringLiteral("PushButton6_Click"),
                                 {.noCurrent = 106, .notOne = 108, .walk = 110, .selected = 112, .oldName = 114,
                                  .ask = 116, .execute = 120, .remove = 122, .add = 124, .firstCurrent = 126,
                                  .notOneMessage = 130, .noCurrentMessage = 132, .arrow = 134}};
    renameTable(form, ui);
}

void PushButton7_Click(TableManagerUi& ui) {
    static const RenameForm form{sybaseTableSide(), QStringLiteral("PushButton7_Click"),
                                 {.noCurrent = 108, .notOne = 110, .walk = 112, .selected = 114, .oldName = 116,
                                  .ask = 118, .execute = 122, .remove = 124, .add = 126, .firstCurrent = 128,
                                  .notOneMessage = 132, .noCurrentMessage = 134, .arrow = 136}};
    renameTable(form, ui);
}

}
