#include "transfer/SourceStream.h"
#include "connect/Connection.h"
#include "connect/DbError.h"
#include "transfer/Literals.h"
#include <QLocale>
#include <algorithm>
#include <map>
#include <sqlext.h>

namespace tw {

namespace {

// Floating-point keys would not read back as the value stored, so a chunk
// could begin at its own last row again.
bool exactKeyType(int sqlType) { return sqlType != SQL_REAL && sqlType != SQL_FLOAT && sqlType != SQL_DOUBLE; }

// The columns of the primary key, or else of the first unique key whose
// columns are all NOT NULL; empty when the table has neither.
QStringList chunkKey(const QString& quotedTable, Connection& source, Yield* whileRunning) {
    Recordset keys;
    keys.Open(QStringLiteral("SHOW KEYS FROM ") + quotedTable, source, -1, -1, whileRunning);
    std::map<QString, std::map<int, QString>> unique;  // key name → place → column
    std::map<QString, bool> nullable;
    std::vector<QString> order;
    for (; !keys.isEOF(); keys.MoveNext()) {
        if (keys.Fields(QStringLiteral("Non_unique")).Value.toText() != u"0")
            continue;
        const QString key = keys.Fields(QStringLiteral("Key_name")).Value.toText();
        if (!unique.count(key))
            order.push_back(key);
        unique[key][keys.Fields(QStringLiteral("Seq_in_index")).Value.toText().toInt()] =
            keys.Fields(QStringLiteral("Column_name")).Value.toText();
        nullable[key] = nullable[key] || !keys.Fields(QStringLiteral("Null")).Value.toText().isEmpty();
    }
    keys.Close();
    if (unique.count(QStringLiteral("PRIMARY")))
        order.insert(order.begin(), QStringLiteral("PRIMARY"));
    for (const QString& key : order) {
        if (nullable[key])
            continue;
        QStringList columns;
        for (const auto& [place, column] : unique[key])
            columns << column;
        return columns;
    }
    return {};
}

// The primary key's columns in its order, from the driver's catalogue.
QStringList primaryKeyOf(const QString& table, Connection& source) {
    Recordset keys = source.OpenSchema(adSchemaPrimaryKeys, table);
    std::map<int, QString> columns;
    for (; !keys.isEOF(); keys.MoveNext())
        columns[keys.Fields(QStringLiteral("ORDINAL")).Value.toText().toInt()] =
            keys.Fields(QStringLiteral("COLUMN_NAME")).Value.toText();
    keys.Close();
    QStringList names;
    for (const auto& [place, column] : columns)
        names << column;
    return names;
}

}

// A key value written so the server compares it exactly as stored: for
// MySQL in any sql_mode, text with a backslash as hexadecimal digits;
// iAnywhere reads backslash escapes, so its backslashes are doubled.
QString ReadKey::literal(const Value& v) const {
    switch (v.kind()) {
    case Value::Kind::Bytes: return mySqlSyntax ? QStringLiteral("X'") + v.toText() + u'\'' : QStringLiteral("0x") + v.toText();
    case Value::Kind::Boolean: return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case Value::Kind::Integer:
    case Value::Kind::Unsigned: return v.toText();
    default: break;
    }
    QString text = v.toText();
    if (mySqlSyntax && text.contains(u'\\'))
        return QStringLiteral("_utf8mb4 X'") + QString::fromLatin1(text.toUtf8().toHex()) + u'\'';
    if (!mySqlSyntax)
        text.replace(u'\\', QLatin1String("\\\\"));
    return u'\'' + text.replace(u'\'', QLatin1String("''")) + u'\'';
}

// MySQL compares rows as a whole; SQL Anywhere takes the comparison column
// by column: a > x OR (a = x AND b > y).
QString ReadKey::columnList() const {
    QStringList quoted;
    for (const QString& column : columns)
        quoted << quotedName(column, quote);
    return quoted.join(QStringLiteral(", "));
}

QString ReadKey::after(const QStringList& key) const {
    QStringList quoted;
    for (const QString& column : columns)
        quoted << quotedName(column, quote);
    if (quoted.size() == 1)
        return quoted.front() + QStringLiteral(" > ") + key.front();
    if (mySqlSyntax)
        return u'(' + columnList() + QStringLiteral(") > (") + key.join(QStringLiteral(", ")) + u')';
    QStringList alternatives;
    for (qsizetype i = 0; i < quoted.size(); ++i) {
        QStringList terms;
        for (qsizetype j = 0; j < i; ++j)
            terms << quoted[j] + QStringLiteral(" = ") + key[j];
        terms << quoted[i] + QStringLiteral(" > ") + key[i];
        alternatives << (terms.size() == 1 ? terms.front() : u'(' + terms.join(QStringLiteral(" AND ")) + u')');
    }
    return u'(' + alternatives.join(QStringLiteral(" OR ")) + u')';
}

QString whereClause(const QString& condition) {
    return condition.isEmpty() ? QString() : QStringLiteral(" WHERE (") + condition + u')';
}

long long countRows(const QString& table, QChar quote, Connection& source, Yield* whileRunning, const QString& condition) {
    Recordset count;
    count.Open(QStringLiteral("SELECT COUNT(*) FROM ") + quotedName(table, quote) + whereClause(condition), source, -1, -1,
               whileRunning);
    const long long n = count.Fields(0).Value.toText().toLongLong();
    count.Close();
    return n;
}

void SourceStream::Open(const SourceRead& read, Connection& source, Yield* whileRunning) {
    m_source = &source;
    m_select = QStringLiteral("SELECT * FROM ") + quotedName(read.table, read.quote);
    m_condition = read.condition;
    m_chunks = read.keyedChunks;
    m_quote = read.quote;
    m_lastKey.clear();
    m_ended = false;
    m_chunkLimit = firstChunkRows;
    m_bytesRead = 0;
    m_rowsMeasured = 0;
    if (findKey(read.table, source, whileRunning) && !read.after.isEmpty()) {
        if (m_chunks)
            m_lastKey = read.after;
        else
            m_condition = (m_condition.isEmpty() ? QString() : u'(' + m_condition + QStringLiteral(") AND ")) +
                          m_key.after(read.after);
    }
    openChunk(whileRunning);
}

// The key the rows are read in the order of: for chunks the primary key or
// a unique key on NOT NULL columns, else the primary key. Its columns'
// types are learnt from a SELECT that reads no row. False for none.
bool SourceStream::findKey(const QString& table, Connection& source, Yield* whileRunning) {
    m_key = ReadKey{.columns = {}, .fields = {}, .mySqlSyntax = m_chunks, .quote = m_quote};
    const QStringList names = m_chunks ? chunkKey(quotedName(table, m_quote), source, whileRunning)
                                       : primaryKeyOf(table, source);
    if (names.isEmpty())
        return false;
    Recordset shape;
    shape.Open(m_select + QStringLiteral(" WHERE 1 = 0"), source, -1, -1, whileRunning);
    for (const QString& name : names)
        for (int i = 0; i < shape.fieldCount(); ++i)
            if (shape.Fields(i).Name.compare(name, Qt::CaseInsensitive) == 0 && exactKeyType(shape.Fields(i).sqlType))
                m_key.fields.push_back(i);
    shape.Close();
    // A key that cannot be compared exactly: the table is read in no order.
    if (m_key.fields.size() != size_t(names.size())) {
        m_key.fields.clear();
        return false;
    }
    m_key.columns = names;
    return true;
}

QString SourceStream::chunkSql() const {
    if (!m_key.exists())
        return m_select + whereClause(m_condition);
    const QString keys = m_key.columnList();
    if (!m_chunks)
        return m_select + whereClause(m_condition) + QStringLiteral(" ORDER BY ") + keys;
    QString sql = m_select;
    if (!m_lastKey.isEmpty()) {
        const QString after = m_key.after(m_lastKey);
        sql += m_condition.isEmpty() ? QStringLiteral(" WHERE ") + after
                                     : whereClause(m_condition) + QStringLiteral(" AND ") + after;
    } else {
        sql += whereClause(m_condition);
    }
    return sql + QStringLiteral(" ORDER BY ") + keys + QStringLiteral(" LIMIT ") + QString::number(m_chunkLimit);
}

void SourceStream::openChunk(Yield* whileRunning) {
    m_rows.Open(chunkSql(), *m_source, -1, -1, whileRunning);
    m_rowsInChunk = m_rows.isEOF() ? 0 : 1;
    measureRow();
}

// What the driver holds for the current row, near enough: its values and a
// length and a pointer for each.
qsizetype SourceStream::currentRowBytes() const {
    qsizetype bytes = 0;
    for (int i = 0; i < m_rows.fieldCount(); ++i)
        bytes += m_rows.Fields(i).Value.heldBytes() + qsizetype(2 * sizeof(void*));
    return bytes;
}

// A row read in chunks is measured as it arrives, before a reader takes its
// values: what it holds sizes the next chunk, and a full chunk's last row is
// the one the next chunk starts after.
void SourceStream::measureRow() {
    if (!m_chunks || !m_key.exists() || m_rows.isEOF())
        return;
    m_bytesRead += currentRowBytes();
    ++m_rowsMeasured;
    if (m_rowsInChunk == m_chunkLimit)
        m_lastKey = m_key.of(m_rows);
}

void SourceStream::MoveNext() {
    m_rows.MoveNext();
    if (!m_chunks || !m_key.exists() || !m_rows.isEOF()) {
        ++m_rowsInChunk;
        measureRow();
        return;
    }
    // A short chunk was the last; a full one may have more after it.
    if (m_rowsInChunk < m_chunkLimit)
        return;
    m_rows.Close();
    m_chunkLimit = std::clamp<long long>(chunkBytes * m_rowsMeasured / std::max<qsizetype>(m_bytesRead, 1), 1, maxChunkRows);
    try {
        openChunk(nullptr);
    } catch (...) {
        m_ended = true;
        throw;
    }
}

// After a chunk that failed to open there is nothing left to close.
void SourceStream::Close() {
    if (!m_ended || m_rows.isOpen())
        m_rows.Close();
}

QString SourceStream::path() const {
    if (!m_key.exists())
        return QStringLiteral("as one result");
    if (!m_chunks)
        return QStringLiteral("in key order, as one result");
    return QStringLiteral("in key order, up to ") + QLocale(QLocale::English).toString(maxChunkRows) +
           QStringLiteral(" rows or ") + QString::number(chunkBytes / (1024 * 1024)) + QStringLiteral(" MB a chunk");
}

}
