#include "connect/ColumnReader.h"
#include "connect/AdoType.h"
#include <sqlucode.h>

namespace tw {

std::vector<Field> ColumnReader::describe(const StmtHandle& stmt) {
    SQLSMALLINT count = 0;
    stmt.check(SQLNumResultCols(stmt.get(), &count));
    std::vector<Field> fields(count);
    for (SQLUSMALLINT i = 1; i <= count; ++i) {
        SQLWCHAR name[512];
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        stmt.check(SQLDescribeColW(stmt.get(), i, name, SQLSMALLINT(std::size(name)), &nameLength, &sqlType, &size,
                                   &digits, &nullable));
        SQLLEN isUnsigned = SQL_FALSE;
        stmt.check(SQLColAttributeW(stmt.get(), i, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned));
        Field& f = fields[i - 1];
        f.Name = fromWide(name, std::min<qsizetype>(nameLength, std::size(name) - 1));
        f.sqlType = sqlType;
        f.isUnsigned = isUnsigned == SQL_TRUE;
        f.Nullable = nullable != SQL_NO_NULLS;
        f.Type = adoTypeOf(sqlType, f.isUnsigned);
        f.DefinedSize = qint64(size);
        f.Precision = int(std::min<SQLULEN>(size, 255));
        f.NumericScale = digits;
    }
    return fields;
}

namespace {
// One fixed-size value in the C type given, or Null.
template <typename T, typename Make>
Value readScalar(const StmtHandle& stmt, SQLUSMALLINT column, SQLSMALLINT cType, Make make) {
    T v{};
    SQLLEN indicator = 0;
    stmt.check(SQLGetData(stmt.get(), column, cType, &v, sizeof v, &indicator));
    return indicator == SQL_NULL_DATA ? Value() : make(v);
}
}

void ColumnReader::readRow(const StmtHandle& stmt, std::vector<Field>& fields) {
    if (m_bytes.empty()) {
        m_wide.resize(4096);
        m_bytes.resize(8192);
    }
    for (SQLUSMALLINT i = 1; i <= fields.size(); ++i) {
        Field& f = fields[i - 1];
        switch (f.sqlType) {
        case SQL_BIT:
            f.Value = readScalar<unsigned char>(stmt, i, SQL_C_BIT, [](unsigned char b) { return Value::boolean(b != 0); });
            break;
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            f.Value = f.isUnsigned ? readScalar<SQLUBIGINT>(stmt, i, SQL_C_UBIGINT, Value::unsignedInteger)
                                   : readScalar<SQLBIGINT>(stmt, i, SQL_C_SBIGINT, Value::integer);
            break;
        case SQL_REAL:
            f.Value = readScalar<float>(stmt, i, SQL_C_FLOAT, Value::single);
            break;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            f.Value = readScalar<double>(stmt, i, SQL_C_DOUBLE, Value::real);
            break;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            f.Value = readBytes(stmt, i);
            break;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP: {
            Value v = readText(stmt, i);
            f.Value = v.isNull() ? v : Value::text(normalizedTimestamp(v.toText()));
            break;
        }
        default:
            f.Value = readText(stmt, i);
        }
    }
}

Value ColumnReader::readText(const StmtHandle& stmt, SQLUSMALLINT column) {
    if (m_utf8)
        return readUtf8(stmt, column);
    QString text;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLLEN bufferBytes = SQLLEN(m_wide.size() * sizeof(SQLWCHAR));
        SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_WCHAR, m_wide.data(), bufferBytes, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        stmt.check(rc);
        if (indicator == SQL_NULL_DATA)
            return Value();
        const qsizetype room = qsizetype(m_wide.size()) - 1;
        const bool truncated = indicator == SQL_NO_TOTAL || indicator / SQLLEN(sizeof(SQLWCHAR)) > room;
        // A driver may end a piece one unit early rather than split a
        // surrogate pair; its terminator then stands in the last place.
        qsizetype piece = indicator / SQLLEN(sizeof(SQLWCHAR));
        if (truncated)
            piece = m_wide[room - 1] == 0 ? room - 1 : room;
        text += fromWide(m_wide.data(), piece);
        if (!truncated)
            break;
        if (indicator != SQL_NO_TOTAL && m_wide.size() < 1 << 20)
            m_wide.resize(std::min<size_t>(indicator / sizeof(SQLWCHAR) - room + 1, 1 << 20));
    }
    return Value::text(std::move(text));
}

// The pieces are joined before decoding, so a character split between two
// pieces comes out whole.
Value ColumnReader::readUtf8(const StmtHandle& stmt, SQLUSMALLINT column) {
    QByteArray utf8;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLLEN bufferBytes = SQLLEN(m_bytes.size());
        SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_CHAR, m_bytes.data(), bufferBytes, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        stmt.check(rc);
        if (indicator == SQL_NULL_DATA)
            return Value();
        const SQLLEN room = bufferBytes - 1;  // each piece ends with a terminating zero
        const bool truncated = indicator == SQL_NO_TOTAL || indicator > room;
        if (!truncated && utf8.isEmpty())  // the usual short value: decoded without a copy
            return Value::text(QString::fromUtf8(m_bytes.data(), indicator));
        utf8.append(m_bytes.data(), truncated ? room : indicator);
        if (!truncated)
            break;
        if (indicator != SQL_NO_TOTAL && m_bytes.size() < 1 << 22)
            m_bytes.resize(std::min<size_t>(indicator - room + 1, 1 << 22));
    }
    return Value::text(QString::fromUtf8(utf8));
}

Value ColumnReader::readBytes(const StmtHandle& stmt, SQLUSMALLINT column) {
    QByteArray bytes;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLLEN bufferBytes = SQLLEN(m_bytes.size());
        SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_BINARY, m_bytes.data(), bufferBytes, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        stmt.check(rc);
        if (indicator == SQL_NULL_DATA)
            return Value();
        const bool truncated = indicator == SQL_NO_TOTAL || indicator > bufferBytes;
        bytes.append(m_bytes.data(), truncated ? bufferBytes : indicator);
        if (!truncated)
            break;
        if (indicator != SQL_NO_TOTAL && m_bytes.size() < 1 << 22)
            m_bytes.resize(std::min<size_t>(indicator - bufferBytes, 1 << 22));
    }
    return Value::bytes(std::move(bytes));
}

QString normalizedTimestamp(const QString& text) {
    const qsizetype dot = text.indexOf(u'.');
    if (dot != 19 || text.size() < 21)
        return text;
    QString fraction = text.mid(dot + 1);
    for (QChar c : fraction)
        if (!c.isDigit())
            return text;
    bool allZero = true;
    for (QChar c : fraction)
        allZero = allZero && c == u'0';
    if (allZero)
        return text.left(dot);
    while (fraction.size() < 6)
        fraction += u'0';
    return text.left(dot + 1) + fraction;
}

}
