#pragma once
#include "tables/TableManagerUi.h"
#include "tables/TableSide.h"
#include <QString>

namespace tw {

// "Delete Table/s" under each list: drops every selected table of that side,
// bottom entry first, and takes each dropped name out of the list.
void PushButton1_Click(TableManagerUi& ui);  // MySQL, List1
void PushButton5_Click(TableManagerUi& ui);  // Sybase iAnywhere, List2

// The statement that drops one table of a side.
QString dropStatement(const TableSide& side, const QString& table);

}
