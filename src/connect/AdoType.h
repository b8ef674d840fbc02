#pragma once
#include <sql.h>

namespace tw {

// The ADO DataTypeEnum code that an ODBC SQL type maps to, as the ODBC
// provider maps it: unsigned integers to the adUnsigned codes, DECIMAL and
// NUMERIC both to adNumeric.
int adoTypeOf(SQLSMALLINT sqlType, bool isUnsigned);

}
