#pragma once
#include "connect/ConnectionProfile.h"
#include "base/Yield.h"
#include <QStringList>

namespace tw {

// Whether the profile reaches each database. A connection that cannot be
// opened gives false, never an error; reason then says why, in the driver's
// words. whileWaiting runs while the open waits, and may end it.
bool MySQLConnects(const ProfileFields& profile, QString* reason = nullptr, Yield* whileWaiting = nullptr);
bool SybaseConnects(const ProfileFields& profile, QString* reason = nullptr, Yield* whileWaiting = nullptr);

// The user tables of each database, in the catalogue's order. Failures
// propagate to the caller.
QStringList MySQLTableNames(const ProfileFields& profile, Yield& yield);
QStringList SybaseTableNames(const ProfileFields& profile, Yield& yield);

}
