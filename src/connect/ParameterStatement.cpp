#include "connect/ParameterStatement.h"
#include "connect/Connection.h"
#include "connect/DbError.h"
#include "connect/ParameterArrays.h"
#include "connect/Utf8Append.h"

namespace tw {

namespace {
constexpr qsizetype pieceBytes = parameterPieceBytes;
}

ParameterStatement::ParameterStatement(Connection& connection, const QString& sql)
    : m_session(connection.session()), m_stmt(connection.takeStatement()) {
    m_stmt.check(SQLPrepareW(m_stmt.get(), const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS));
}

void executeWithParameters(Connection& connection, const QString& sql, const std::vector<BoundValue>& values) {
    ParameterStatement(connection, sql).execute(values);
}

void ParameterStatement::execute(const std::vector<BoundValue>& values) {
    m_parameters.resize(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const BoundValue& v = values[i];
        Parameter& p = m_parameters[i];
        const SQLSMALLINT cType = v.kind == BoundValue::Kind::Bytes ? SQL_C_BINARY : SQL_C_CHAR;
        if (v.kind == BoundValue::Kind::Null) {
            if (p.boundType == 0)
                bind(i, p, cType, false);
            p.length = SQL_NULL_DATA;
            continue;
        }
        // A short text goes straight into the buffer; a long one is measured first.
        const bool shortText = v.kind == BoundValue::Kind::Text && v.text.size() * 3 <= pieceBytes;
        const QByteArray data = v.kind == BoundValue::Kind::Text ? (shortText ? QByteArray() : v.text.toUtf8()) : v.bytes;
        const bool atExecution = !shortText && data.size() > pieceBytes;
        if (atExecution) {
            p.pieces = data;
        } else {
            p.pieces.clear();
            p.buffer.clear();
            if (shortText)
                appendUtf8(p.buffer, v.text);
            else
                p.buffer.assign(data.constData(), size_t(data.size()));
        }
        const SQLLEN size = atExecution ? SQLLEN(data.size()) : SQLLEN(p.buffer.size());
        bind(i, p, cType, atExecution);
        p.length = atExecution ? SQL_LEN_DATA_AT_EXEC(size) : size;
    }
    executeBound();
}

void ParameterStatement::execute(const ParameterRows& rows) {
    m_parameters.resize(rows.m_columns.size());
    for (int r = 0; r < rows.rows(); ++r) {
        for (size_t c = 0; c < rows.m_columns.size(); ++c) {
            const ParameterRows::Column& column = rows.m_columns[c];
            Parameter& p = m_parameters[c];
            const SQLLEN length = column.lengths[size_t(r)];
            const SQLSMALLINT cType = column.binary ? SQL_C_BINARY : SQL_C_CHAR;
            if (length != SQL_NULL_DATA)
                p.buffer.assign(column.data.data() + column.starts[size_t(r)], size_t(length));
            if (length != SQL_NULL_DATA || p.boundType == 0)
                bind(c, p, cType, false);
            p.length = length;
        }
        executeBound();
    }
}

void ParameterStatement::executeBound() {
    SQLRETURN rc = SQLExecute(m_stmt.get());
    while (rc == SQL_NEED_DATA) {
        SQLPOINTER token = nullptr;
        rc = SQLParamData(m_stmt.get(), &token);
        if (rc != SQL_NEED_DATA)
            break;
        const QByteArray& data = m_parameters[reinterpret_cast<size_t>(token) - 1].pieces;
        for (qsizetype at = 0; at < data.size(); at += pieceBytes)
            m_stmt.check(SQLPutData(m_stmt.get(), const_cast<char*>(data.constData() + at),
                                    SQLLEN(std::min(pieceBytes, data.size() - at))));
    }
    m_stmt.check(rc);
}

// Bound again only when the type, the way or the buffer's place changed, so
// a run of rows mostly binds nothing. A value given at execution is bound
// with its number as its token for SQLParamData.
void ParameterStatement::bind(size_t index, Parameter& p, SQLSMALLINT cType, bool atExecution) {
    const void* at = atExecution ? reinterpret_cast<const void*>(index + 1) : p.buffer.data();
    if (p.boundType == cType && p.atExecution == atExecution && p.boundAt == at)
        return;
    const SQLSMALLINT sqlType = cType == SQL_C_BINARY ? SQL_LONGVARBINARY : SQL_LONGVARCHAR;
    const SQLULEN size = SQLULEN(std::max<size_t>(atExecution ? size_t(p.pieces.size()) : p.buffer.capacity(), 1));
    m_stmt.check(SQLBindParameter(m_stmt.get(), SQLUSMALLINT(index + 1), SQL_PARAM_INPUT, cType, sqlType, size, 0,
                                  const_cast<void*>(at), 0, &p.length));
    p.boundType = cType;
    p.atExecution = atExecution;
    p.boundAt = at;
}

}
