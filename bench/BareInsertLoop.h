#pragma once
#include "StatementRecorder.h"
#include <QString>

namespace bench {

// The fastest that one autocommitted INSERT per row allows: one ODBC
// connection and one statement handle, each text sent as it stands with
// SQLExecDirectW. Returns the number of statements sent, with the loop's
// wall time and this process's CPU time; throws on the first failure.
long long runBareInserts(const QString& odbcConnectString, const QString& createTable, RecordedInserts& inserts,
                         double& seconds, double& cpu);

}
