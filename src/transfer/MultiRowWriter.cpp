#include "connect/Connection.h"
#include "connect/DbError.h"
#include "connect/Recordset.h"
#include "transfer/FailureStorm.h"
#include "transfer/RowWriter.h"
#include "transfer/Transfer.h"
#include <future>
#include <optional>

namespace tw {

namespace {


// The rows gathered into INSERTs of many rows, each in a transaction of its
// own. A batch is sent on a thread of its own while the next is read; that
// thread touches only the target connection, which this side leaves alone
// until the batch is settled.
class MultiRowWriter : public RowWriter {
public:
    MultiRowWriter(RowWriterHost& host, const QString& insertStart) : h(host), m_insertStart(insertStart) {}
    ~MultiRowWriter() override {
        if (m_inFlight.valid())
            m_inFlight.wait();  // the thread must not outlive the connection it uses
    }

    void write(std::uint64_t digest) override {
        h.buildInsert();
        const QString& statement = h.statement();
        const QStringView values =
            QStringView(statement).sliced(m_insertStart.size(), statement.size() - m_insertStart.size() - 1);
        const long long packet = h.packetLimit();
        const qsizetype limit = packet > 0 ? std::min<qsizetype>(RowBatch::charsPerStatement, (packet - packetHeadroom) / 4)
                                           : RowBatch::charsPerStatement;
        if (statement.size() > limit) {
            // A row this large goes by itself, as the per-row method sends it.
            flushBatch();
            awaitBatch();
            if (h.rowStep([&] { h.sendRowAlone(); }))
                h.rowAccepted(digest);
            h.rowsSettled(1);
            return;
        }
        if (!m_batch.fits(values.size(), limit - m_insertStart.size() - 1))
            flushBatch();
        m_batch.add(values, digest);
        if (m_batch.size() >= RowBatch::rowsPerCommit)
            flushBatch();
    }

    void flush() override {
        flushBatch();
        awaitBatch();
    }

    void abandon() override {
        m_batch.clear();
        RowBatch sent;
        if (const std::optional<DbError> failure = settleInFlight(sent); failure && !failure->isCommunicationLinkFailure())
            h.insertStep([&] { h.target().RollbackTrans(); });
    }

    void settleAfterLoss() override {
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

private:
    // Sends the gathered rows once the batch before them is through.
    void flushBatch() {
        awaitBatch();
        if (m_batch.isEmpty())
            return;
        m_sending = std::exchange(m_batch, RowBatch());
        QString sql = m_sending.multiRowInsert(m_insertStart);
        StatementObserver* observer = h.observer();
        if (observer)
            observer->sending(sql);
        Connection& target = h.target();
        m_committing = false;
        m_inFlight = std::async(std::launch::async, [&target, sql = std::move(sql), observer, this] {
            target.BeginTrans();
            target.Execute(sql);
            if (observer)
                observer->committing();
            m_committing = true;  // read once the future is through
            target.CommitTrans();
        });
    }

    // The batch in flight: accepted once committed. When it failed, the
    // transaction is rolled back and its rows go again one by one, so that
    // exactly the rows the server refuses are refused, each with its own box.
    void awaitBatch() {
        RowBatch sent;
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
            for (; i < sent.size(); ++i) {
                h.statement() = sent.singleRowInsert(m_insertStart, i);
                if (h.rowStep([&] {
                        if (StatementObserver* o = h.observer())
                            o->sending(h.statement());
                        h.target().Execute(h.statement());
                    })) {
                    h.rowSucceeded();
                    arrived.add({}, sent.digest(i));
                }
            }
        } catch (const StoppedAtQuestion&) {
            h.commitRows(arrived);  // the rows that went in before the answer stay
            h.rowsSettled(i + 1);   // the row asked about was refused
            throw;
        }
        h.commitRows(arrived);
        h.rowsSettled(sent.size());
    }

    // Waits for the batch in flight, if any, into sent: accepted once
    // committed; in doubt when the connection went during its COMMIT. The
    // failure, when it failed.
    std::optional<DbError> settleInFlight(RowBatch& sent) {
        if (!m_inFlight.valid())
            return std::nullopt;
        sent = std::exchange(m_sending, RowBatch());
        try {
            m_inFlight.get();
            for (int i = 0; i < sent.size(); ++i)
                h.rowAccepted(sent.digest(i));
            h.rowsSettled(sent.size());
            return std::nullopt;
        } catch (const DbError& e) {
            if (m_committing && e.isCommunicationLinkFailure())
                h.rowsInDoubt(sent.size(), lostWhileCommitting);
            return e;
        }
    }

    RowWriterHost& h;
    const QString m_insertStart;
    RowBatch m_batch;             // rows gathered, not yet sent
    RowBatch m_sending;           // the batch in flight
    bool m_committing = false;    // the batch in flight got as far as its COMMIT
    std::future<void> m_inFlight;  // its INSERT and commit
};

}

std::unique_ptr<RowWriter> multiRowWriter(RowWriterHost& host, const QString& insertStart) {
    return std::make_unique<MultiRowWriter>(host, insertStart);
}

}
