#pragma once
#include "connect/Recordset.h"
#include <QString>

namespace tw {

// Each row of a catalogue's result, then the result closed.
template <typename F>
void eachRow(Recordset rs, F&& row) {
    for (; rs.isOpen() && !rs.isEOF(); rs.MoveNext())
        row(rs);
    rs.Close();
}

// A field of the current row by its column's name.
inline const Value& fieldOf(const Recordset& rs, const char* column) { return rs.Fields(QString::fromLatin1(column)).Value; }
inline QString text(const Recordset& rs, const char* column) { return fieldOf(rs, column).toText(); }

}
