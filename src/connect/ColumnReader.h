#pragma once
#include "connect/Field.h"
#include "connect/OdbcHandle.h"
#include <vector>

namespace tw {

// Describes a statement's result columns and reads one row's values, each
// with the C type that keeps it exact: bits and integers as numbers,
// floating point as binary floating point, byte strings as bytes, the rest
// as text.
class ColumnReader {
public:
    std::vector<Field> describe(const StmtHandle& stmt);
    // Binds the columns whose values fit a buffer of their declared size, so
    // that each fetch fills them at once; the rest, long values above all,
    // are read in pieces. getDataExtensions is what the driver reports
    // (SQL_GETDATA_EXTENSIONS): without SQL_GD_ANY_COLUMN only the columns
    // before the first long one are bound. A driver that does not bind is
    // read value by value.
    void bindColumns(const StmtHandle& stmt, const std::vector<Field>& fields, SQLUINTEGER getDataExtensions);
    void readRow(const StmtHandle& stmt, std::vector<Field>& fields);
    // Text is read as UTF-8 from a driver known to deliver narrow text so,
    // which spares that driver a character set conversion per value.
    void setNarrowTextIsUtf8(bool utf8) { m_utf8 = utf8; }

private:
    // A column the driver writes at each fetch; its buffer and indicator
    // stay where they are while the binding lasts.
    struct BoundColumn {
        SQLSMALLINT cType = 0;  // 0: not bound
        std::vector<char> buffer;
        SQLLEN indicator = 0;
    };
    void readColumn(const StmtHandle& stmt, SQLUSMALLINT column, const Field& field, Value& into);
    bool readBoundText(BoundColumn& bound, bool timestamp, Value& into);
    // A bound column that holds no text: a number or bytes, or Null.
    Value boundValue(const BoundColumn& bound) const;
    Value readText(const StmtHandle& stmt, SQLUSMALLINT column);
    void readUtf8(const StmtHandle& stmt, SQLUSMALLINT column, Value& into);
    Value readBytes(const StmtHandle& stmt, SQLUSMALLINT column);
    bool m_utf8 = false;
    std::vector<BoundColumn> m_bound;  // by column, less one
    bool m_rereadsBound = false;       // SQLGetData may read a bound column again
    // Allocated at the first row: a statement without rows needs none.
    std::vector<SQLWCHAR> m_wide;
    std::vector<char> m_bytes;
};

// "YYYY-MM-DD HH:MM:SS.ffffff" with the fraction only when it is not zero.
QString normalizedTimestamp(const QString& text);
Value normalizedTimestamp(const Value& v);  // Null stays Null

}
