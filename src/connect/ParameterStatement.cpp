#include "connect/ParameterStatement.h"
#include "connect/Connection.h"
#include "connect/DbError.h"

namespace tw {

namespace {
// Values are sent in pieces of this many bytes, well under any packet limit.
constexpr qsizetype pieceBytes = 1 << 20;

struct Parameter {
    QByteArray data;  // UTF-8 text or the bytes
    SQLLEN length = 0;  // the indicator: data at execution, or NULL
};
}

ParameterStatement::ParameterStatement(Connection& connection, const QString& sql)
    : m_stmt(connection.takeStatement()) {
    m_stmt.check(SQLPrepareW(m_stmt.get(), const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS));
}

void executeWithParameters(Connection& connection, const QString& sql, const std::vector<BoundValue>& values) {
    ParameterStatement(connection, sql).execute(values);
}

void ParameterStatement::execute(const std::vector<BoundValue>& values) {
    const StmtHandle& stmt = m_stmt;
    std::vector<Parameter> parameters(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const BoundValue& v = values[i];
        Parameter& p = parameters[i];
        const bool bytes = v.kind == BoundValue::Kind::Bytes;
        if (v.kind == BoundValue::Kind::Null) {
            p.length = SQL_NULL_DATA;
        } else {
            p.data = bytes ? v.bytes : v.text.toUtf8();
            p.length = SQL_LEN_DATA_AT_EXEC(SQLLEN(p.data.size()));
        }
        // The parameter's number is its token for SQLParamData.
        stmt.check(SQLBindParameter(stmt.get(), SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, bytes ? SQL_C_BINARY : SQL_C_CHAR,
                                    bytes ? SQL_LONGVARBINARY : SQL_LONGVARCHAR, SQLULEN(std::max<qsizetype>(p.data.size(), 1)),
                                    0, reinterpret_cast<SQLPOINTER>(i + 1), 0, &p.length));
    }
    SQLRETURN rc = SQLExecute(stmt.get());
    while (rc == SQL_NEED_DATA) {
        SQLPOINTER token = nullptr;
        rc = SQLParamData(stmt.get(), &token);
        if (rc != SQL_NEED_DATA)
            break;
        const QByteArray& data = parameters[reinterpret_cast<size_t>(token) - 1].data;
        if (data.isEmpty())
            stmt.check(SQLPutData(stmt.get(), const_cast<char*>(""), 0));
        for (qsizetype at = 0; at < data.size(); at += pieceBytes)
            stmt.check(SQLPutData(stmt.get(), const_cast<char*>(data.constData() + at),
                                  SQLLEN(std::min(pieceBytes, data.size() - at))));
    }
    stmt.check(rc);
}

}
