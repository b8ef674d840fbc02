#pragma once
#include "schema/TableStructure.h"

namespace tw {

class Connection;
class Yield;

// A table's structure as the catalogue of its database tells it. Failures
// are the driver's errors.
//
// MySQL's comes from information_schema: its driver's SQLPrimaryKeys numbers
// a composite key's columns by their place in the table, and its
// SQLStatistics tells no index's kind.
TableStructure readMySqlStructure(Connection& mysql, const QString& table, Yield* whileWaiting);
// MySQL makes an index on a key longer than it takes on the first part of
// the column only, with a note and no error: each such index of the table,
// as "index ix_name: only the first 768 characters of name".
QStringList readShortenedIndexes(Connection& mysql, const QString& table, Yield* whileWaiting);

// iAnywhere's comes from the ODBC catalogue functions its driver offers:
// SQLColumns, SQLPrimaryKeys, SQLStatistics, SQLForeignKeys and SQLTables.
TableStructure readIAnywhereStructure(Connection& iany, const QString& table, Yield* whileWaiting);

}
