#include "transfer/BatchedRowWriter.h"
#include "connect/Connection.h"
#include "connect/Recordset.h"
#include "transfer/FailureStorm.h"
#include "transfer/Transfer.h"

namespace tw {

BatchedRowWriter::~BatchedRowWriter() { waitForBatch(); }

void BatchedRowWriter::waitForBatch() {
    if (m_inFlight.valid())
        m_inFlight.wait();  // the thread must not outlive the connection it uses
}

void BatchedRowWriter::flush() {
    sendGathered();
    awaitBatch();
}

void BatchedRowWriter::abandon() {
    dropGathered();
    std::unique_ptr<OutgoingBatch> sent;
    if (const std::optional<DbError> failure = settleInFlight(sent); failure && !failure->isCommunicationLinkFailure())
        h.insertStep([&] { h.target().RollbackTrans(); });
}

void BatchedRowWriter::settleAfterLoss() {
    if (!m_inFlight.valid())
        return;
    try {
        awaitBatch();  // the batch in flight may have arrived
    } catch (const Interrupted&) {
        throw;
    } catch (...) {
        // The transfer is ending already for the lost connection.
    }
}

void BatchedRowWriter::sendRowAlone(std::uint64_t digest) {
    flush();
    h.buildInsert();  // a refused batch going again row by row took the statement's place
    if (h.rowStep([&] { h.sendRowAlone(); }))
        h.rowAccepted(digest);
    h.rowsSettled(1);
}

void BatchedRowWriter::sendBatch(std::unique_ptr<OutgoingBatch> batch) {
    awaitBatch();
    m_sending = std::move(batch);
    OutgoingBatch* sending = m_sending.get();
    Connection& target = h.target();
    StatementObserver* observer = h.observer();
    if (observer)
        observer->sending(sending->statement());
    m_committing = false;
    m_inFlight = m_thread.run([&target, sending, observer, this] {
        target.BeginTrans();
        sending->send(target);
        if (observer)
            observer->committing();
        m_committing = true;  // read once the future is through
        target.CommitTrans();
    });
}

// The batch in flight: accepted once committed. When it failed, the
// transaction is rolled back and its rows go again one by one.
void BatchedRowWriter::awaitBatch() {
    std::unique_ptr<OutgoingBatch> sent;
    const std::optional<DbError> failure = settleInFlight(sent);
    if (!failure)
        return;
    h.endIfLinkLost(*failure);
    h.insertStep([&] {
        h.target().RollbackTrans();
        h.target().BeginTrans();
    });
    RowBatch arrived;
    int i = 0;
    try {
        for (; i < sent->size(); ++i) {
            h.statement() = sent->rowInsert(i);
            if (h.rowStep([&] {
                    if (StatementObserver* o = h.observer())
                        o->sending(h.statement());
                    h.target().Execute(h.statement());
                })) {
                h.rowSucceeded();
                arrived.add({}, sent->digest(i));
            }
        }
    } catch (const StoppedAtQuestion&) {
        h.commitRows(arrived);  // the rows that went in before the answer stay
        h.rowsSettled(i + 1);   // the row asked about was refused
        throw;
    }
    h.commitRows(arrived);
    h.rowsSettled(sent->size());
}

// Waits for the batch in flight, if any, into sent: accepted once
// committed; in doubt when the connection went during its COMMIT. The
// failure, when it failed.
std::optional<DbError> BatchedRowWriter::settleInFlight(std::unique_ptr<OutgoingBatch>& sent) {
    if (!m_inFlight.valid())
        return std::nullopt;
    sent = std::move(m_sending);
    try {
        m_inFlight.get();
        for (int i = 0; i < sent->size(); ++i)
            h.rowAccepted(sent->digest(i));
        h.rowsSettled(sent->size());
        return std::nullopt;
    } catch (const DbError& e) {
        if (m_committing && e.isCommunicationLinkFailure())
            h.rowsInDoubt(sent->size(), lostWhileCommitting);
        return e;
    }
}

}
