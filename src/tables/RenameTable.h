#pragma once
#include "tables/TableManagerUi.h"
#include "tables/TableSide.h"
#include <QString>

namespace tw {

// "Rename Table" under each list: asks for a new name for the one selected
// table of that side and renames it in the database and in the list.
void PushButton6_Click(TableManagerUi& ui);  // MySQL, List1
void PushButton7_Click(TableManagerUi& ui);  // Sybase iAnywhere, List2

// The statement that gives a table of a side a new name.
QString renameStatement(const TableSide& side, const QString& oldName, const QString& newName);

}
