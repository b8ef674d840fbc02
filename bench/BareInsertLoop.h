#pragma once
#include "StatementRecorder.h"
#include <QString>

namespace bench {

// The fastest that one autocommitted INSERT per row allows: one ODBC
// connection and one statement handle, each text sent as it stands with
// SQLExecDirectW. Returns the number of statements sent, with the loop's
// wall time and this process's CPU time; throws on the first failure.
// With rowsPerInsert above 1, the same rows go as INSERTs of that many rows
// each, all in one transaction: the reference for batched writing.
long long runBareInserts(const QString& odbcConnectString, const QString& createTable, RecordedInserts& inserts,
                         double& seconds, double& cpu, int rowsPerInsert = 1);

}
