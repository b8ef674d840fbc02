#pragma once
#include "connect/ConnectionProfile.h"
#include "transfer/ExistingTable.h"
#include "transfer/TransferAccount.h"
#include <QStringList>
#include <vector>

namespace tw {

struct TransferDirection;

// How the rows go, whoever asks for the transfer.
struct TransferOptions {
    bool fastCopy = false;  // rows in batches inside transactions
    bool verifies = true;   // each copied table read back and checked
    ExistingTable existing = ExistingTable::Ask;
    QString where;  // a condition the source rows of every table must meet; empty for all rows
    // Fast copy into MariaDB or iAnywhere sends a batch as parameter arrays
    // in one execution; off, into MariaDB as INSERT texts of many rows, into
    // iAnywhere row by row through the prepared INSERT.
    bool parameterArrays = true;
    // Tables are created with the source's types, keys, defaults and
    // comments as near as the target allows; indexes follow the rows and
    // foreign keys every table. Off, today's statements exactly.
    bool keepStructure = false;
};

// A table of a transfer that ended early, as a resumed transfer takes it up.
struct ResumeTable {
    enum class Plan {
        Create,   // not begun: created and filled
        Replace,  // not begun: replaces the table the target holds
        Append,   // not begun: appended to the table the target holds
        GoOn,     // begun: the rest of its rows go into the same table
    };
    QString name;
    Plan plan = Plan::Create;
    ResumePoint point;  // GoOn's
};

// A transfer as the window or the command line asks for it: which way, the
// connections of both sides, the tables in the order they are copied, and
// the tables the target holds now (as its list shows them, or as its
// catalogue gives them).
struct TransferRequest {
    const TransferDirection& direction;
    ProfileCopy profile;
    QStringList tables;
    QStringList targetTables;
    TransferOptions options;
    // Where the tables were chosen in a list: nothing chosen at all is
    // told, and the caller's loop runs once per entry looked at.
    bool nothingChosen = false;
    int entriesLookedAt = -1;  // -1: once per table
    // A resumed transfer: each table's plan, decided by the transfer it
    // takes up, in the order of tables; nothing is asked.
    std::vector<ResumeTable> resuming;
};

}
