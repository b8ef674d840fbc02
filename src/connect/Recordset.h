#pragma once
#include "connect/Field.h"
#include <QString>
#include <memory>
#include <vector>

namespace tw {

class Connection;

// Forward reading of a result. With a client-side cursor RecordCount is the
// exact number of rows; with a server-side one it is -1.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    // Cursor and lock types are accepted for the caller's record; reading
    // is always forward.
    void Open(const QString& sql, Connection& connection, int cursorType = -1, int lockType = -1);
    void Close();
    bool isOpen() const;

    long long RecordCount() const;
    bool isEOF() const;  // EOF: past the last row (EOF itself is a C macro)
    void MoveNext();

    int fieldCount() const;
    const Field& Fields(int index) const;
    const Field& Fields(const QString& name) const;  // case-insensitive; throws DbError

private:
    friend class Connection;
    void openTables(Connection& connection);  // the tables schema
    struct Impl;
    std::unique_ptr<Impl> d;
};

}
