#include "connect/DriverRegistry.h"
#include "connect/OdbcHandle.h"
#include <QDir>

namespace tw {

namespace {
struct RegisteredDriver {
    QString name;
    QString library;
};

// Every driver odbcinst.ini registers, with its "Driver=" library.
std::vector<RegisteredDriver> registeredDrivers() {
    std::vector<RegisteredDriver> drivers;
    SQLWCHAR name[512];
    SQLWCHAR attributes[4096];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDriversW(odbcEnvironment(), direction, name, SQLSMALLINT(std::size(name)), &nameLength,
                                     attributes, SQLSMALLINT(std::size(attributes)), &attributesLength))) {
        direction = SQL_FETCH_NEXT;
        RegisteredDriver driver{fromWide(name, std::min<qsizetype>(nameLength, std::size(name) - 1)), {}};
        // Attributes are "key=value" pieces, each ended by a NUL, the list by a second one.
        for (const SQLWCHAR* p = attributes; *p;) {
            const QString pair = QString::fromUtf16(reinterpret_cast<const char16_t*>(p));
            if (pair.startsWith(QLatin1String("Driver="), Qt::CaseInsensitive))
                driver.library = pair.mid(7);
            p += pair.size() + 1;
        }
        drivers.push_back(driver);
    }
    return drivers;
}

bool isMySqlDriver(const QString& text) {
    return text.contains(QLatin1String("maodbc"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("myodbc"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("MariaDB"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("MySQL"), Qt::CaseInsensitive);
}
}

bool odbcDriverRegistered(const QString& name) {
    for (const RegisteredDriver& d : registeredDrivers())
        if (d.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString registeredDriverLibrary(const QString& name) {
    for (const RegisteredDriver& d : registeredDrivers())
        if (d.name.compare(name, Qt::CaseInsensitive) == 0)
            return d.library;
    return {};
}

QString installedMySqlDriverLibrary() {
    for (const RegisteredDriver& d : registeredDrivers())
        if (!d.library.isEmpty() && (isMySqlDriver(d.name) || isMySqlDriver(d.library)))
            return d.library;
    // Installed but not registered under any name: the Debian packages' places.
    for (const QString& folder : {QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"), QStringLiteral("/usr/lib/odbc"),
                                  QStringLiteral("/usr/local/lib")}) {
        const QStringList found = QDir(folder).entryList({QStringLiteral("libmaodbc.so"), QStringLiteral("libmyodbc*.so")},
                                                         QDir::Files, QDir::Name);
        if (!found.isEmpty())
            return QDir(folder).filePath(found.first());
    }
    return {};
}

}
