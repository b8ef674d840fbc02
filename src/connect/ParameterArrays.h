#pragma once
#include "connect/OdbcHandle.h"
#include "connect/ParameterStatement.h"
#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace tw {

class Connection;

// Whether a value would go to the driver in pieces, which an array of
// parameters does not take.
bool goesInPieces(const BoundValue& value);

// The values of many rows for a statement's markers, kept a column at a
// time, each value whole in memory.
class ParameterRows {
public:
    void add(const std::vector<BoundValue>& row);
    void clear();
    // Each column's bytes, and room for about as many, so that a batch like
    // the one before takes its memory once, not by doubling.
    std::vector<size_t> columnBytes() const;
    void reserve(int rows, const std::vector<size_t>& columnBytes);
    int rows() const { return m_rows; }
    // What the arrays take once each column is as wide as its widest value.
    qsizetype arrayBytes() const;
    // A row as it was given, for a row that must go again by itself.
    std::vector<BoundValue> row(int row) const;

private:
    friend class ParameterArrayStatement;
    friend class ParameterStatement;
    struct Column {
        std::string data;             // the values one after another
        std::vector<size_t> starts;   // where each row's value begins
        std::vector<SQLLEN> lengths;  // its length, or SQL_NULL_DATA
        bool binary = false;
        size_t widest = 0;
    };
    std::vector<Column> m_columns;
    int m_rows = 0;
};

// A prepared statement run once for many rows of values, bound as arrays a
// column at a time: MariaDB's driver sends them to the server as one bulk
// execution (COM_STMT_BULK_EXECUTE), iAnywhere's runs them in one call. A
// refused row fails the whole execution; MariaDB's driver does not even say
// which one.
class ParameterArrayStatement {
public:
    ParameterArrayStatement(Connection& connection, const QString& sql);
    void execute(const ParameterRows& rows);

private:
    std::shared_ptr<void> m_session;  // held as long as the statement on it
    StmtHandle m_stmt;
    std::vector<std::string> m_arrays;  // a column's values at a fixed stride; their room kept
    std::vector<std::vector<SQLLEN>> m_indicators;
    std::vector<SQLUSMALLINT> m_status;  // each row's outcome, as the driver reports it
};

}
