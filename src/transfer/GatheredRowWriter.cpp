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

// The INSERT that takes a table's gathered rows, prepared on the batch's
// thread the first time and kept for the table's later batches: as arrays
// in one execution, or row by row when arrays are not asked for.
// A batch of one row goes by itself too: MariaDB's driver (3.1.15) runs an
// array of one as a plain execution and keeps pointing at the values' buffer
// afterwards; when a later array's buffer lies at the same address, it sends
// its own pointers as the values, and the batch is refused or, worse,
// reported inserted without its rows.
class GatheredRowsInsert {
public:
    explicit GatheredRowsInsert(bool asArrays) : m_asArrays(asArrays) {}
    bool asArrays() const { return m_asArrays; }
    void execute(Connection& target, const QString& sql, const ParameterRows& rows) {
        if (m_asArrays && rows.rows() > 1) {
            if (!m_arrays)
                m_arrays.emplace(target, sql);
            m_arrays->execute(rows);
        } else {
            if (!m_rows)
                m_rows.emplace(target, sql);
            m_rows->execute(rows);
        }
    }

private:
    const bool m_asArrays;
    std::optional<ParameterArrayStatement> m_arrays;
    std::optional<ParameterStatement> m_rows;
};

// A batch of gathered rows through the table's INSERT.
class GatheredBatch : public OutgoingBatch {
public:
    GatheredBatch(ParameterRows values, std::vector<std::uint64_t> digests, GatheredRowsInsert& insert,
                  const QString& sql, const RowWriterHost& host)
        : m_values(std::move(values)), m_digests(std::move(digests)), m_insert(insert), m_sql(sql), m_host(host) {}
    int size() const override { return m_values.rows(); }
    std::uint64_t digest(int row) const override { return m_digests.at(size_t(row)); }
    QString statement() const override { return m_sql; }
    void send(Connection& target) override { m_insert.execute(target, m_sql, m_values); }
    QString rowInsert(int row) const override { return m_host.literalInsert(m_values.row(row)); }

private:
    ParameterRows m_values;
    std::vector<std::uint64_t> m_digests;
    GatheredRowsInsert& m_insert;
    const QString m_sql;
    const RowWriterHost& m_host;
};

// The rows gathered as parameter values. A batch goes once it holds enough
// rows or bytes. Into arrays, a row with a value the driver would take in
// pieces goes by itself: arrays take no pieces, and would give every row
// of the batch the room of that value.
class GatheredRowWriter : public BatchedRowWriter {
public:
    GatheredRowWriter(RowWriterHost& host, bool asArrays) : BatchedRowWriter(host), m_insert(asArrays) {}
    ~GatheredRowWriter() override { waitForBatch(); }  // the batch in flight uses the prepared statement

    void write(std::uint64_t digest) override {
        h.boundValues(m_row);
        if (m_insert.asArrays() && std::any_of(m_row.begin(), m_row.end(), goesInPieces)) {
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
        const int rows = m_values.rows();
        const std::vector<size_t> bytes = m_values.columnBytes();
        sendBatch(std::make_unique<GatheredBatch>(std::exchange(m_values, ParameterRows()), std::exchange(m_digests, {}),
                                                  m_insert, m_sql, h));
        // The next batch's room, taken once the batch before this one is gone.
        m_values.reserve(rows, bytes);
        m_digests.reserve(size_t(rows));
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
    GatheredRowsInsert m_insert;
};

}

std::unique_ptr<RowWriter> bulkRowWriter(RowWriterHost& host) { return std::make_unique<GatheredRowWriter>(host, true); }

std::unique_ptr<RowWriter> preparedRowWriter(RowWriterHost& host) {
    return std::make_unique<GatheredRowWriter>(host, false);
}

}
