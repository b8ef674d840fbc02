#include "connect/ColumnReader.h"
#include "connect/AdoType.h"
#include "connect/DbError.h"
#include <algorithm>
#include <cstring>
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

namespace {
// The C type a column is bound with and its buffer's size, or 0 where its
// values may be longer than a buffer is worth.
std::pair<SQLSMALLINT, size_t> bindingFor(const Field& f, bool utf8) {
    switch (f.sqlType) {
    // Not SQL_C_BIT: MariaDB's driver leaves a bound SQL_C_BIT column's
    // indicator at SQL_NULL_DATA on every row after its first NULL.
    case SQL_BIT: return {SQL_C_UTINYINT, sizeof(unsigned char)};
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: return {f.isUnsigned ? SQL_C_UBIGINT : SQL_C_SBIGINT, sizeof(SQLBIGINT)};
    case SQL_REAL: return {SQL_C_FLOAT, sizeof(float)};
    case SQL_FLOAT:
    case SQL_DOUBLE: return {SQL_C_DOUBLE, sizeof(double)};
    case SQL_LONGVARBINARY:
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: return {0, 0};
    default: break;
    }
    constexpr qint64 longest = 1024;  // characters or bytes
    if (f.DefinedSize <= 0 || f.DefinedSize > longest)
        return {0, 0};
    if (f.sqlType == SQL_BINARY || f.sqlType == SQL_VARBINARY)
        return {SQL_C_BINARY, size_t(f.DefinedSize)};
    // Room for a sign, a point and a fraction beyond the declared size, each
    // character at its longest, and the terminator.
    const size_t characters = size_t(f.DefinedSize) + 8;
    return utf8 ? std::pair<SQLSMALLINT, size_t>{SQL_C_CHAR, characters * 4 + 1}
                : std::pair<SQLSMALLINT, size_t>{SQL_C_WCHAR, (characters * 2 + 1) * sizeof(SQLWCHAR)};
}

bool truncated(SQLSMALLINT cType, SQLLEN indicator, size_t capacity) {
    if (indicator == SQL_NULL_DATA)
        return false;
    if (indicator == SQL_NO_TOTAL)
        return true;
    const size_t terminator = cType == SQL_C_CHAR ? 1 : cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 0;
    return cType == SQL_C_CHAR || cType == SQL_C_WCHAR || cType == SQL_C_BINARY
               ? size_t(indicator) + terminator > capacity
               : false;
}

template <typename T>
T scalarAt(const std::vector<char>& buffer) {
    T v;
    std::memcpy(&v, buffer.data(), sizeof v);
    return v;
}
}

void ColumnReader::bindColumns(const StmtHandle& stmt, const std::vector<Field>& fields,
                               SQLUINTEGER getDataExtensions) {
    m_bound.assign(fields.size(), BoundColumn());
    m_rereadsBound = (getDataExtensions & SQL_GD_BOUND) != 0;
    const bool anyColumn = (getDataExtensions & SQL_GD_ANY_COLUMN) != 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto [cType, size] = bindingFor(fields[i], m_utf8);
        if (cType == 0) {
            if (anyColumn)
                continue;
            break;
        }
        BoundColumn& b = m_bound[i];
        b.buffer.resize(size);
        if (!SQL_SUCCEEDED(SQLBindCol(stmt.get(), SQLUSMALLINT(i + 1), cType, b.buffer.data(), SQLLEN(size),
                                      &b.indicator))) {
            SQLFreeStmt(stmt.get(), SQL_UNBIND);  // the driver reads value by value
            m_bound.clear();
            return;
        }
        b.cType = cType;
    }
}

namespace {
// How long a time stamp's text is with its fraction six digits long, or none
// where the fraction is zero; its own length where it holds no fraction to
// make so. The same for UTF-16 and UTF-8: a time stamp's characters are ASCII.
template <typename Char>
qsizetype normalizedLength(const Char* text, qsizetype size) {
    qsizetype dot = 0;
    while (dot < size && text[dot] != '.')
        ++dot;
    if (dot != 19 || size < 21)
        return size;
    bool allZero = true;
    for (qsizetype i = dot + 1; i < size; ++i) {
        const auto c = text[i];
        if (c < '0' || c > '9')
            return size;
        allZero = allZero && c == '0';
    }
    return allZero ? dot : std::max<qsizetype>(size, dot + 7);
}

// The same in a buffer, where it lies; a bound column's buffer has room for
// the fraction's digits beyond the declared size.
template <typename Char>
qsizetype normalizedInPlace(Char* text, qsizetype size, qsizetype room) {
    const qsizetype length = std::min(normalizedLength(text, size), room);
    if (length > size)
        std::fill(text + size, text + length, Char('0'));
    return length;
}

template <typename Text>
Text normalized(const Text& text) {
    const qsizetype length = normalizedLength(text.constData(), text.size());
    return length <= text.size() ? text.left(length) : text + Text(length - text.size(), '0');
}
}

Value ColumnReader::boundValue(const BoundColumn& b) const {
    if (b.indicator == SQL_NULL_DATA)
        return Value();
    switch (b.cType) {
    case SQL_C_UTINYINT: return Value::boolean(scalarAt<unsigned char>(b.buffer) != 0);
    case SQL_C_SBIGINT: return Value::integer(scalarAt<SQLBIGINT>(b.buffer));
    case SQL_C_UBIGINT: return Value::unsignedInteger(scalarAt<SQLUBIGINT>(b.buffer));
    case SQL_C_FLOAT: return Value::single(scalarAt<float>(b.buffer));
    case SQL_C_DOUBLE: return Value::real(scalarAt<double>(b.buffer));
    default: return Value::bytes(QByteArray(b.buffer.data(), b.indicator));
    }
}

// Text goes from the buffer into the room the value already has, a time
// stamp made normal where it lies. False for a column that holds no text.
bool ColumnReader::readBoundText(BoundColumn& b, bool timestamp, Value& into) {
    if (b.indicator == SQL_NULL_DATA)
        return false;
    if (b.cType == SQL_C_CHAR) {
        char* text = b.buffer.data();
        const qsizetype room = qsizetype(b.buffer.size());
        into.setUtf8Text(QByteArrayView(text, timestamp ? normalizedInPlace(text, b.indicator, room) : b.indicator));
        return true;
    }
    if (b.cType == SQL_C_WCHAR) {
        auto* text = reinterpret_cast<char16_t*>(b.buffer.data());
        const qsizetype units = b.indicator / qsizetype(sizeof(SQLWCHAR));
        const qsizetype room = qsizetype(b.buffer.size() / sizeof(SQLWCHAR));
        into.setText(QStringView(text, timestamp ? normalizedInPlace(text, units, room) : units));
        return true;
    }
    return false;
}

void ColumnReader::readRow(const StmtHandle& stmt, std::vector<Field>& fields) {
    for (SQLUSMALLINT i = 1; i <= fields.size(); ++i) {
        Field& f = fields[i - 1];
        const BoundColumn* b = i <= m_bound.size() && m_bound[i - 1].cType != 0 ? &m_bound[i - 1] : nullptr;
        const bool cut = b && truncated(b->cType, b->indicator, b->buffer.size());
        if (cut && !m_rereadsBound)
            throw DbError(QStringLiteral("The value of column %1 (%2) is longer than the column's declared size, and "
                                         "the driver cannot read it again")
                              .arg(i)
                              .arg(f.Name));
        const bool timestamp = f.sqlType == SQL_TYPE_TIMESTAMP || f.sqlType == SQL_TIMESTAMP;
        if (b && !cut && readBoundText(m_bound[i - 1], timestamp, f.Value))
            continue;
        if (b && !cut)
            f.Value = boundValue(*b);
        else
            readColumn(stmt, i, f, f.Value);
        if (timestamp && !f.Value.isNull())
            f.Value = normalizedTimestamp(f.Value);
    }
}

// One value with SQLGetData, long ones in pieces.
void ColumnReader::readColumn(const StmtHandle& stmt, SQLUSMALLINT column, const Field& f, Value& into) {
    if (m_bytes.empty()) {
        m_wide.resize(4096);
        m_bytes.resize(8192);
    }
    switch (f.sqlType) {
    case SQL_BIT:
        into = readScalar<unsigned char>(stmt, column, SQL_C_BIT, [](unsigned char b) { return Value::boolean(b != 0); });
        return;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        into = f.isUnsigned ? readScalar<SQLUBIGINT>(stmt, column, SQL_C_UBIGINT, Value::unsignedInteger)
                            : readScalar<SQLBIGINT>(stmt, column, SQL_C_SBIGINT, Value::integer);
        return;
    case SQL_REAL:
        into = readScalar<float>(stmt, column, SQL_C_FLOAT, Value::single);
        return;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        into = readScalar<double>(stmt, column, SQL_C_DOUBLE, Value::real);
        return;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        into = readBytes(stmt, column);
        return;
    default:
        if (m_utf8)
            readUtf8(stmt, column, into);
        else
            into = readText(stmt, column);
    }
}

Value ColumnReader::readText(const StmtHandle& stmt, SQLUSMALLINT column) {
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

// The pieces are joined as bytes, so a character split between two pieces
// comes out whole.
void ColumnReader::readUtf8(const StmtHandle& stmt, SQLUSMALLINT column, Value& into) {
    QByteArray utf8;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLLEN bufferBytes = SQLLEN(m_bytes.size());
        SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_CHAR, m_bytes.data(), bufferBytes, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        stmt.check(rc);
        if (indicator == SQL_NULL_DATA) {
            into = Value();
            return;
        }
        const SQLLEN room = bufferBytes - 1;  // each piece ends with a terminating zero
        const bool truncated = indicator == SQL_NO_TOTAL || indicator > room;
        if (!truncated && utf8.isEmpty()) {  // the usual short value
            into.setUtf8Text(QByteArrayView(m_bytes.data(), indicator));
            return;
        }
        utf8.append(m_bytes.data(), truncated ? room : indicator);
        if (!truncated)
            break;
        if (indicator != SQL_NO_TOTAL && m_bytes.size() < 1 << 22)
            m_bytes.resize(std::min<size_t>(indicator - room + 1, 1 << 22));
    }
    into = Value::utf8Text(std::move(utf8));
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

QString normalizedTimestamp(const QString& text) { return normalized(text); }

// Text read as UTF-8 stays so: a time stamp is not widened to be trimmed.
Value normalizedTimestamp(const Value& v) {
    if (v.isNull())
        return v;
    if (const QByteArray* utf8 = v.utf8())
        return Value::utf8Text(normalized(*utf8));
    return Value::text(normalized(v.toText()));
}

}
