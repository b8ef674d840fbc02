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

// A value the driver would take in pieces, which a bulk execution does not take.
bool goesInPieces(const BoundValue& v) {
    if (v.kind == BoundValue::Kind::Bytes)
        return v.bytes.size() > parameterPieceBytes;
    // UTF-8 takes at most three bytes for each UTF-16 unit.
    return v.text.size() * 3 > parameterPieceBytes && v.text.toUtf8().size() > parameterPieceBytes;
}

// A batch as parameter arrays through a prepared INSERT, made on the
// batch's thread the first time and kept for the table's later batches.
class ArrayBatch : public OutgoingBatch {
public:
    ArrayBatch(ParameterRows values, std::vector<std::uint64_t> digests, std::optional<ParameterArrayStatement>& prepared,
               const QString& sql, const QString& insertStart, const LiteralSyntax& syntax)
        : m_values(std::move(values)), m_digests(std::move(digests)), m_prepared(prepared), m_sql(sql),
          m_insertStart(insertStart), m_syntax(syntax) {}
    int size() const override { return m_values.rows(); }
    std::uint64_t digest(int row) const override { return m_digests.at(size_t(row)); }
    QString statement() const override { return m_sql; }
    void send(Connection& target) override {
        if (!m_prepared)
            m_prepared.emplace(target, m_sql);
        m_prepared->execute(m_values);
    }
    QString rowInsert(int row) const override {
        QString sql = m_insertStart;
        for (int c = 0; c < m_values.columns(); ++c) {
            if (c > 0)
                sql += QLatin1String(", ");
            appendBoundLiteral(sql, m_values.value(row, c), m_syntax);
        }
        return sql + u')';
    }

private:
    ParameterRows m_values;
    std::vector<std::uint64_t> m_digests;
    std::optional<ParameterArrayStatement>& m_prepared;
    const QString m_sql, m_insertStart;
    const LiteralSyntax m_syntax;
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
                                               m_prepared, m_sql, h.insertStart(), h.syntax()));
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
