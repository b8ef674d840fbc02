#include "connect/Catalogue.h"
#include "connect/Connection.h"
#include "connect/FailureReason.h"
#include "connect/Recordset.h"

namespace tw {

namespace {
const QString odbcProvider = QStringLiteral("MSDASQL");

// The checks answer one question: does the connection open. Every failure
// of the open means it does not.
bool opens(const QString& provider, QString (*connectString)(const ProfileFields&), const ProfileFields& profile,
           bool mysqlSide, QString* reason, Yield* yield) {
    Connection connection;
    try {
        connection.Provider = provider;
        connection.Open(connectString(profile), yield);
        if (reason)
            reason->clear();
        return true;
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& e) {
        if (reason)
            *reason = connectionFailureReason(e, mysqlSide);
        return false;
    }
}
}

bool MySQLConnects(const ProfileFields& profile, QString* reason, Yield* whileWaiting) {
    return opens({}, MySQLConnectString, profile, true, reason, whileWaiting);
}

bool SybaseConnects(const ProfileFields& profile, QString* reason, Yield* whileWaiting) {
    return opens(odbcProvider, SybaseConnectString, profile, false, reason, whileWaiting);
}

QStringList MySQLTableNames(const ProfileFields& profile, Yield& yield) {
    Connection connection;
    connection.CursorLocation = CursorLocationCode::Client;  // RecordCount bounds the loop
    connection.Open(MySQLConnectString(profile), &yield);
    Recordset tables = connection.Execute(QStringLiteral("SHOW TABLES;"), &yield);
    QStringList names;
    const long long count = tables.RecordCount();
    for (long long row = 1; row <= count; ++row) {
        yield.DoEvents();
        names << tables.Fields(0).Value.toText();
        tables.MoveNext();
    }
    tables.Close();
    return names;
}

QStringList SybaseTableNames(const ProfileFields& profile, Yield& yield) {
    Connection connection;
    connection.Provider = odbcProvider;
    connection.Open(SybaseConnectString(profile), &yield);
    Recordset tables = connection.OpenSchema(adSchemaTables);
    QStringList names;
    while (!tables.isEOF()) {
        // Only user tables: the type exactly "TABLE" (no views, no system
        // tables), and no name that holds "SYS" in any case.
        if (tables.Fields(QStringLiteral("TABLE_TYPE")).Value.toText() == QStringLiteral("TABLE")) {
            yield.DoEvents();
            const QString name = tables.Fields(QStringLiteral("TABLE_NAME")).Value.toText();
            if (!name.toUpper().contains(QStringLiteral("SYS")))
                names << name;
        }
        tables.MoveNext();
    }
    tables.Close();
    connection.Close();
    return names;
}

}
