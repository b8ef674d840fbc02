#include "connect/Connection.h"
#include "connect/DbError.h"
#include "transfer/RowWriter.h"
#include "transfer/Transfer.h"
#include <optional>
#include <utility>

namespace tw {

namespace {

// Each row through the table's prepared INSERT, in transactions of a few
// thousand rows. A row counts as accepted once its transaction is committed.
class PreparedRowWriter : public RowWriter {
public:
    explicit PreparedRowWriter(RowWriterHost& host) : h(host) {}

    void write(std::uint64_t digest) override {
        if (!m_inTransaction) {
            h.insertStep([&] { h.target().BeginTrans(); });
            m_inTransaction = true;
        }
        ++m_rowsInTransaction;
        bool sent = sendPrepared();
        if (!sent) {
            // Again as the per-row method sends it, for the very box it shows.
            h.buildInsert();
            sent = h.rowStep([&] { h.sendRowAlone(); });
        }
        if (sent) {
            h.rowSucceeded();
            m_batch.add({}, digest);
        }
        if (m_rowsInTransaction >= RowBatch::rowsPerCommit)
            commitTransaction();
    }

    void flush() override { commitTransaction(); }
    void abandon() override { commitTransaction(); }

private:
    // The row through the prepared INSERT; false when it failed.
    bool sendPrepared() {
        try {
            if (!m_prepared) {
                const QString sql = h.parameterInsert();
                if (StatementObserver* o = h.observer())
                    o->sending(sql);
                m_prepared.emplace(h.target(), sql);
            }
            h.boundValues(m_rowValues);
            m_prepared->execute(m_rowValues);
            return true;
        } catch (const DbError& e) {
            h.endIfLinkLost(e);
            return false;
        }
    }

    // Rows whose commit fails are not in the target: they count as failed.
    void commitTransaction() {
        if (!m_inTransaction)
            return;
        m_inTransaction = false;
        const int written = std::exchange(m_rowsInTransaction, 0);
        h.commitRows(m_batch);
        m_batch.clear();
        h.rowsSettled(written);
    }

    RowWriterHost& h;
    std::optional<ParameterStatement> m_prepared;  // goes with the writer, before the connection under it
    std::vector<BoundValue> m_rowValues;           // the values it is given, row by row; their room kept
    RowBatch m_batch;                              // rows of the open transaction
    bool m_inTransaction = false;
    int m_rowsInTransaction = 0;
};

}

std::unique_ptr<RowWriter> preparedRowWriter(RowWriterHost& host) { return std::make_unique<PreparedRowWriter>(host); }

}
