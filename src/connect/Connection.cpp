#include "connect/Connection.h"
#include "connect/BoundedWait.h"
#include "connect/ConnectionString.h"
#include "connect/DbError.h"
#include "connect/DriverRegistry.h"
#include "connect/Recordset.h"

namespace tw {

namespace {
// The driver's side of a connection. A call that was given up holds it until
// the driver returns, so the handles are never freed under a running call.
struct DriverSession {
    DbcHandle dbc;
    StmtHandle spare;
    int spareTimeout = -1;  // the command timeout the spare handle has
    bool connected = false;
    ~DriverSession() {
        spare.reset();
        if (connected)
            SQLDisconnect(dbc.get());
    }
};
}

struct Connection::Impl {
    std::shared_ptr<DriverSession> session;
    bool utf8NarrowText = false;
    SQLUINTEGER getDataExtensions = 0;
    QString description;
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

QString describeServer(const QString& odbc) {
    const QString dsn = connectionStringAttribute(odbc, QStringLiteral("DSN"));
    if (!dsn.isNull())
        return QStringLiteral("The data source ") + dsn;
    const QString driver = connectionStringAttribute(odbc, QStringLiteral("DRIVER"));
    const bool mysql = driver.contains(QLatin1String("MySQL"), Qt::CaseInsensitive) ||
                       driver.contains(QLatin1String("MariaDB"), Qt::CaseInsensitive);
    QString port = connectionStringAttribute(odbc, QStringLiteral("PORT"));
    if (port.isEmpty() && mysql)
        port = QStringLiteral("3306");
    const QString server = connectionStringAttribute(odbc, QStringLiteral("SERVER"));
    return (mysql ? QStringLiteral("The MySQL server at ") : QStringLiteral("The server at ")) + server +
           (port.isEmpty() ? QString() : u':' + port);
}

// MariaDB Connector/ODBC ignores the statement timeout (it answers 0 for
// it) and waits for ever on a server that stops answering; its own socket
// timeouts, given in the connection string, end such a wait with an error.
// Only for that driver: others are given the string as it stands.
QString withDriverTimeouts(const QString& odbc, int seconds) {
    const QString driver = connectionStringAttribute(odbc, QStringLiteral("DRIVER"));
    if (seconds <= 0 || driver.isEmpty() || !registeredDriverLibrary(driver).contains(QLatin1String("maodbc")))
        return odbc;
    const QString timeouts = QStringLiteral("READ_TIMEOUT=%1;WRITE_TIMEOUT=%1;").arg(seconds);
    return odbc.endsWith(u';') ? odbc + timeouts : odbc + u';' + timeouts;
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

void Connection::Open(const QString& connectionString, Yield* whileWaiting) {
    if (!Provider.isEmpty() && Provider.compare(u"MSDASQL", Qt::CaseInsensitive) != 0)
        throw DbError(QStringLiteral("Provider cannot be found. It may not be properly installed."));
    if (isOpen())
        throw DbError(QStringLiteral("Operation is not allowed when the object is open."));
    auto session = std::make_shared<DriverSession>();
    session->dbc = DbcHandle(odbcEnvironment());
    if (ConnectionTimeout > 0)
        session->dbc.check(SQLSetConnectAttrW(session->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                              reinterpret_cast<SQLPOINTER>(SQLULEN(ConnectionTimeout)), 0));
    const QString odbc = withDriverTimeouts(odbcConnectString(connectionString), CommandTimeout);
    const QString description = describeServer(odbc);
    auto utf8 = std::make_shared<bool>(false);
    auto getData = std::make_shared<SQLUINTEGER>(0);
    waitBounded({[session, odbc, utf8, getData] {
                     SQLWCHAR out[1024];
                     SQLSMALLINT outLength = 0;
                     session->dbc.check(SQLDriverConnectW(session->dbc.get(), nullptr, const_cast<SQLWCHAR*>(wide(odbc)),
                                                          SQL_NTS, out, SQLSMALLINT(std::size(out)), &outLength,
                                                          SQL_DRIVER_NOPROMPT));
                     session->connected = true;
                     *utf8 = driverName(session->dbc).startsWith(QLatin1String("libmaodbc"));
                     if (!SQL_SUCCEEDED(SQLGetInfoW(session->dbc.get(), SQL_GETDATA_EXTENSIONS, getData.get(),
                                                    sizeof(SQLUINTEGER), nullptr)))
                         *getData = 0;
                 },
                 ConnectionTimeout, whileWaiting, didNotAnswer(description, ConnectionTimeout), {}});
    d->utf8NarrowText = *utf8;
    d->getDataExtensions = *getData;
    d->description = description;
    d->session = std::move(session);
}

Recordset Connection::Execute(const QString& sql, Yield* whileWaiting) {
    Recordset rs;
    rs.Open(sql, *this, -1, -1, whileWaiting);
    return rs;
}

Recordset Connection::OpenSchema(int schema, const QString& table) {
    Recordset rs;
    if (schema == adSchemaTables)
        rs.openTables(*this);
    else if (schema == adSchemaPrimaryKeys)
        rs.openPrimaryKeys(*this, table);
    else if (schema == adSchemaColumns || schema == adSchemaIndexes || schema == adSchemaForeignKeys)
        rs.openCatalogue(*this, schema, table);
    else
        throw DbError(QStringLiteral("Object or provider is not capable of performing requested operation."));
    return rs;
}

void Connection::Close() {
    if (d)
        d->session.reset();
}

bool Connection::isOpen() const { return d && d->session; }

namespace {
void setAutoCommit(SQLHDBC dbc, bool on) {
    checkOdbc(SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT,
                                 reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER),
              SQL_HANDLE_DBC, dbc);
}

void endTransaction(SQLHDBC dbc, SQLSMALLINT completion) {
    checkOdbc(SQLEndTran(SQL_HANDLE_DBC, dbc, completion), SQL_HANDLE_DBC, dbc);
    setAutoCommit(dbc, true);
}
}

void Connection::BeginTrans() { setAutoCommit(dbc(), false); }
void Connection::CommitTrans() { endTransaction(dbc(), SQL_COMMIT); }
void Connection::RollbackTrans() { endTransaction(dbc(), SQL_ROLLBACK); }

SQLHDBC Connection::dbc() const {
    if (!isOpen())
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    return d->session->dbc.get();
}

StmtHandle Connection::takeStatement() {
    const bool spare = isOpen() && d->session->spare;
    StmtHandle stmt = spare ? std::move(d->session->spare) : StmtHandle(dbc());
    if (CommandTimeout >= 0 && !(spare && d->session->spareTimeout == CommandTimeout))
        stmt.check(SQLSetStmtAttrW(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
                                   reinterpret_cast<SQLPOINTER>(SQLULEN(CommandTimeout)), 0));
    return stmt;
}

bool Connection::narrowTextIsUtf8() const { return d->utf8NarrowText; }

SQLUINTEGER Connection::getDataExtensions() const { return d->getDataExtensions; }

QString Connection::serverDescription() const { return d->description; }

std::shared_ptr<void> Connection::session() const { return d->session; }

// It has no cursor to close: the next statement simply runs on it, as the
// per-row INSERTs of a transfer do, one after another.
void Connection::giveBackStatement(StmtHandle stmt) {
    if (!isOpen())
        return;
    d->session->spare = std::move(stmt);
    d->session->spareTimeout = CommandTimeout;
}

}
