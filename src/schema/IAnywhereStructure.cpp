#include "schema/StructureReaders.h"
#include "connect/Connection.h"
#include "connect/Recordset.h"
#include "schema/CatalogueRows.h"
#include "schema/SqlText.h"
#include <sql.h>
#include <sqlext.h>
#include <QRegularExpression>
#include <QScopeGuard>
#include <map>
#include <utility>

namespace tw {

namespace {

int number(const Recordset& rs, const char* column) { return text(rs, column).toInt(); }



SqlType typeOf(const Recordset& rs) {
    using K = SqlType::Kind;
    SqlType t;
    t.declared = text(rs, "TYPE_NAME").toLower();
    t.isUnsigned = t.declared.contains(QLatin1String("unsigned"));
    const qint64 size = text(rs, "COLUMN_SIZE").toLongLong();
    switch (number(rs, "DATA_TYPE")) {
    case SQL_TINYINT: t = {K::Integer, 1, true, 0, 0, 0, false, t.declared}; break;  // unsigned in iAnywhere
    case SQL_SMALLINT: t.kind = K::Integer; t.bytes = 2; break;
    case SQL_INTEGER: t.kind = K::Integer; t.bytes = 4; break;
    case SQL_BIGINT: t.kind = K::Integer; t.bytes = 8; break;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        t.kind = K::Decimal;
        t.precision = int(size);
        t.scale = number(rs, "DECIMAL_DIGITS");
        break;
    case SQL_REAL: t.kind = K::Real; break;
    case SQL_FLOAT:
    case SQL_DOUBLE: t.kind = K::Double; break;
    case SQL_TYPE_DATE:
    case SQL_DATE: t.kind = K::Date; break;
    case SQL_TYPE_TIME:
    case SQL_TIME: t.kind = K::Time; t.scale = 6; break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: t.kind = K::DateTime; t.scale = 6; break;
    case SQL_CHAR:
    case SQL_WCHAR: t.kind = K::Text; t.fixed = true; t.length = size; break;
    case SQL_VARCHAR:
    case SQL_WVARCHAR: t.kind = K::Text; t.length = size; break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: t.kind = K::Text; break;
    case SQL_BINARY: t.kind = K::Bytes; t.fixed = true; t.length = size; break;
    case SQL_VARBINARY: t.kind = K::Bytes; t.length = size; break;
    case SQL_LONGVARBINARY: t.kind = K::Bytes; break;
    case SQL_BIT: t.kind = K::Bit; t.precision = 1; break;
    default: break;
    }
    return t;
}

// iAnywhere's default as its catalogue writes it: 'text', 12, NULL,
// autoincrement, current timestamp, timestamp (set by every UPDATE too).
void readDefault(const QString& d, ColumnStructure& c) {
    using K = ColumnDefault::Kind;
    const QString lower = d.trimmed().toLower();
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?([eE][-+]?[0-9]+)?$"));
    if (lower.isEmpty() || lower == u"null")
        return;  // NULL is what a column that takes it has anyway
    if (lower == u"autoincrement" || lower == u"identity")
        c.autoIncrement = true;
    else if (lower == u"current timestamp" || lower == u"current_timestamp")
        c.defaultValue = {K::CurrentTimestamp, {}};
    else if (lower == u"timestamp") {
        c.defaultValue = {K::CurrentTimestamp, {}};
        c.updatesToNow = true;
    } else if (lower == u"current date")
        c.defaultValue = {K::CurrentDate, {}};
    else if (d.size() >= 2 && d.startsWith(u'\'') && d.endsWith(u'\''))
        c.defaultValue = {K::Literal, d.mid(1, d.size() - 2).replace(QLatin1String("''"), QLatin1String("'"))};
    else if (number.match(lower).hasMatch())
        c.defaultValue = {K::Literal, d.trimmed()};
    else
        c.defaultValue = {K::Expression, d};
}

void readColumns(Connection& iany, TableStructure& s) {
    eachRow(iany.OpenSchema(adSchemaColumns, s.name), [&](const Recordset& rs) {
        if (text(rs, "TABLE_NAME") != s.name)
            return;
        ColumnStructure c;
        c.name = text(rs, "COLUMN_NAME");
        c.type = typeOf(rs);
        c.nullable = number(rs, "NULLABLE") != SQL_NO_NULLS;
        readDefault(text(rs, "COLUMN_DEF"), c);
        c.comment = text(rs, "REMARKS");
        s.columns.push_back(c);
    });
}

// iAnywhere's times keep six digits of fraction whatever the values hold;
// MySQL keeps as many as its column declares. A column whose values all
// fall on whole seconds takes none, as it most likely had at its origin.
void readFractionsUsed(Connection& iany, TableStructure& s, Yield* whileWaiting) {
    QStringList timed;
    std::vector<ColumnStructure*> columns;
    for (ColumnStructure& c : s.columns)
        if (c.type.kind == SqlType::Kind::Time || c.type.kind == SqlType::Kind::DateTime) {
            timed << quotedName(c.name, u'"');
            columns.push_back(&c);
            c.type.scale = 0;
        }
    if (timed.isEmpty())
        return;
    // Read as it comes, not held whole: the table may be large.
    const int location = std::exchange(iany.CursorLocation, CursorLocationCode::Server);
    const auto restore = qScopeGuard([&] { iany.CursorLocation = location; });
    Recordset rs;
    rs.Open(QStringLiteral("SELECT ") + timed.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + quotedName(s.name, u'"'), iany,
            -1, -1, whileWaiting);
    for (; rs.isOpen() && !rs.isEOF(); rs.MoveNext())
        for (size_t j = 0; j < columns.size(); ++j)
            if (columns[j]->type.scale == 0 && rs.Fields(int(j)).Value.toText().contains(u'.'))
                columns[j]->type.scale = 6;
    rs.Close();
}

void readPrimaryKey(Connection& iany, TableStructure& s) {
    std::map<int, QString> ordered;
    eachRow(iany.OpenSchema(adSchemaPrimaryKeys, s.name),
            [&](const Recordset& rs) { ordered[number(rs, "ORDINAL")] = text(rs, "COLUMN_NAME"); });
    for (const auto& [position, column] : ordered)
        s.primaryKey << column;
}

QString ruleOf(int rule) {
    switch (rule) {
    case SQL_CASCADE: return QStringLiteral("CASCADE");
    case SQL_SET_NULL: return QStringLiteral("SET NULL");
    case SQL_SET_DEFAULT: return QStringLiteral("SET DEFAULT");
    default: return QStringLiteral("RESTRICT");
    }
}

void readForeignKeys(Connection& iany, TableStructure& s) {
    eachRow(iany.OpenSchema(adSchemaForeignKeys, s.name), [&](const Recordset& rs) {
        const QString name = text(rs, "FK_NAME");
        if (number(rs, "KEY_SEQ") == 1 || s.foreignKeys.empty() || s.foreignKeys.back().name != name)
            s.foreignKeys.push_back({name, {}, text(rs, "PKTABLE_NAME"), {}, ruleOf(number(rs, "DELETE_RULE")),
                                     ruleOf(number(rs, "UPDATE_RULE"))});
        s.foreignKeys.back().columns << text(rs, "FKCOLUMN_NAME");
        s.foreignKeys.back().referencedColumns << text(rs, "PKCOLUMN_NAME");
    });
}

// The indexes besides the primary key's and those iAnywhere keeps for its
// foreign keys, which the keys bring with them.
void readIndexes(Connection& iany, TableStructure& s) {
    std::map<QString, IndexStructure> byName;
    QStringList order;
    eachRow(iany.OpenSchema(adSchemaIndexes, s.name), [&](const Recordset& rs) {
        if (number(rs, "TYPE") == SQL_TABLE_STAT)
            return;
        const QString name = text(rs, "INDEX_NAME");
        if (!byName.count(name))
            order << name;
        IndexStructure& index = byName[name];
        index.name = name;
        index.unique = number(rs, "NON_UNIQUE") == SQL_FALSE;
        index.columns << text(rs, "COLUMN_NAME");
    });
    for (const QString& name : order) {
        const IndexStructure& index = byName[name];
        const bool keys = index.unique && index.columns == s.primaryKey;
        const bool foreign = std::any_of(s.foreignKeys.begin(), s.foreignKeys.end(),
                                         [&](const ForeignKeyStructure& k) { return k.name == name; });
        if (!keys && !foreign)
            s.indexes.push_back(index);
    }
}

void readTableComment(Connection& iany, TableStructure& s) {
    eachRow(iany.OpenSchema(adSchemaTables), [&](const Recordset& rs) {
        if (text(rs, "TABLE_NAME") == s.name)
            s.comment = text(rs, "DESCRIPTION");
    });
}

}

TableStructure readIAnywhereStructure(Connection& iany, const QString& table, Yield* whileWaiting) {
    TableStructure s;
    s.name = table;
    readColumns(iany, s);
    readPrimaryKey(iany, s);
    readForeignKeys(iany, s);
    readIndexes(iany, s);
    readTableComment(iany, s);
    readFractionsUsed(iany, s, whileWaiting);
    return s;
}

}
