#include "connect/Connection.h"
#include "connect/DbError.h"
#include "connect/Recordset.h"

namespace tw {

struct Connection::Impl {
    DbcHandle dbc;
    bool connected = false;
};

namespace {
// ADO's ODBC provider takes "Data Source" as the data source name; driver
// strings are handed to the driver manager unchanged.
QString odbcConnectString(const QString& adoString) {
    static const QString dataSource = QStringLiteral("Data Source=");
    if (adoString.startsWith(dataSource, Qt::CaseInsensitive))
        return QStringLiteral("DSN=") + adoString.mid(dataSource.size());
    return adoString;
}
}

Connection::Connection() : d(std::make_unique<Impl>()) {}
Connection::~Connection() { Close(); }
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

void Connection::Open(const QString& connectionString) {
    if (!Provider.isEmpty() && Provider.compare(u"MSDASQL", Qt::CaseInsensitive) != 0)
        throw DbError(QStringLiteral("Provider cannot be found. It may not be properly installed."));
    if (isOpen())
        throw DbError(QStringLiteral("Operation is not allowed when the object is open."));
    DbcHandle dbc(odbcEnvironment());
    if (ConnectionTimeout > 0)
        dbc.check(SQLSetConnectAttrW(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                     reinterpret_cast<SQLPOINTER>(SQLULEN(ConnectionTimeout)), 0));
    const QString odbc = odbcConnectString(connectionString);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    dbc.check(SQLDriverConnectW(dbc.get(), nullptr, const_cast<SQLWCHAR*>(wide(odbc)), SQLSMALLINT(odbc.size()),
                                out, SQLSMALLINT(std::size(out)), &outLength, SQL_DRIVER_NOPROMPT));
    d->dbc = std::move(dbc);
    d->connected = true;
}

Recordset Connection::Execute(const QString& sql) {
    Recordset rs;
    rs.Open(sql, *this);
    return rs;
}

Recordset Connection::OpenSchema(int schema) {
    if (schema != adSchemaTables)
        throw DbError(QStringLiteral("Object or provider is not capable of performing requested operation."));
    Recordset rs;
    rs.openTables(*this);
    return rs;
}

void Connection::Close() {
    if (!d || !d->connected)
        return;
    SQLDisconnect(d->dbc.get());
    d->dbc.reset();
    d->connected = false;
}

bool Connection::isOpen() const { return d && d->connected; }

SQLHDBC Connection::dbc() const {
    if (!isOpen())
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    return d->dbc.get();
}

}
