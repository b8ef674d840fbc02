#pragma once
#include "Columns.h"
#include <sqlite3.h>
#include <string>
#include <vector>

namespace standin {

// The results of the ODBC catalogue functions about a table's structure, as
// SQL Anywhere's driver gives them: a query over the file's own catalogue
// and the columns it describes.
struct CatalogueQuery {
    std::string sql;
    std::vector<ColumnInfo> columns;
};

// SQLColumns: the columns of the tables whose names match the pattern (_
// and % as in LIKE, \ escaping them), with the default as SQL Anywhere
// writes it ("autoincrement", "current timestamp") and each column's comment.
CatalogueQuery columnsQuery(sqlite3* db, const std::string& tablePattern);
// SQLStatistics: the table's indexes, the primary key's among them, one row
// a column; only the unique ones when asked.
CatalogueQuery statisticsQuery(sqlite3* db, const std::string& table, bool uniqueOnly);
// SQLForeignKeys with only the foreign-key table given: the keys it holds.
CatalogueQuery foreignKeysQuery(sqlite3* db, const std::string& table);
// SQLTables' REMARKS: the table's comment, for the name column given.
std::string tableRemarksExpression(sqlite3* db, const std::string& nameColumn);

}
