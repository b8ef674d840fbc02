#include "tables/DropTables.h"
#include "connect/Recordset.h"
#include "base/ErrorReport.h"

namespace tw {

namespace {

// Where the two drops differ beyond their side: the procedure the error box
// names and the line numbers of its steps.
struct DropForm {
    const TableSide& side;
    QString procedure;
    struct {
        int noCurrent, walk, selected, execute, remove, noCurrentMessage, arrow;
    } line;
};

void dropTables(const DropForm& form, TableManagerUi& ui) {
    Guard guard(ui.prompts, locationText(QStringLiteral("Form2"), form.procedure));
    const auto& line = form.line;
    TableList& list = form.side.list(ui);
    // Without a connection there is nothing to drop: one box for the open is enough.
    if (std::optional<Connection> connection = openSideConnection(guard, form.side, ui)) {
        if (guard.test(line.noCurrent, [&] { return list.nothingChosen(); })) {
            guard.step(line.noCurrentMessage, [&] { ui.prompts.MsgBox(QStringLiteral("Please select a table")); });
        } else {
            int count = 0;
            guard.step(line.walk, [&] { count = list.ListCount(); });
            // From the bottom, so removing an entry never moves one still to be visited.
            for (int i = count - 1; i >= 0; --i) {
                if (!guard.test(line.selected, [&] { return list.Selected(i); }))
                    continue;
                // The list only loses a table the database has dropped.
                if (guard.step(line.execute, [&] { connection->Execute(dropStatement(form.side, list.List(i)), &ui.yield); }))
                    guard.step(line.remove, [&] { list.RemoveItem(i); });
            }
        }
    }
    guard.step(line.arrow, [&] { ui.pointer.setMousePointer(PointerCode::Arrow); });
}

}

QString dropStatement(const TableSide& side, const QString& table) {
    return QStringLiteral("DROP TABLE ") + quotedName(side, table);
}

void PushButton1_Click(TableManagerUi& ui) {
    static const DropForm form{mysqlTableSide(), QStringLiteral("PushButton1_Click"),
                               {.noCurrent = 106, .walk = 108, .selected = 110, .execute = 112, .remove = 114,
                                .noCurrentMessage = 118, .arrow = 120}};
    dropTables(form, ui);
}

void PushButton5_Click(TableManagerUi& ui) {
    static const DropForm form{sybaseTableSide(), QStringLiteral("PushButton5_Click"),
                               {.noCurrent = 108, .walk = 110, .selected = 112, .execute = 114, .remove = 116,
                                .noCurrentMessage = 120, .arrow = 122}};
    dropTables(form, ui);
}

}
