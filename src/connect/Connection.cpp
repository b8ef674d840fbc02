#include "connect/Connection.h"
#include "connect/DbError.h"
#include "connect/Recordset.h"

namespace tw {

struct Connection::Impl {
    DbcHandle dbc;
    StmtHandle spare;
    bool connected = false;
    bool utf8NarrowText = false;
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

QString driverName(const DbcHandle& dbc) {
    SQLWCHAR name[256] = {};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc.get(), SQL_DRIVER_NAME, name, SQLSMALLINT(sizeof name), &bytes)))
        return {};
    return fromWide(name, std::min<qsizetype>(bytes / qsizetype(sizeof(SQLWCHAR)), std::size(name) - 1));
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
    d->utf8NarrowText = driverName(dbc).startsWith(QLatin1String("libmaodbc"));
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
    d->spare.reset();
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

StmtHandle Connection::takeStatement() {
    StmtHandle stmt = d->spare ? std::move(d->spare) : StmtHandle(dbc());
    if (CommandTimeout >= 0)
        stmt.check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
                                   reinterpret_cast<SQLPOINTER>(SQLULEN(CommandTimeout)), 0));
    return stmt;
}

bool Connection::narrowTextIsUtf8() const { return d->utf8NarrowText; }

void Connection::giveBackStatement(StmtHandle stmt) {
    if (isOpen() && SQL_SUCCEEDED(SQLFreeStmt(stmt.get(), SQL_CLOSE)))
        d->spare = std::move(stmt);
}

}
