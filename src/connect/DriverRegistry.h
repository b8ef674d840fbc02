#pragma once
#include <QString>

namespace tw {

// What odbcinst.ini registers. Whether ODBC knows a driver by this name, the
// library registered for it (empty when none), and the library of an
// installed MariaDB or MySQL driver (empty when there is none).
bool odbcDriverRegistered(const QString& name);
QString registeredDriverLibrary(const QString& name);
QString installedMySqlDriverLibrary();

}
