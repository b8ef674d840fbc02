#include "Columns.h"
#include "ColumnRules.h"
#include <sqlite3.h>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <vector>

namespace standin {

namespace {

constexpr SQLULEN LongSize = 2147483647;
// A character or binary type declared without a length: report iAnywhere's
// largest short length rather than a size the stored values may exceed.
constexpr SQLULEN UndeclaredLength = 32767;

ColumnInfo make(SQLSMALLINT type, const char* typeName, SQLULEN size, SQLSMALLINT digits, SQLLEN octets,
                SQLLEN display) {
    ColumnInfo c;
    c.sqlType = type;
    c.typeName = typeName;
    c.columnSize = size;
    c.decimalDigits = digits;
    c.octetLength = octets;
    c.displaySize = display;
    return c;
}

ColumnInfo exact(SQLSMALLINT type, const char* typeName, SQLULEN precision, SQLSMALLINT scale) {
    return make(type, typeName, precision, scale, SQLLEN(precision + 2), SQLLEN(precision + 2));
}

ColumnInfo character(SQLSMALLINT type, const char* typeName, SQLULEN length) {
    const bool wide = type == SQL_WCHAR || type == SQL_WVARCHAR || type == SQL_WLONGVARCHAR;
    const SQLLEN octets = length >= LongSize ? SQLLEN(LongSize) : SQLLEN(length * (wide ? 2 : 1));
    return make(type, typeName, length, 0, octets, SQLLEN(length));
}

ColumnInfo binary(SQLSMALLINT type, const char* typeName, SQLULEN length) {
    const SQLLEN display = length >= LongSize / 2 ? SQLLEN(LongSize) : SQLLEN(length * 2);
    return make(type, typeName, length, 0, SQLLEN(length), display);
}

ColumnInfo integer(SQLSMALLINT type, const char* typeName, SQLULEN digits, SQLLEN octets, bool isUnsigned) {
    ColumnInfo c = make(type, typeName, digits, 0, octets, SQLLEN(digits) + (isUnsigned ? 0 : 1));
    c.isUnsigned = isUnsigned;
    return c;
}

}

std::optional<ColumnInfo> fromDeclaredType(const std::string& declared) {
    std::string upper;
    for (char ch : declared)
        upper += char(std::toupper(static_cast<unsigned char>(ch)));

    std::vector<long> params;
    std::string words = upper;
    if (auto open = upper.find('('); open != std::string::npos) {
        const auto close = upper.find(')', open);
        const std::string inside = upper.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
        const char* p = inside.c_str();
        while (*p) {
            char* end = nullptr;
            const long v = std::strtol(p, &end, 10);
            if (end == p)
                break;
            params.push_back(v);
            p = end;
            while (*p == ' ' || *p == ',')
                ++p;
        }
        words = upper.substr(0, open) + " " + (close == std::string::npos ? std::string() : upper.substr(close + 1));
    }

    std::string key;
    bool isUnsigned = false;
    size_t i = 0;
    while (i < words.size()) {
        while (i < words.size() && std::isspace(static_cast<unsigned char>(words[i])))
            ++i;
        size_t j = i;
        while (j < words.size() && !std::isspace(static_cast<unsigned char>(words[j])))
            ++j;
        if (j > i) {
            const std::string word = words.substr(i, j - i);
            if (word == "UNSIGNED")
                isUnsigned = true;
            else if (word != "SIGNED" && word != ExactTextMarker)
                key += (key.empty() ? "" : " ") + word;
        }
        i = j;
    }

    const bool hasLength = !params.empty() && params[0] > 0;
    const SQLULEN length = hasLength ? SQLULEN(params[0]) : UndeclaredLength;
    auto precisionScale = [&](SQLSMALLINT type, const char* name) {
        if (params.empty())
            return exact(type, name, 30, 6);
        return exact(type, name, SQLULEN(params[0]), SQLSMALLINT(params.size() > 1 ? params[1] : 0));
    };

    if (key == "NUMERIC")
        return precisionScale(SQL_NUMERIC, "numeric");
    if (key == "DECIMAL" || key == "DEC")
        return precisionScale(SQL_DECIMAL, "decimal");
    if (key == "MONEY")
        return exact(SQL_NUMERIC, "money", 19, 4);
    if (key == "SMALLMONEY")
        return exact(SQL_NUMERIC, "smallmoney", 10, 4);
    if (key == "TEXT" || key == "LONG VARCHAR" || key == "XML")
        return character(SQL_LONGVARCHAR, "long varchar", LongSize);
    if (key == "VARCHAR" || key == "CHARACTER VARYING" || key == "CHAR VARYING")
        return character(SQL_VARCHAR, "varchar", length);
    if (key == "CHAR" || key == "CHARACTER")
        return character(SQL_CHAR, "char", length);
    if (key == "NTEXT" || key == "LONG NVARCHAR")
        return character(SQL_WLONGVARCHAR, "long nvarchar", LongSize);
    if (key == "NVARCHAR")
        return character(SQL_WVARCHAR, "nvarchar", length);
    if (key == "NCHAR")
        return character(SQL_WCHAR, "nchar", length);
    if (key == "BIT")
        return make(SQL_BIT, "bit", 1, 0, 1, 1);
    if (key == "TINYINT")
        return integer(SQL_TINYINT, "tinyint", 3, 1, true);  // iAnywhere's TINYINT is 0 to 255
    if (key == "SMALLINT")
        return integer(SQL_SMALLINT, isUnsigned ? "unsigned smallint" : "smallint", 5, 2, isUnsigned);
    if (key == "INTEGER" || key == "INT")
        return integer(SQL_INTEGER, isUnsigned ? "unsigned int" : "integer", 10, 4, isUnsigned);
    if (key == UnsignedBigintText)
        return integer(SQL_BIGINT, "unsigned bigint", 20, 8, true);
    if (key == "BIGINT")
        return integer(SQL_BIGINT, isUnsigned ? "unsigned bigint" : "bigint", isUnsigned ? 20 : 19, 8, isUnsigned);
    // FLOAT is single precision unless its precision (in bits) asks for more.
    if (key == "REAL" || (key == "FLOAT" && (params.empty() || params[0] <= 24)))
        return make(SQL_REAL, key == "FLOAT" ? "float" : "real", 7, 0, 4, 14);
    if (key == "DOUBLE" || key == "DOUBLE PRECISION" || key == "FLOAT")
        return make(SQL_DOUBLE, key == "FLOAT" ? "float" : "double", 15, 0, 8, 24);
    if (key == "DATE")
        return make(SQL_TYPE_DATE, "date", 10, 0, 6, 10);
    if (key == "TIME")
        return make(SQL_TYPE_TIME, "time", 8, 0, 6, 8);
    if (key == "TIMESTAMP" || key == "DATETIME" || key == "SMALLDATETIME")
        return make(SQL_TYPE_TIMESTAMP, "timestamp", 26, 6, 16, 26);
    if (key == "BINARY")
        return binary(SQL_BINARY, "binary", length);
    if (key == "VARBINARY")
        return binary(SQL_VARBINARY, "varbinary", length);
    if (key == "LONG BINARY" || key == "BLOB" || key == "IMAGE")
        return binary(SQL_LONGVARBINARY, "long binary", LongSize);
    if (key == "UNIQUEIDENTIFIER")
        return make(SQL_GUID, "uniqueidentifier", 36, 0, 16, 36);
    return std::nullopt;
}

ColumnInfo fromStorageClass(int sqliteType) {
    switch (sqliteType) {
    case SQLITE_INTEGER:
        return integer(SQL_BIGINT, "bigint", 19, 8, false);
    case SQLITE_FLOAT:
        return make(SQL_DOUBLE, "double", 15, 0, 8, 24);
    case SQLITE_BLOB:
        return binary(SQL_LONGVARBINARY, "long binary", LongSize);
    default:
        return character(SQL_LONGVARCHAR, "long varchar", LongSize);
    }
}

ColumnInfo varcharColumn(const std::string& name, SQLULEN length, SQLSMALLINT nullable) {
    ColumnInfo c = character(SQL_VARCHAR, "varchar", length);
    c.name = name;
    c.nullable = nullable;
    return c;
}

ColumnInfo smallintColumn(const std::string& name) {
    ColumnInfo c = integer(SQL_SMALLINT, "smallint", 5, 2, false);
    c.name = name;
    c.nullable = SQL_NO_NULLS;
    return c;
}

SQLSMALLINT defaultCType(const ColumnInfo& column) {
    switch (column.sqlType) {
    case SQL_BIT:
        return SQL_C_BIT;
    case SQL_TINYINT:
        return column.isUnsigned ? SQL_C_UTINYINT : SQL_C_STINYINT;
    case SQL_SMALLINT:
        return column.isUnsigned ? SQL_C_USHORT : SQL_C_SSHORT;
    case SQL_INTEGER:
        return column.isUnsigned ? SQL_C_ULONG : SQL_C_SLONG;
    case SQL_BIGINT:
        return column.isUnsigned ? SQL_C_UBIGINT : SQL_C_SBIGINT;
    case SQL_REAL:
        return SQL_C_FLOAT;
    case SQL_DOUBLE:
    case SQL_FLOAT:
        return SQL_C_DOUBLE;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return SQL_C_BINARY;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return SQL_C_WCHAR;
    default:
        // Decimals, dates, times and GUIDs as their text.
        return SQL_C_CHAR;
    }
}

}
