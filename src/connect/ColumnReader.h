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
    void readRow(const StmtHandle& stmt, std::vector<Field>& fields);
    // Text is read as UTF-8 from a driver known to deliver narrow text so,
    // which spares that driver a character set conversion per value.
    void setNarrowTextIsUtf8(bool utf8) { m_utf8 = utf8; }

private:
    Value readText(const StmtHandle& stmt, SQLUSMALLINT column);
    Value readUtf8(const StmtHandle& stmt, SQLUSMALLINT column);
    Value readBytes(const StmtHandle& stmt, SQLUSMALLINT column);
    bool m_utf8 = false;
    // Allocated at the first row: a statement without rows needs none.
    std::vector<SQLWCHAR> m_wide;
    std::vector<char> m_bytes;
};

// "YYYY-MM-DD HH:MM:SS.ffffff" with the fraction only when it is not zero.
QString normalizedTimestamp(const QString& text);

}
