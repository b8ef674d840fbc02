#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace bench {

// A table's rows as the text of each value; a null QString for NULL.
using TextRows = std::vector<QStringList>;

// Every row of a table through the data-access layer, as text.
TextRows readTextRows(const QString& connectString, bool viaProvider, const QString& quotedTable);

// The most a driver takes through one prepared INSERT: the rows, already
// in memory, bound as text parameters whose buffers stay bound, executed
// row by row and committed every commitRows rows. Seconds of the loop.
double runBarePrepared(const QString& odbcConnectString, const QString& createTable, const QString& quotedTable,
                       const TextRows& rows, int commitRows);

// LOAD DATA LOCAL INFILE of the rows, written first to a file in the form
// the statement reads (tabs, \N for NULL, backslash escapes), in one
// transaction. Seconds of the statement, or the server's refusal.
struct LoadDataTime {
    std::optional<double> seconds;
    QString refusal;
};
LoadDataTime runLoadData(const QString& odbcConnectString, const QString& createTable, const QString& quotedTable,
                         const TextRows& rows, const QString& workFile);

}
