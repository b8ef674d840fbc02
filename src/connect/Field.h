#pragma once
#include "connect/Value.h"
#include <QString>

namespace tw {

// One column of a row set: its name, ADO type code, the column's declared
// size, precision and scale, and the current row's value.
struct Field {
    QString Name;
    int Type = 0;
    qint64 DefinedSize = 0;   // characters or bytes; ODBC's column size
    int Precision = 0;        // decimal digits for exact numerics
    int NumericScale = 0;
    bool isUnsigned = false;
    bool Nullable = true;     // false only where the driver says the column holds no NULL
    int sqlType = 0;          // the ODBC SQL type it was mapped from
    tw::Value Value;
};

}
