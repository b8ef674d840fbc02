#pragma once
#include "transfer/ExistingTable.h"
#include "transfer/TableProgress.h"
#include "transfer/TransferAccount.h"

namespace tw {

// What a transfer asks of the window besides the bar: whether the user has
// pressed Stop, and where its account goes when it ends.
class TransferPanel {
public:
    virtual ~TransferPanel() = default;
    virtual bool stopRequested() const = 0;
    virtual void showAccount(const TransferAccount& account) = 0;
    // Where the transfer stands, at most four times a second while it runs.
    virtual void progress(const TableProgress& progress) { (void)progress; }
    // Whether each copied table is read back and checked (the default).
    virtual bool verifies() const { return true; }
    // Whether the rows go in batches inside transactions (off by default).
    virtual bool fastCopy() const { return false; }
    // Whether tables are created with the source's types and keys (off by default).
    virtual bool keepStructure() const { return false; }
    virtual ExistingTable existingTable() const { return ExistingTable::Ask; }
    // Whether fast copy sends parameter arrays (the default) rather than
    // INSERT texts of many rows into MariaDB, or rows one by one into iAnywhere.
    virtual bool parameterArrays() const { return true; }
};

}
