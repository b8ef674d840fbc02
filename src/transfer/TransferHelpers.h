#pragma once
#include "connect/Value.h"
#include "tables/TableList.h"
#include <QString>

namespace tw {

// True when an entry equals the name without regard to case.
bool ListContains(const TableList& list, const QString& name);

// Removes every entry that equals the name exactly.
void ListRemove(TableList& list, const QString& name);

// The default for Null, otherwise the value itself (an empty string stays
// an empty string).
Value NullTo(const Value& value, const Value& fallback);

}
