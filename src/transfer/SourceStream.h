#pragma once
#include "connect/Recordset.h"
#include <QString>
#include <QStringList>
#include <vector>

namespace tw {

class Connection;
class Yield;

// Reads a source table from its first row to its last without holding it
// whole. A MySQL table with a primary key, or a unique key on NOT NULL
// columns, is read in key order a chunk at a time, since MariaDB's driver
// keeps each result whole on the client; any other table is read by one
// SELECT, which a driver with a forward-only cursor streams. The read ends
// at the end of the data, however many rows the table held when counted.
class SourceStream {
public:
    static constexpr int chunkRows = 10000;

    // keyedChunks: the source understands MySQL's row comparisons and LIMIT.
    // condition: what the rows read must meet, in the source's SQL; empty for all.
    void Open(const QString& table, QChar quote, bool keyedChunks, Connection& source, Yield* whileRunning,
              const QString& condition = {});
    void Close();
    bool isOpen() const { return m_rows.isOpen(); }

    bool isEOF() const { return m_ended || m_rows.isEOF(); }
    // A chunk that cannot be read ends the read, so a failure is told once.
    // Later chunks open without a yield: the stream is read ahead on a
    // thread that is not the transfer's, bounded by the driver's timeouts.
    void MoveNext();
    int fieldCount() const { return m_rows.fieldCount(); }
    const Field& Fields(int index) const { return m_rows.Fields(index); }

    // How the table was read, for the account: "in key order, 10,000 rows
    // a chunk" or "as one result".
    QString path() const;

private:
    QString chunkSql() const;
    void openChunk(Yield* whileRunning);

    Recordset m_rows;
    Connection* m_source = nullptr;
    QString m_select;              // SELECT * FROM the table
    QString m_condition;           // on the rows read; empty for all
    QStringList m_keyColumns;      // quoted; empty when the table is read whole
    std::vector<int> m_keyFields;  // their places in the row
    QStringList m_lastKey;         // the last row's key values as literals
    long long m_rowsInChunk = 0;
    bool m_ended = false;  // a chunk failed to open
};

// " WHERE (condition)", or nothing for no condition.
QString whereClause(const QString& condition);

// The number of rows in a table now that meet the condition, for the progress bar.
long long countRows(const QString& table, QChar quote, Connection& source, Yield* whileRunning,
                    const QString& condition = {});

}
