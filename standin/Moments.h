#pragma once
#include <sqlite3.h>

namespace standin {

// sa_moment(value, 'date' | 'time' | 'timestamp'): 1 when the value is one
// SQL Anywhere's column of that type holds, else the statement fails with
// its words, "Cannot convert '30:00:00' to a time". Dates run from 0001-01-01
// to 9999-12-31 and a time of day from 00:00:00 to 23:59:59.999999; a date
// may carry a time, and a time stamp may leave it out.
void registerMomentFunction(sqlite3* db);

}
