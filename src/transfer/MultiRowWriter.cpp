#include "transfer/BatchedRowWriter.h"
#include "connect/Connection.h"
#include "connect/Recordset.h"

namespace tw {

namespace {

// A batch as one INSERT of many rows.
class TextBatch : public OutgoingBatch {
public:
    TextBatch(RowBatch rows, const QString& insertStart)
        : m_rows(std::move(rows)), m_insertStart(insertStart), m_sql(m_rows.multiRowInsert(insertStart)) {}
    int size() const override { return m_rows.size(); }
    std::uint64_t digest(int row) const override { return m_rows.digest(row); }
    QString statement() const override { return m_sql; }
    void send(Connection& target) override { target.Execute(m_sql); }
    QString rowInsert(int row) const override { return m_rows.singleRowInsert(m_insertStart, row); }

private:
    RowBatch m_rows;
    const QString m_insertStart;
    const QString m_sql;
};

// The rows gathered into INSERTs of many rows, under the server's packet limit.
class MultiRowWriter : public BatchedRowWriter {
public:
    MultiRowWriter(RowWriterHost& host, const QString& insertStart) : BatchedRowWriter(host), m_insertStart(insertStart) {}

    void write(std::uint64_t digest) override {
        h.buildInsert();
        const QString& statement = h.statement();
        const QStringView values =
            QStringView(statement).sliced(m_insertStart.size(), statement.size() - m_insertStart.size() - 1);
        const long long packet = h.packetLimit();
        const qsizetype limit = packet > 0 ? std::min<qsizetype>(RowBatch::charsPerStatement, (packet - packetHeadroom) / 4)
                                           : RowBatch::charsPerStatement;
        if (statement.size() > limit) {
            sendRowAlone(digest);
            return;
        }
        if (!m_batch.fits(values.size(), limit - m_insertStart.size() - 1))
            sendGathered();
        m_batch.add(values, digest);
        if (m_batch.size() >= RowBatch::rowsPerCommit)
            sendGathered();
    }

private:
    void sendGathered() override {
        if (!m_batch.isEmpty())
            sendBatch(std::make_unique<TextBatch>(std::exchange(m_batch, RowBatch()), m_insertStart));
    }
    void dropGathered() override { m_batch.clear(); }

    const QString m_insertStart;
    RowBatch m_batch;  // rows gathered, not yet sent
};

}

std::unique_ptr<RowWriter> multiRowWriter(RowWriterHost& host, const QString& insertStart) {
    return std::make_unique<MultiRowWriter>(host, insertStart);
}

}
