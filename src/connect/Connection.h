#pragma once
#include "connect/OdbcHandle.h"
#include <QString>
#include <memory>
#include <optional>

namespace tw {

class Recordset;
class Yield;

namespace CursorLocationCode {
constexpr int Server = 2;
constexpr int Client = 3;  // all rows read client-side: RecordCount is exact
}

constexpr int adSchemaTables = 20;
constexpr int adSchemaPrimaryKeys = 28;
constexpr int adSchemaColumns = 4;
constexpr int adSchemaIndexes = 12;
constexpr int adSchemaForeignKeys = 27;

// A database connection in the shape the program has always used: set the
// properties, Open with a connection string, Execute, Close.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;

    // "MSDASQL" (or empty) is the ODBC provider; with it a string
    // "Data Source=NAME" opens the ODBC data source NAME, and any other string
    // goes to the driver manager as it stands.
    QString Provider;
    int CursorLocation = CursorLocationCode::Server;
    // Seconds a statement may wait for the server; 0 waits for ever. The
    // program enforces it on statements run with whileWaiting, and the
    // MariaDB driver on every read and write of the connection.
    int CommandTimeout = 30;
    int ConnectionTimeout = 15;  // seconds, for the whole open; 0 waits for ever
    // Results fill short columns at each fetch (bound columns); false reads
    // every value by itself, as for a driver that binds none.
    bool BindsColumns = true;

    // The open runs on a thread of its own and is given up, with a clear
    // error, when ConnectionTimeout runs out, even where the driver ignores
    // its login timeout; whileWaiting runs meanwhile.
    void Open(const QString& connectionString, Yield* whileWaiting = nullptr);
    // Runs one statement; a statement with a result gives its rows, any
    // other an empty, closed row set. With whileWaiting, the statement runs
    // on a thread of its own, bounded by CommandTimeout.
    Recordset Execute(const QString& sql, Yield* whileWaiting = nullptr);
    // 20 (adSchemaTables): one row per table with TABLE_CATALOG,
    // TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE and DESCRIPTION.
    // 28 (adSchemaPrimaryKeys): the primary key's columns of the table
    // named, in the key's order, with COLUMN_NAME and ORDINAL.
    // 4 (adSchemaColumns), 12 (adSchemaIndexes) and 27 (adSchemaForeignKeys,
    // the keys the table named holds): the driver's SQLColumns,
    // SQLStatistics and SQLForeignKeys, under ODBC's column names.
    Recordset OpenSchema(int schema, const QString& table = {});
    void Close();
    bool isOpen() const;

    // A transaction: the statements after BeginTrans hold until CommitTrans
    // or RollbackTrans, which return the connection to committing each
    // statement by itself.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // For the data-access layer itself.
    SQLHDBC dbc() const;
    // A statement handle with the command timeout set. A statement that
    // returned no rows gives its handle back, so a run of INSERTs runs on
    // one handle, as a bare loop would.
    StmtHandle takeStatement();
    void giveBackStatement(StmtHandle stmt);
    // MariaDB Connector/ODBC on a Unicode connection gives narrow text in
    // the connection's character set, utf8mb4.
    bool narrowTextIsUtf8() const;
    // What the driver allows of SQLGetData besides columns after the last
    // bound one (SQL_GETDATA_EXTENSIONS).
    SQLUINTEGER getDataExtensions() const;
    // What a timeout names: "The MySQL server at HOST:PORT" or "The data
    // source NAME".
    QString serverDescription() const;
    // Keeps the driver's session alive for a call running on another
    // thread: after Close, such a call closes the session itself once the
    // driver lets it go.
    std::shared_ptr<void> session() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}
