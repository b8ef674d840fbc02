#pragma once
#include "connect/DbError.h"
#include "transfer/RowWriter.h"
#include "transfer/SendingThread.h"
#include <future>
#include <memory>
#include <optional>

namespace tw {

// A batch of rows on its way to the target.
class OutgoingBatch {
public:
    virtual ~OutgoingBatch() = default;
    virtual int size() const = 0;
    virtual std::uint64_t digest(int row) const = 0;
    // The statement that carries the rows, for an observer.
    virtual QString statement() const = 0;
    // Sends the rows; runs on the batch's own thread.
    virtual void send(Connection& target) = 0;
    // One row by itself as a literal INSERT, for a batch the server refused.
    virtual QString rowInsert(int row) const = 0;
};

// Rows gathered into batches, each sent in a transaction of its own on a
// thread of its own while the next is gathered. That thread touches only the
// target connection, which this side leaves alone until the batch is
// settled. A batch the server refuses goes again row by row as literal
// INSERTs, so that exactly the rows the server refuses are refused, each with
// its own box. How rows are gathered and a batch sent is the kind's own.
class BatchedRowWriter : public RowWriter {
public:
    ~BatchedRowWriter() override;
    void flush() override;
    void abandon() override;
    void settleAfterLoss() override;

protected:
    explicit BatchedRowWriter(RowWriterHost& host) : h(host) {}
    // What has been gathered goes, once the batch before it is through.
    virtual void sendGathered() = 0;
    virtual void dropGathered() = 0;
    // Sends a batch once the one before it is settled.
    void sendBatch(std::unique_ptr<OutgoingBatch> batch);
    // The current row by itself, after everything before it, as the per-row
    // method sends it: for a row too large for a batch.
    void sendRowAlone(std::uint64_t digest);
    // Waits for the batch in flight without settling it: a kind whose
    // members the batch uses calls it before they go.
    void waitForBatch();

    RowWriterHost& h;

private:
    void awaitBatch();
    std::optional<DbError> settleInFlight(std::unique_ptr<OutgoingBatch>& sent);

    std::unique_ptr<OutgoingBatch> m_sending;  // the batch in flight
    bool m_committing = false;                 // it got as far as its COMMIT
    std::future<void> m_inFlight;              // its INSERT and commit
    SendingThread m_thread;                    // goes after the batch in flight is through
};

}
