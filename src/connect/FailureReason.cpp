#include "connect/FailureReason.h"
#include "connect/DbError.h"
#include "connect/DriverRegistry.h"

namespace tw {

QString mysqlDriverRegistrationCommand(const QString& driverLibrary) {
    return QStringLiteral("printf '[%1]\\nDriver=%2\\n' | sudo odbcinst -i -d -r").arg(mysqlDriverName, driverLibrary);
}

QString connectionFailureReason(const std::exception& failure, bool mysqlSide) {
    const auto* db = dynamic_cast<const DbError*>(&failure);
    if (db && db->records().empty())  // the program's own reason, given before any driver was asked
        return db->message();
    if (mysqlSide && !odbcDriverRegistered(mysqlDriverName)) {
        const QString library = installedMySqlDriverLibrary();
        const QString missing = QStringLiteral("No ODBC driver is registered under the name \"%1\". ").arg(mysqlDriverName);
        if (library.isEmpty())
            return missing + QStringLiteral("Install the MariaDB ODBC driver (apt-get install odbc-mariadb), then "
                                            "register it with: ") +
                   mysqlDriverRegistrationCommand(QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"));
        return missing + QStringLiteral("Register the installed driver under that name with: ") +
               mysqlDriverRegistrationCommand(library);
    }
    if (db)
        return db->message();
    return QString::fromUtf8(failure.what());
}

}
