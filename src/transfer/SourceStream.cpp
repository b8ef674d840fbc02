#include "transfer/SourceStream.h"
#include "connect/Connection.h"
#include "connect/DbError.h"
#include "transfer/Literals.h"
#include <QLocale>
#include <map>
#include <sqlext.h>

namespace tw {

namespace {

// A key value written so the server compares it exactly as stored, in any
// sql_mode: text with a backslash goes as hexadecimal digits.
QString keyLiteral(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Bytes: return QStringLiteral("X'") + v.toText() + u'\'';
    case Value::Kind::Boolean: return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case Value::Kind::Integer:
    case Value::Kind::Unsigned: return v.toText();
    default: break;
    }
    const QString text = v.toText();
    if (text.contains(u'\\'))
        return QStringLiteral("_utf8mb4 X'") + QString::fromLatin1(text.toUtf8().toHex()) + u'\'';
    return u'\'' + QString(text).replace(u'\'', QLatin1String("''")) + u'\'';
}

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

void SourceStream::Open(const QString& table, QChar quote, bool keyedChunks, Connection& source, Yield* whileRunning,
                        const QString& condition) {
    m_source = &source;
    m_select = QStringLiteral("SELECT * FROM ") + quotedName(table, quote);
    m_condition = condition;
    m_keyColumns.clear();
    m_keyFields.clear();
    m_lastKey.clear();
    m_ended = false;
    if (keyedChunks)
        for (const QString& column : chunkKey(quotedName(table, quote), source, whileRunning))
            m_keyColumns << quotedName(column, quote);
    openChunk(whileRunning);
    if (m_keyColumns.isEmpty())
        return;
    for (const QString& column : m_keyColumns) {
        const QString bare = column.mid(1, column.size() - 2).replace(QString(2, quote), QString(quote));
        for (int i = 0; i < fieldCount(); ++i)
            if (Fields(i).Name.compare(bare, Qt::CaseInsensitive) == 0 && exactKeyType(Fields(i).sqlType))
                m_keyFields.push_back(i);
    }
    if (m_keyFields.size() != size_t(m_keyColumns.size())) {
        // A key that cannot be compared exactly: read the table whole.
        m_rows.Close();
        m_keyColumns.clear();
        m_keyFields.clear();
        openChunk(whileRunning);
    }
}

QString SourceStream::chunkSql() const {
    if (m_keyColumns.isEmpty())
        return m_select + whereClause(m_condition);
    const QString keys = m_keyColumns.join(QStringLiteral(", "));
    QString sql = m_select;
    if (!m_lastKey.isEmpty()) {
        const QString after = m_keyColumns.size() == 1
                                  ? keys + QStringLiteral(" > ") + m_lastKey.front()
                                  : u'(' + keys + QStringLiteral(") > (") + m_lastKey.join(QStringLiteral(", ")) + u')';
        sql += m_condition.isEmpty() ? QStringLiteral(" WHERE ") + after
                                     : whereClause(m_condition) + QStringLiteral(" AND ") + after;
    } else {
        sql += whereClause(m_condition);
    }
    return sql + QStringLiteral(" ORDER BY ") + keys + QStringLiteral(" LIMIT ") + QString::number(chunkRows);
}

void SourceStream::openChunk(Yield* whileRunning) {
    m_rows.Open(chunkSql(), *m_source, -1, -1, whileRunning);
    m_rowsInChunk = m_rows.isEOF() ? 0 : 1;
}

void SourceStream::MoveNext() {
    if (!m_keyColumns.isEmpty() && !m_rows.isEOF()) {
        m_lastKey.clear();
        for (int i : m_keyFields)
            m_lastKey << keyLiteral(Fields(i).Value);
    }
    m_rows.MoveNext();
    if (m_keyColumns.isEmpty() || !m_rows.isEOF()) {
        ++m_rowsInChunk;
        return;
    }
    // A short chunk was the last; a full one may have more after it.
    if (m_rowsInChunk < chunkRows)
        return;
    m_rows.Close();
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
    if (m_keyColumns.isEmpty())
        return QStringLiteral("as one result");
    return QStringLiteral("in key order, ") + QLocale(QLocale::English).toString(chunkRows) + QStringLiteral(" rows a chunk");
}

}
