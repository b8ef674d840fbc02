#pragma once
#include "tables/TableManagerUi.h"
#include "transfer/TransferDirection.h"
#include <QString>

namespace tw {

// Sees each DROP TABLE, CREATE TABLE and INSERT just before the transfer
// sends it to the target.
class StatementObserver {
public:
    virtual ~StatementObserver() = default;
    virtual void sending(const QString& sql) = 0;
    // Just before a copied table is read back to be checked.
    virtual void beforeVerifying(const QString& table) { (void)table; }
};

// Copies the tables selected in the direction's source list, bottom entry
// first, checks each copied table against what was read, and gives the
// account to the window. Stop ends it as after its last table; a yield that
// reports the program ending ends it at once (ProgramEnding leaves this
// function).
void transferTables(const TransferDirection& direction, TableManagerUi& ui, StatementObserver* observer = nullptr);

}
