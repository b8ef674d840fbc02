#include "transfer/ResumeStart.h"
#include "connect/Connection.h"
#include "connect/Recordset.h"
#include "transfer/SourceStream.h"
#include "transfer/TransferDirection.h"
#include <QLocale>
#include <sqlext.h>

namespace tw {

namespace {

QString count(long long n) { return QLocale(QLocale::English).toString(n); }

bool isExactNumber(int sqlType) {
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_DECIMAL:
    case SQL_NUMERIC: return true;
    default: return false;
    }
}

QString both(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() ? b : a;
    return u'(' + a + QStringLiteral(") AND (") + b + u')';
}

// What the source reads: the key columns of its rows that meet the condition.
struct SourceKey {
    ReadKey key;
    QString condition;
    QString select;  // SELECT the key's columns FROM the table
    std::vector<Field> fields;  // the key's columns as the source describes them

    QString between(const QStringList& after, const QStringList& through) const {
        QString range = after.isEmpty() ? QString() : key.after(after);
        return both(both(condition, range), QStringLiteral("NOT (") + key.after(through) + u')');
    }

    // A value of the target's copy as the source reads it: numbers bare,
    // so that "17784.000000" meets the integer 17784 exactly.
    QStringList literalsOf(const Recordset& row) const {
        QStringList literals;
        for (size_t i = 0; i < fields.size(); ++i) {
            const Value& v = row.Fields(int(i)).Value;
            QString text = v.toText();
            if (isExactNumber(fields[i].sqlType) && v.kind() == Value::Kind::Text && text.contains(u'.')) {
                while (text.endsWith(u'0'))
                    text.chop(1);
                if (text.endsWith(u'.'))
                    text.chop(1);
                literals << text;
            } else {
                literals << key.literal(v);
            }
        }
        return literals;
    }
};

SourceKey sourceKey(const ResumePoint& point, const QString& table, const QString& condition, const DatabaseSide& side,
                    Connection& source, Yield* whileRunning) {
    SourceKey s{.key = {.columns = point.keyColumns, .fields = {}, .mySqlSyntax = side.readsKeyChunks, .quote = side.quote},
                .condition = condition,
                .select = {},
                .fields = {}};
    s.select = QStringLiteral("SELECT ") + s.key.columnList() + QStringLiteral(" FROM ") +
               quotedName(table, side.quote);
    Recordset shape;
    shape.Open(s.select + QStringLiteral(" WHERE 1 = 0"), source, -1, -1, whileRunning);
    for (int i = 0; i < shape.fieldCount(); ++i)
        s.fields.push_back(shape.Fields(i));
    shape.Close();
    return s;
}

// The target's largest key, in the target's own order; empty for no rows.
std::optional<QStringList> largestKey(const ResumePoint& point, const SourceKey& source, const DatabaseSide& side,
                                      Connection& target, Yield* whileRunning) {
    QStringList columns, descending;
    for (const QString& column : point.keyColumns) {
        columns << quotedName(column, side.quote);
        descending << quotedName(column, side.quote) + QStringLiteral(" DESC");
    }
    const QString from = columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + quotedName(point.into, side.quote) +
                         QStringLiteral(" ORDER BY ") + descending.join(QStringLiteral(", "));
    Recordset rs;
    rs.Open(side.readsKeyChunks ? QStringLiteral("SELECT ") + from + QStringLiteral(" LIMIT 1")
                                : QStringLiteral("SELECT TOP 1 ") + from,
            target, -1, -1, whileRunning);
    std::optional<QStringList> key;
    if (!rs.isEOF())
        key = source.literalsOf(rs);
    rs.Close();
    return key;
}

// The key of the source's n-th row after a key.
QStringList keyAfter(const SourceKey& s, const QStringList& after, long long n, Connection& source, Yield* whileRunning) {
    Recordset rs;
    rs.Open(s.select + whereClause(both(s.condition, after.isEmpty() ? QString() : s.key.after(after))) +
                QStringLiteral(" ORDER BY ") + s.key.columnList() +
                // MariaDB's driver would hold the whole result; SQL Anywhere's streams it.
                (s.key.mySqlSyntax ? QStringLiteral(" LIMIT ") + QString::number(n) : QString()),
            source, -1, -1, whileRunning);
    for (long long i = 1; i < n && !rs.isEOF(); ++i)
        rs.MoveNext();
    if (rs.isEOF())
        throw ResumeRefused(QStringLiteral("the source holds fewer rows after the last one settled than the target took"));
    QStringList key;
    for (int i = 0; i < rs.fieldCount(); ++i)
        key << s.key.literal(rs.Fields(i).Value);
    rs.Close();
    return key;
}

// Where to go on, and the conditions on the rows on either side of it.
ResumeStart startAfter(const SourceKey& s, const QStringList& after, long long arrived) {
    if (after.isEmpty())
        return {after, arrived, s.condition, {}};
    return {after, arrived, both(s.condition, s.key.after(after)),
            both(s.condition, QStringLiteral("NOT (") + s.key.after(after) + u')')};
}

}

ResumeStart resumeStart(const ResumePoint& point, const QString& table, const QString& condition,
                        const DatabaseSide& sourceSide, Connection& source, const DatabaseSide& targetSide,
                        Connection& target, Yield* whileRunning) {
    const long long accounted = point.rowsBefore + point.rowsAccepted;
    const long long arrived = countRows(point.into, targetSide.quote, target, whileRunning) - accounted;
    if (arrived < 0 || arrived > point.rowsInDoubt)
        throw ResumeRefused(QStringLiteral("%1 holds %2 rows, where the copy so far accounts for %3 and %4 in doubt")
                                .arg(point.into, count(arrived + accounted), count(accounted), count(point.rowsInDoubt)));
    const SourceKey s = sourceKey(point, table, condition, sourceSide, source, whileRunning);
    if (point.appended)
        return startAfter(s, arrived == 0 ? point.lastKey : keyAfter(s, point.lastKey, arrived, source, whileRunning),
                          arrived);
    const std::optional<QStringList> largest = largestKey(point, s, targetSide, target, whileRunning);
    if (!largest)
        return startAfter(s, point.lastKey, arrived);
    const long long between = countRows(table, sourceSide.quote, source, whileRunning, s.between(point.lastKey, *largest));
    if (between != arrived)
        throw ResumeRefused(QStringLiteral("the largest key in %1, %2, lies %3 rows after the last one settled, where %4 "
                                           "rows in doubt arrived")
                                .arg(point.into, largest->join(QStringLiteral(", ")), count(between), count(arrived)));
    return startAfter(s, arrived == 0 ? point.lastKey : *largest, arrived);
}

}
