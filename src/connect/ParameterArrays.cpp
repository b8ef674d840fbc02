#include "connect/ParameterArrays.h"
#include "connect/Connection.h"
#include "connect/Utf8Append.h"
#include <algorithm>
#include <cstring>

namespace tw {

void ParameterRows::add(const std::vector<BoundValue>& row) {
    if (m_columns.size() < row.size())
        m_columns.resize(row.size());
    for (size_t c = 0; c < row.size(); ++c) {
        const BoundValue& v = row[c];
        Column& column = m_columns[c];
        column.starts.push_back(column.data.size());
        if (v.kind == BoundValue::Kind::Null) {
            column.lengths.push_back(SQL_NULL_DATA);
            continue;
        }
        column.binary = v.kind == BoundValue::Kind::Bytes;
        const size_t start = column.data.size();
        if (v.kind == BoundValue::Kind::Text)
            appendUtf8(column.data, v.text);
        else
            column.data.append(v.bytes.constData(), size_t(v.bytes.size()));
        const size_t length = column.data.size() - start;
        column.lengths.push_back(SQLLEN(length));
        column.widest = std::max(column.widest, length);
    }
    ++m_rows;
}

qsizetype ParameterRows::arrayBytes() const {
    qsizetype total = 0;
    for (const Column& c : m_columns)
        total += qsizetype(std::max<size_t>(c.widest, 1)) * m_rows;
    return total;
}

std::vector<size_t> ParameterRows::columnBytes() const {
    std::vector<size_t> bytes;
    for (const Column& c : m_columns)
        bytes.push_back(c.data.size());
    return bytes;
}

void ParameterRows::reserve(int rows, const std::vector<size_t>& columnBytes) {
    m_columns.resize(std::max(m_columns.size(), columnBytes.size()));
    for (size_t c = 0; c < columnBytes.size(); ++c) {
        m_columns[c].data.reserve(columnBytes[c] + columnBytes[c] / 8);
        m_columns[c].starts.reserve(size_t(rows));
        m_columns[c].lengths.reserve(size_t(rows));
    }
}

void ParameterRows::clear() {
    m_columns.clear();
    m_rows = 0;
}

std::vector<BoundValue> ParameterRows::row(int row) const {
    std::vector<BoundValue> values;
    for (const Column& c : m_columns) {
        const SQLLEN length = c.lengths.at(size_t(row));
        const char* data = c.data.data() + c.starts[size_t(row)];
        if (length == SQL_NULL_DATA)
            values.push_back({});
        else if (c.binary)
            values.push_back({BoundValue::Kind::Bytes, {}, QByteArray(data, qsizetype(length))});
        else
            values.push_back({BoundValue::Kind::Text, QString::fromUtf8(data, qsizetype(length)), {}});
    }
    return values;
}

bool goesInPieces(const BoundValue& v) {
    if (v.kind != BoundValue::Kind::Text)
        return v.bytes.size() > parameterPieceBytes;
    // UTF-8 takes at most three bytes for each UTF-16 unit.
    return v.text.size() * 3 > parameterPieceBytes && v.text.toUtf8().size() > parameterPieceBytes;
}

ParameterArrayStatement::ParameterArrayStatement(Connection& connection, const QString& sql)
    : m_session(connection.session()), m_stmt(connection.takeStatement()) {
    m_stmt.check(SQLPrepareW(m_stmt.get(), const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS));
    m_stmt.check(SQLSetStmtAttr(m_stmt.get(), SQL_ATTR_PARAM_BIND_TYPE, SQLPOINTER(SQL_PARAM_BIND_BY_COLUMN), 0));
}

void ParameterArrayStatement::execute(const ParameterRows& rows) {
    const size_t count = size_t(rows.rows());
    m_arrays.resize(rows.m_columns.size());
    m_indicators.resize(rows.m_columns.size());
    m_stmt.check(SQLSetStmtAttr(m_stmt.get(), SQL_ATTR_PARAMSET_SIZE, SQLPOINTER(count), 0));
    for (size_t c = 0; c < rows.m_columns.size(); ++c) {
        const ParameterRows::Column& column = rows.m_columns[c];
        const size_t stride = std::max<size_t>(column.widest, 1);
        std::string& array = m_arrays[c];
        array.resize(count * stride);
        m_indicators[c] = column.lengths;
        for (size_t r = 0; r < count; ++r)
            if (column.lengths[r] > 0)
                std::memcpy(array.data() + r * stride, column.data.data() + column.starts[r], size_t(column.lengths[r]));
        const SQLSMALLINT cType = column.binary ? SQL_C_BINARY : SQL_C_CHAR;
        m_stmt.check(SQLBindParameter(m_stmt.get(), SQLUSMALLINT(c + 1), SQL_PARAM_INPUT, cType,
                                      column.binary ? SQL_LONGVARBINARY : SQL_LONGVARCHAR, stride, 0, array.data(),
                                      SQLLEN(stride), m_indicators[c].data()));
    }
    m_status.assign(count, SQL_PARAM_UNUSED);
    m_stmt.check(SQLSetStmtAttr(m_stmt.get(), SQL_ATTR_PARAM_STATUS_PTR, m_status.data(), 0));
    m_stmt.check(SQLExecute(m_stmt.get()));
    // A driver may go on past a refused row and call the whole execution a
    // success with information: a refused row fails it all the same.
    if (std::any_of(m_status.begin(), m_status.end(), [](SQLUSMALLINT s) { return s == SQL_PARAM_ERROR; }))
        m_stmt.check(SQL_ERROR);
}

}
