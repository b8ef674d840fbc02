#pragma once
#include "connect/ConnectionProfile.h"
#include "shell/Yield.h"
#include "tables/TableList.h"

namespace tw {

// Whether the profile reaches each database. A connection that cannot be
// opened gives false, never an error.
bool MySQLConnects(const ProfileFields& profile);
bool SybaseConnects(const ProfileFields& profile);

// Fill a table list with the tables of each database. The list is cleared
// only once the catalogue query has returned, so a failure before that
// leaves it as it was. Failures propagate to the caller.
void ListMySQLTables(const ProfileFields& profile, TableList& list, Yield& yield);
void ListSybaseTables(const ProfileFields& profile, TableList& list, Yield& yield);

}
