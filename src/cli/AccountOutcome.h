#pragma once
#include "transfer/TransferAccount.h"
#include <QString>

namespace tw {

// The command's exit codes.
namespace ExitCode {
constexpr int Done = 0;         // every table copied and, unless told not to, verified
constexpr int NotAll = 1;       // rows rejected or in doubt, a check that differs, a table not copied
constexpr int Trouble = 2;      // usage, or a connection that did not open or was lost
constexpr int Stopped = 3;      // SIGINT or SIGTERM
}

int exitCodeOf(const TransferAccount& account);

// The account as one JSON object: per table the rows read, accepted and
// failed, the first failure, the check's result, and the seconds.
QString accountJson(const TransferAccount& account, int exitCode);

}
