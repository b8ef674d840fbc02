#pragma once
#include "Handles.h"
#include <sqlite3.h>
#include <string>

namespace standin {

// Runs a query of the driver's own on the file and hands each row to row;
// a failure is the driver's error.
template <typename F>
void eachRow(sqlite3* db, const std::string& sql, F&& row) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw sqliteError(db, sqlite3_errcode(db));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        row(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw sqliteError(db, rc);
}

}
