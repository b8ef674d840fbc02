#pragma once
#include <QString>
#include <exception>

namespace tw {

// The driver name the MySQL connection string asks for.
inline const QString mysqlDriverName = QStringLiteral("MySQL ODBC 5.1 Driver");

// Why a connection could not be made, in the driver's own words. When the
// MySQL driver name is not registered with ODBC, it says so and gives the
// one command that registers the installed MariaDB or MySQL driver under it.
QString connectionFailureReason(const std::exception& failure, bool mysqlSide);

// The command that registers a driver library under the MySQL driver name.
QString mysqlDriverRegistrationCommand(const QString& driverLibrary);

}
