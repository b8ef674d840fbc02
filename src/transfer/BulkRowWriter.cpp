#include "connect/Connection.h"
#include "connect/ParameterArrays.h"
#include "transfer/BatchedRowWriter.h"
#include <algorithm>
#include <optional>

namespace tw {

namespace {

// The values a batch holds at most, counted as its arrays hold them (each
// column as wide as its widest value), so a few wide values do not make the
// batch's memory run away.
constexpr qsizetype arrayBytesPerBatch = 8 * 1024 * 1024;

// A batch as parameter arrays through a prepared INSERT, made on the
// batch's thread the first time and kept for the table's later batches.
class ArrayBatch : public OutgoingBatch {
public:
    ArrayBatch(ParameterRows values, std::vector<std::uint64_t> digests, std::optional<ParameterArrayStatement>& prepared,
               const QString& sql, const RowWriterHost& host)
        : m_values(std::move(values)), m_digests(std::move(digests)), m_prepared(prepared), m_sql(sql), m_host(host) {}
    int size() const override { return m_values.rows(); }
    std::uint64_t digest(int row) const override { return m_digests.at(size_t(row)); }
    QString statement() const override { return m_sql; }
    void send(Connection& target) override {
        if (!m_prepared)
            m_prepared.emplace(target, m_sql);
        m_prepared->execute(m_values);
    }
    QString rowInsert(int row) const override { return m_host.literalInsert(m_values.row(row)); }

private:
    ParameterRows m_values;
    std::vector<std::uint64_t> m_digests;
    std::optional<ParameterArrayStatement>& m_prepared;
    const QString m_sql;
    const RowWriterHost& m_host;
};

// The rows gathered as parameter values. A row with a value the driver
// would take in pieces goes by itself, since a bulk execution takes no
// pieces.
class BulkRowWriter : public BatchedRowWriter {
public:
    explicit BulkRowWriter(RowWriterHost& host) : BatchedRowWriter(host) {}
    ~BulkRowWriter() override { waitForBatch(); }  // the batch in flight uses the prepared statement

    void write(std::uint64_t digest) override {
        h.boundValues(m_row);
        if (std::any_of(m_row.begin(), m_row.end(), goesInPieces)) {
            sendRowAlone(digest);
            return;
        }
        m_values.add(m_row);
        m_digests.push_back(digest);
        if (m_values.rows() >= RowBatch::rowsPerCommit || m_values.arrayBytes() >= arrayBytesPerBatch)
            sendGathered();
    }

private:
    void sendGathered() override {
        if (m_values.rows() == 0)
            return;
        if (m_sql.isEmpty())
            m_sql = h.parameterInsert();
        sendBatch(std::make_unique<ArrayBatch>(std::exchange(m_values, ParameterRows()), std::exchange(m_digests, {}),
                                               m_prepared, m_sql, h));
    }
    void dropGathered() override {
        m_values.clear();
        m_digests.clear();
    }

    std::vector<BoundValue> m_row;  // the current row's values; their room kept
    ParameterRows m_values;         // rows gathered, not yet sent
    std::vector<std::uint64_t> m_digests;
    QString m_sql;
    // Goes with the writer, before the connection under it; used by one batch's thread at a time.
    std::optional<ParameterArrayStatement> m_prepared;
};

}

std::unique_ptr<RowWriter> bulkRowWriter(RowWriterHost& host) { return std::make_unique<BulkRowWriter>(host); }

}
