#include "connect/AdoType.h"
#include <sqlext.h>
#include <sqlucode.h>

namespace tw {

int adoTypeOf(SQLSMALLINT sqlType, bool isUnsigned) {
    switch (sqlType) {
    case SQL_CHAR: return 129;            // adChar
    case SQL_VARCHAR: return 200;         // adVarChar
    case SQL_LONGVARCHAR: return 201;     // adLongVarChar
    case SQL_WCHAR: return 130;           // adWChar
    case SQL_WVARCHAR: return 202;        // adVarWChar
    case SQL_WLONGVARCHAR: return 203;    // adLongVarWChar
    case SQL_DECIMAL:
    case SQL_NUMERIC: return 131;         // adNumeric
    case SQL_TINYINT: return isUnsigned ? 17 : 16;
    case SQL_SMALLINT: return isUnsigned ? 18 : 2;
    case SQL_INTEGER: return isUnsigned ? 19 : 3;
    case SQL_BIGINT: return isUnsigned ? 21 : 20;
    case SQL_REAL: return 4;              // adSingle
    case SQL_FLOAT:
    case SQL_DOUBLE: return 5;            // adDouble
    case SQL_BIT: return 11;              // adBoolean
    case SQL_BINARY: return 128;          // adBinary
    case SQL_VARBINARY: return 204;       // adVarBinary
    case SQL_LONGVARBINARY: return 205;   // adLongVarBinary
    case SQL_TYPE_DATE:
    case SQL_DATE: return 133;            // adDBDate
    case SQL_TYPE_TIME:
    case SQL_TIME: return 134;            // adDBTime
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return 135;       // adDBTimeStamp
    case SQL_GUID: return 72;             // adGUID
    default: return 200;                  // read as text
    }
}

}
