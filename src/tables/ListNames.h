#pragma once
#include "tables/TableList.h"
#include <QString>
#include <QStringList>

namespace tw {

// Removes every entry that equals the name exactly.
void ListRemove(TableList& list, const QString& name);

// Every entry, in the list's order.
QStringList ListEntries(const TableList& list);

// The selected entries from the bottom of the list up.
QStringList SelectedBottomFirst(const TableList& list);

}
