#pragma once
#include "Odbc.h"
#include <optional>
#include <string>

namespace standin {

// What a result column reports through SQLDescribeCol and SQLColAttribute.
struct ColumnInfo {
    std::string name;
    std::string typeName;     // lower case, as iAnywhere names its types
    std::string tableName;    // the base table, when the column is a plain column
    std::string baseColumnName;
    SQLSMALLINT sqlType = SQL_LONGVARCHAR;
    SQLULEN columnSize = 0;   // characters, bytes or decimal digits
    SQLSMALLINT decimalDigits = 0;
    SQLLEN octetLength = 0;
    SQLLEN displaySize = 0;
    bool isUnsigned = false;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
};

// The SQL type iAnywhere's driver reports for a declared column type
// (case-insensitive, e.g. "NUMERIC(10,2)", "long varchar", "int unsigned");
// nothing for a type it has no counterpart for.
std::optional<ColumnInfo> fromDeclaredType(const std::string& declared);

// A column without a usable declared type (an expression) is described by
// the SQLite storage class of its first value.
ColumnInfo fromStorageClass(int sqliteType);

// A plain VARCHAR(n) column, for the catalog results we build ourselves.
ColumnInfo varcharColumn(const std::string& name, SQLULEN length, SQLSMALLINT nullable);
ColumnInfo smallintColumn(const std::string& name);

// The C type SQL_C_DEFAULT stands for with this SQL type.
SQLSMALLINT defaultCType(const ColumnInfo& column);

}
