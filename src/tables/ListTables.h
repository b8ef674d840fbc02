#pragma once
#include "base/Yield.h"
#include "connect/ConnectionProfile.h"
#include "tables/TableList.h"

namespace tw {

// Fill a table list with the tables of each database. The list is cleared
// only once the catalogue has been read, so a failure leaves it as it was.
// Failures propagate to the caller.
void ListMySQLTables(const ProfileFields& profile, TableList& list, Yield& yield);
void ListSybaseTables(const ProfileFields& profile, TableList& list, Yield& yield);

}
