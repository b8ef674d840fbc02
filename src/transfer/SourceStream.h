#pragma once
#include "connect/Recordset.h"
#include <QString>
#include <QStringList>
#include <vector>

namespace tw {

class Connection;
class Yield;

// Which rows of a source table are read, and how.
struct SourceRead {
    QString table;
    QChar quote;
    // The source understands MySQL's row comparisons and LIMIT: a table
    // with a key is read in chunks. Otherwise one SELECT, ordered by the
    // primary key where there is one.
    bool keyedChunks = false;
    QString condition;  // what the rows read must meet, in the source's SQL; empty for all
    QStringList after;  // the read starts after the row of this key (its literals); empty for the first row
};

// The key a table's rows are read in the order of, and how its values are
// written into the source's SQL so that it reads them back exactly.
struct ReadKey {
    QStringList columns;      // as the catalogue names them; empty for no order
    std::vector<int> fields;  // their places in the row
    bool mySqlSyntax = false;
    QChar quote;

    bool exists() const { return !columns.isEmpty(); }
    // The columns quoted, for a SELECT or an ORDER BY: "a", "b"
    QString columnList() const;
    QString literal(const Value& v) const;
    // The rows after the one of this key, in the source's SQL.
    QString after(const QStringList& key) const;
    // A row's key as literals: a row set's current row, or a source read ahead.
    template <typename Row>
    QStringList of(const Row& row) const {
        QStringList key;
        for (int i : fields)
            key << literal(row.Fields(i).Value);
        return key;
    }
    // The key's values, in the key's order, as literals.
    QStringList of(const std::vector<Value>& values) const {
        QStringList key;
        for (const Value& v : values)
            key << literal(v);
        return key;
    }
};

// Reads a source table from its first row to its last without holding it
// whole. A MySQL table with a primary key, or a unique key on NOT NULL
// columns, is read in key order a chunk at a time, since MariaDB's driver
// keeps each result whole on the client; any other table is read by one
// SELECT, which a driver with a forward-only cursor streams, in the order of
// its primary key when it has one. Read in key order, a copy knows where it
// stopped and can go on from there. The read ends at the end of the data,
// however many rows the table held when counted.
class SourceStream {
public:
    // A chunk is held whole on the client, so its rows are counted to stay
    // under a few megabytes: the first chunk is small, and each later one
    // takes as many rows as the rows before it say fit.
    static constexpr int firstChunkRows = 100;
    static constexpr int maxChunkRows = 10000;
    static constexpr qsizetype chunkBytes = 1 * 1024 * 1024;

    void Open(const SourceRead& read, Connection& source, Yield* whileRunning);
    void Close();
    bool isOpen() const { return m_rows.isOpen(); }

    bool isEOF() const { return m_ended || m_rows.isEOF(); }
    // A chunk that cannot be read ends the read, so a failure is told once.
    // Later chunks open without a yield: the stream is read ahead on a
    // thread that is not the transfer's, bounded by the driver's timeouts.
    void MoveNext();
    int fieldCount() const { return m_rows.fieldCount(); }
    const Field& Fields(int index) const { return m_rows.Fields(index); }
    // The current row's values, exchanged for values whose room the next
    // row is read into (see Recordset::swapValues).
    void takeRow(std::vector<Value>& values) { m_rows.swapValues(values); }

    // How the table was read, for the account: "in key order, up to 10,000
    // rows or 1 MB a chunk", "in key order, as one result" or "as one result".
    QString path() const;
    // The key the rows come in the order of.
    const ReadKey& key() const { return m_key; }

private:
    bool findKey(const QString& table, Connection& source, Yield* whileRunning);
    QString chunkSql() const;
    qsizetype currentRowBytes() const;
    void openChunk(Yield* whileRunning);
    void measureRow();

    Recordset m_rows;
    Connection* m_source = nullptr;
    QString m_select;              // SELECT * FROM the table
    QString m_condition;           // on the rows read; empty for all
    bool m_chunks = false;         // read in chunks, else as one result
    QChar m_quote;
    ReadKey m_key;
    QStringList m_lastKey;         // the key, as literals, of the row the next chunk starts after
    long long m_rowsInChunk = 0;
    long long m_chunkLimit = firstChunkRows;  // the current chunk's LIMIT
    qsizetype m_bytesRead = 0;  // what the rows read so far held, as far as chunks are sized by it
    long long m_rowsMeasured = 0;
    bool m_ended = false;  // a chunk failed to open
};

// " WHERE (condition)", or nothing for no condition.
QString whereClause(const QString& condition);

// The number of rows in a table now that meet the condition, for the progress bar.
long long countRows(const QString& table, QChar quote, Connection& source, Yield* whileRunning,
                    const QString& condition = {});

}
