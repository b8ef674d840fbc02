#pragma once
#include "connect/ParameterStatement.h"
#include "transfer/RowBatch.h"
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace tw {

class Connection;
class DbError;
class StatementObserver;

// Room in a packet for a statement's own words around its values.
constexpr long long packetHeadroom = 4096;
inline const QString lostWhileCommitting = QStringLiteral("the connection was lost while they were being committed");

// What a row writer takes from the transfer it writes for: the target, the
// current row as statements, the steps whose failures have their boxes, and
// the account of the table.
class RowWriterHost {
public:
    virtual ~RowWriterHost() = default;
    virtual Connection& target() = 0;
    virtual StatementObserver* observer() = 0;
    // The statement the error box shows when a step fails.
    virtual QString& statement() = 0;
    // Writes the current row's literal INSERT into statement(), value by value.
    virtual void buildInsert() = 0;
    // The current row's values as parameters, and the INSERT that takes them.
    // Text read as UTF-8 is borrowed from the row: the values are good until
    // the next row is read.
    virtual void boundValues(std::vector<BoundValue>& values) = 0;
    virtual QString parameterInsert() = 0;
    // A row's literal INSERT from the values boundValues gave for it.
    virtual QString literalInsert(const std::vector<BoundValue>& values) const = 0;
    // The largest statement the target takes in bytes; 0 for no limit.
    virtual long long packetLimit() const = 0;
    // A numbered step of the INSERT; false when it failed, after its box.
    virtual bool insertStep(const std::function<void()>& body) = 0;
    // A step that can fail for one row: false when it failed, counted for
    // the table, with its box unless the user chose to count quietly.
    virtual bool rowStep(const std::function<void()>& body) = 0;
    // Sends statement() as the per-row method does: a row too large for a
    // literal goes with parameters.
    virtual void sendRowAlone() = 0;
    virtual void rowAccepted(std::uint64_t digest) = 0;
    virtual void rowSucceeded() = 0;  // a row that went in ends a storm of failures
    // The next rows written, in the order written, have their fates settled:
    // committed, or refused and counted.
    virtual void rowsSettled(int rows) = 0;
    virtual void rowsInDoubt(long long rows, const QString& because) = 0;
    // A COMMIT of rows failed: they fail together; a lost connection ends the transfer.
    virtual void commitFailed(const std::exception& e, int rows) = 0;
    // A lost connection ends the transfer after its one box; else nothing.
    virtual void endIfLinkLost(const DbError& e) = 0;

    // Commits the open transaction, whose rows are accepted with it.
    void commitRows(const RowBatch& rows);
};

// One way of writing a table's rows into the target. The transfer's table
// loop drives whichever it was given and knows nothing of how it writes.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    // The current row; with a digest for the check, or 0. Its fate may be
    // known only at a later flush.
    virtual void write(std::uint64_t digest) = 0;
    // Everything written so far goes to the target and is settled.
    virtual void flush() = 0;
    // The user stopped at the storm's question: rows gathered are not sent;
    // what is on its way is settled, and an open transaction committed.
    virtual void abandon() = 0;
    // The connection was lost: what was on its way is settled as far as it
    // can be, sending nothing more.
    virtual void settleAfterLoss() {}
};

// The per-row method: each row one literal INSERT, accepted once executed.
std::unique_ptr<RowWriter> literalRowWriter(RowWriterHost& host);
// Fast copy into a target that takes many rows an INSERT (MySQL).
std::unique_ptr<RowWriter> multiRowWriter(RowWriterHost& host, const QString& insertStart);
// Fast copy into MariaDB or iAnywhere: a batch's values as parameter arrays
// in one execution. MariaDB takes them as one bulk execution, faster than it
// parses INSERT texts; iAnywhere's driver runs them in one call.
std::unique_ptr<RowWriter> bulkRowWriter(RowWriterHost& host);
// Fast copy into iAnywhere without arrays: a batch's rows one by one through
// a prepared INSERT, on the batch's thread while the next batch is gathered.
std::unique_ptr<RowWriter> preparedRowWriter(RowWriterHost& host);

}
