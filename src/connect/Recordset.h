#pragma once
#include "connect/Field.h"
#include <QString>
#include <memory>
#include <vector>

namespace tw {

class Connection;
class Yield;

// Forward reading of a result. With a client-side cursor RecordCount is the
// exact number of rows; with a server-side one it is -1.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    // Cursor and lock types are accepted for the caller's record; reading
    // is always forward. With whileRunning, the statement runs on a worker
    // thread while this thread yields every few milliseconds, since a
    // driver may read a whole result inside the one call; nothing else
    // touches the connection meanwhile. A yield that throws lets the
    // statement finish first, and its exception goes on.
    void Open(const QString& sql, Connection& connection, int cursorType = -1, int lockType = -1,
              Yield* whileRunning = nullptr);
    void Close();
    bool isOpen() const;

    long long RecordCount() const;
    bool isEOF() const;  // EOF: past the last row (EOF itself is a C macro)
    void MoveNext();

    int fieldCount() const;
    const Field& Fields(int index) const;
    const Field& Fields(const QString& name) const;  // case-insensitive; throws DbError
    // Exchanges the current row's values with these, one for each field: a
    // reader that keeps the row takes it without a copy, and gives back
    // values whose room the next row is read into. The row is not current
    // any more; the next MoveNext reads one that is.
    void swapValues(std::vector<Value>& values);

private:
    friend class Connection;
    void openTables(Connection& connection);  // the tables schema
    void openPrimaryKeys(Connection& connection, const QString& table);
    // SQLColumns, SQLStatistics or SQLForeignKeys of one table, under ODBC's own column names.
    void openCatalogue(Connection& connection, int schema, const QString& table);
    struct Impl;
    std::unique_ptr<Impl> d;
};

}
