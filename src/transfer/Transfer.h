#pragma once
#include "transfer/TransferEvents.h"
#include "transfer/TransferRequest.h"
#include "connect/Field.h"
#include <QString>
#include <vector>

namespace tw {

// Sees each DROP TABLE, CREATE TABLE and INSERT just before the transfer
// sends it to the target.
class StatementObserver {
public:
    virtual ~StatementObserver() = default;
    virtual void sending(const QString& sql) = 0;
    // Just before a copied table is read back to be checked.
    virtual void beforeVerifying(const QString& table) { (void)table; }
    // Each source row as read, before the transfer takes its values: a
    // test may change one, as a faulty reading would.
    virtual void rowRead(std::vector<Field>& row) { (void)row; }
    // Just before fast copy commits a batch; into MySQL on the thread that
    // sends the batch.
    virtual void committing() {}
};

// Copies the request's tables in their order, checks each copied table
// against what was read, and tells the events, the account last. Stop ends
// it as after its last table; a yield that reports the program ending ends
// it at once (ProgramEnding leaves this function).
void transferTables(const TransferRequest& request, TransferEvents& events, StatementObserver* observer = nullptr);

}
