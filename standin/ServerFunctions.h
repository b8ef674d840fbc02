#pragma once
#include <sqlite3.h>

namespace standin {

// Functions of the server's SQL that SQLite lacks or computes otherwise:
//   SUM adds exactly: integers beyond 64 bits and exact numbers (the text
//   that NUMERIC columns and casts to NUMERIC hold) keep every digit; only
//   floating-point values are added as doubles;
//   BYTE_LENGTH is a value's length in bytes (LENGTH counts characters).
void registerServerFunctions(sqlite3* db);

}
