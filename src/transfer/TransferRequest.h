#pragma once
#include "connect/ConnectionProfile.h"
#include "transfer/ExistingTable.h"
#include <QStringList>

namespace tw {

struct TransferDirection;

// How the rows go, whoever asks for the transfer.
struct TransferOptions {
    bool fastCopy = false;  // rows in batches inside transactions
    bool verifies = true;   // each copied table read back and checked
    ExistingTable existing = ExistingTable::Ask;
    QString where;  // a condition the source rows of every table must meet; empty for all rows
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
};

}
