#pragma once
#include "connect/ConnectionProfile.h"
#include "shell/Yield.h"
#include "tables/TableList.h"

namespace tw {

// Whether the profile reaches each database. A connection that cannot be
// opened gives false, never an error; reason then says why, in the driver's
// words. whileWaiting runs while the open waits, and may end it.
bool MySQLConnects(const ProfileFields& profile, QString* reason = nullptr, Yield* whileWaiting = nullptr);
bool SybaseConnects(const ProfileFields& profile, QString* reason = nullptr, Yield* whileWaiting = nullptr);

// Fill a table list with the tables of each database. The list is cleared
// only once the catalogue query has returned, so a failure before that
// leaves it as it was. Failures propagate to the caller.
void ListMySQLTables(const ProfileFields& profile, TableList& list, Yield& yield);
void ListSybaseTables(const ProfileFields& profile, TableList& list, Yield& yield);

}
