#include "ReferenceLoads.h"
#include "connect/Connection.h"
#include "connect/Recordset.h"
#include "BareOdbc.h"
#include <QFile>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>

namespace bench {

namespace {

double since(std::chrono::steady_clock::time_point started) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

// A value as LOAD DATA reads it by default.
void appendLoadValue(QByteArray& out, const QString& value) {
    if (value.isNull()) {
        out += "\\N";
        return;
    }
    for (const char c : value.toUtf8()) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\0': out += "\\0"; break;
        default: out += c;
        }
    }
}

}

TextRows readTextRows(const QString& connectString, bool viaProvider, const QString& quotedTable) {
    tw::Connection c;
    if (viaProvider)
        c.Provider = "MSDASQL";
    c.CommandTimeout = 0;
    c.Open(connectString);
    tw::Recordset rs = c.Execute("SELECT * FROM " + quotedTable);
    TextRows rows;
    for (; !rs.isEOF(); rs.MoveNext()) {
        QStringList row;
        for (int i = 0; i < rs.fieldCount(); ++i)
            row << (rs.Fields(i).Value.isNull() ? QString() : rs.Fields(i).Value.toText());
        rows.push_back(row);
    }
    return rows;
}

double runBarePrepared(const QString& connectString, const QString& createTable, const QString& quotedTable,
                       const TextRows& rows, int commitRows) {
    BareOdbc db(connectString);
    db.run(createTable);
    const int columns = rows.empty() ? 0 : int(rows.front().size());
    QStringList markers;
    for (int c = 0; c < columns; ++c)
        markers << "?";
    const QString insert = "INSERT INTO " + quotedTable + " VALUES(" + markers.join(", ") + ")";
    check(SQLPrepareW(db.stmt, wide(insert), SQL_NTS), SQL_HANDLE_STMT, db.stmt, "prepare");
    // Each value's UTF-8 beforehand, and buffers wide enough for the widest.
    std::vector<std::vector<QByteArray>> encoded(rows.size());
    std::vector<size_t> widest(static_cast<size_t>(columns), 1);
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < columns; ++c) {
            encoded[r].push_back(rows[r][c].toUtf8());
            widest[size_t(c)] = std::max(widest[size_t(c)], size_t(encoded[r].back().size()));
        }
    std::vector<std::string> buffers(static_cast<size_t>(columns));
    std::vector<SQLLEN> lengths(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        buffers[size_t(c)].resize(widest[size_t(c)]);
        check(SQLBindParameter(db.stmt, SQLUSMALLINT(c + 1), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR,
                               widest[size_t(c)], 0, buffers[size_t(c)].data(), SQLLEN(widest[size_t(c)]),
                               &lengths[size_t(c)]),
              SQL_HANDLE_STMT, db.stmt, "bind");
    }
    db.manualCommit();
    const auto started = std::chrono::steady_clock::now();
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < columns; ++c) {
            const QByteArray& v = encoded[r][size_t(c)];
            if (rows[r][c].isNull()) {
                lengths[size_t(c)] = SQL_NULL_DATA;
            } else {
                std::memcpy(buffers[size_t(c)].data(), v.constData(), size_t(v.size()));
                lengths[size_t(c)] = SQLLEN(v.size());
            }
        }
        check(SQLExecute(db.stmt), SQL_HANDLE_STMT, db.stmt, "insert");
        if ((r + 1) % size_t(commitRows) == 0)
            db.commit();
    }
    db.commit();
    return since(started);
}

LoadDataTime runLoadData(const QString& connectString, const QString& createTable, const QString& quotedTable,
                         const TextRows& rows, const QString& workFile) {
    QByteArray data;
    for (const QStringList& row : rows) {
        for (int c = 0; c < row.size(); ++c) {
            if (c > 0)
                data += '\t';
            appendLoadValue(data, row[c]);
        }
        data += '\n';
    }
    QFile file(workFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        throw std::runtime_error(("cannot write " + workFile).toStdString());
    file.close();
    BareOdbc db(connectString);
    db.run(createTable);
    db.manualCommit();
    LoadDataTime time;
    const auto started = std::chrono::steady_clock::now();
    const QString load = "LOAD DATA LOCAL INFILE '" + workFile + "' INTO TABLE " + quotedTable +
                         " CHARACTER SET utf8mb4";
    if (!SQL_SUCCEEDED(SQLExecDirectW(db.stmt, wide(load), SQL_NTS))) {
        time.refusal = diagnostic(SQL_HANDLE_STMT, db.stmt);
    } else {
        db.commit();
        time.seconds = since(started);
    }
    QFile::remove(workFile);
    return time;
}

}
