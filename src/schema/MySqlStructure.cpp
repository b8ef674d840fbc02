#include "schema/StructureReaders.h"
#include "connect/Connection.h"
#include "connect/Recordset.h"
#include "schema/CatalogueRows.h"
#include <QRegularExpression>
#include <map>
#include <utility>

namespace tw {

namespace {

template <typename F>
void eachRow(Connection& mysql, const QString& sql, Yield* whileWaiting, F&& row) {
    Recordset rs;
    rs.Open(sql, mysql, -1, -1, whileWaiting);
    eachRow(std::move(rs), row);
}

bool isNull(const Recordset& rs, const char* column) { return fieldOf(rs, column).isNull(); }

// The table of the current database, matched byte for byte whatever the
// catalogue's collation; the name as a hexadecimal literal needs no escaping.
QString whereTable(const QString& table, const char* alias = "") {
    const QString a = QString::fromLatin1(alias);
    return QStringLiteral(" WHERE %1TABLE_SCHEMA = DATABASE() AND CAST(%1TABLE_NAME AS BINARY) = X'%2'")
        .arg(a, QString::fromLatin1(table.toUtf8().toHex()));
}

// 'it''s' -> it's, as MariaDB writes a literal default.
QString unquoted(const QString& literal) {
    return literal.mid(1, literal.size() - 2).replace(QLatin1String("''"), QLatin1String("'")).replace(QLatin1String("\\\\"), QLatin1String("\\"));
}

// The longest member of enum('a','bc') and the length of every member of a SET together.
qint64 membersLength(const QString& columnType, bool all) {
    static const QRegularExpression member(QStringLiteral("'((?:[^']|'')*)'"));
    qint64 longest = 0, total = 0, count = 0;
    for (auto m = member.globalMatch(columnType); m.hasNext();) {
        const qint64 n = m.next().captured(1).replace(QLatin1String("''"), QLatin1String("'")).size();
        longest = std::max(longest, n);
        total += n;
        ++count;
    }
    return std::max<qint64>(1, all ? total + std::max<qint64>(0, count - 1) : longest);
}

SqlType typeOf(const Recordset& rs) {
    const QString data = text(rs, "DATA_TYPE").toLower(), full = text(rs, "COLUMN_TYPE").toLower();
    SqlType t;
    t.declared = full;
    t.isUnsigned = full.contains(QLatin1String("unsigned"));
    static const std::map<QString, int> integers = {{QStringLiteral("tinyint"), 1}, {QStringLiteral("smallint"), 2},
                                                    {QStringLiteral("mediumint"), 3}, {QStringLiteral("int"), 4},
                                                    {QStringLiteral("bigint"), 8}};
    using K = SqlType::Kind;
    if (auto i = integers.find(data); i != integers.end()) {
        t.kind = K::Integer;
        t.bytes = i->second;
    } else if (data == u"decimal") {
        t.kind = K::Decimal;
        t.precision = text(rs, "NUMERIC_PRECISION").toInt();
        t.scale = text(rs, "NUMERIC_SCALE").toInt();
    } else if (data == u"float") {
        t.kind = K::Real;
    } else if (data == u"double") {
        t.kind = K::Double;
    } else if (data == u"date") {
        t.kind = K::Date;
    } else if (data == u"time" || data == u"datetime" || data == u"timestamp") {
        t.kind = data == u"time" ? K::Time : K::DateTime;
        t.scale = text(rs, "DATETIME_PRECISION").toInt();
    } else if (data == u"char" || data == u"varchar") {
        t.kind = K::Text;
        t.fixed = data == u"char";
        t.length = text(rs, "CHARACTER_MAXIMUM_LENGTH").toLongLong();
    } else if (data.endsWith(QLatin1String("text")) || data == u"json") {
        t.kind = K::Text;  // long: its length is the type's, not the column's
    } else if (data == u"binary" || data == u"varbinary") {
        t.kind = K::Bytes;
        t.fixed = data == u"binary";
        t.length = text(rs, "CHARACTER_MAXIMUM_LENGTH").toLongLong();
    } else if (data.endsWith(QLatin1String("blob"))) {
        t.kind = K::Bytes;
    } else if (data == u"bit") {
        t.kind = K::Bit;
        t.precision = text(rs, "NUMERIC_PRECISION").toInt();
    } else if (data == u"enum" || data == u"set") {
        t.kind = K::Text;
        t.length = membersLength(full, data == u"set");
    } else if (data == u"year") {
        t.kind = K::Integer;
        t.bytes = 2;
    }
    return t;
}

ColumnDefault defaultOf(const Recordset& rs, const SqlType& type) {
    if (isNull(rs, "COLUMN_DEFAULT"))
        return {};
    const QString d = text(rs, "COLUMN_DEFAULT");
    const QString lower = d.toLower();
    using K = ColumnDefault::Kind;
    if (d == u"NULL")
        return {};  // what a column that takes NULL has anyway
    if (lower.startsWith(QLatin1String("current_timestamp")) || lower.startsWith(QLatin1String("now(")))
        return {K::CurrentTimestamp, {}};
    if (lower == u"curdate()" || lower == u"current_date()" || lower == u"current_date")
        return {K::CurrentDate, {}};
    if (d.size() >= 2 && d.startsWith(u'\'') && d.endsWith(u'\''))
        return {K::Literal, unquoted(d)};
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?([eE][-+]?[0-9]+)?$"));
    if (number.match(d).hasMatch())
        return {K::Literal, d};
    static const QRegularExpression bits(QStringLiteral("^b'([01]+)'$"));
    if (const auto m = bits.match(d); m.hasMatch() && type.kind == SqlType::Kind::Bit)
        return {K::Literal, QString::number(m.captured(1).toULongLong(nullptr, 2))};
    return {K::Expression, d};
}

void readColumns(Connection& mysql, TableStructure& s, Yield* whileWaiting) {
    eachRow(mysql,
            QStringLiteral("SELECT COLUMN_NAME, DATA_TYPE, COLUMN_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, "
                           "NUMERIC_SCALE, DATETIME_PRECISION, IS_NULLABLE, COLUMN_DEFAULT, EXTRA, COLUMN_COMMENT "
                           "FROM information_schema.COLUMNS") +
                whereTable(s.name) + QStringLiteral(" ORDER BY ORDINAL_POSITION"),
            whileWaiting, [&](const Recordset& rs) {
                ColumnStructure c;
                c.name = text(rs, "COLUMN_NAME");
                c.type = typeOf(rs);
                c.nullable = text(rs, "IS_NULLABLE") == u"YES";
                c.defaultValue = defaultOf(rs, c.type);
                const QString extra = text(rs, "EXTRA").toLower();
                c.autoIncrement = extra.contains(QLatin1String("auto_increment"));
                c.updatesToNow = extra.contains(QLatin1String("on update current_timestamp"));
                c.comment = text(rs, "COLUMN_COMMENT");
                if (extra.contains(QLatin1String("generated")) || extra.contains(QLatin1String("virtual")) ||
                    extra.contains(QLatin1String("persistent")) || extra.contains(QLatin1String("stored")))
                    s.cannotCarry << QStringLiteral("the expression of generated column %1 (its values are copied)").arg(c.name);
                s.columns.push_back(c);
            });
}

void readIndexes(Connection& mysql, TableStructure& s, Yield* whileWaiting) {
    std::map<QString, IndexStructure> byName;
    QStringList order;
    eachRow(mysql,
            QStringLiteral("SELECT INDEX_NAME, NON_UNIQUE, COLUMN_NAME, SUB_PART, INDEX_TYPE FROM information_schema.STATISTICS") +
                whereTable(s.name) + QStringLiteral(" ORDER BY INDEX_NAME, SEQ_IN_INDEX"),
            whileWaiting, [&](const Recordset& rs) {
                const QString name = text(rs, "INDEX_NAME");
                if (name == u"PRIMARY") {
                    s.primaryKey << text(rs, "COLUMN_NAME");
                    return;
                }
                if (!byName.count(name))
                    order << name;
                IndexStructure& index = byName[name];
                index.name = name;
                index.unique = text(rs, "NON_UNIQUE") == u"0";
                index.columns << text(rs, "COLUMN_NAME");
                const QString kind = text(rs, "INDEX_TYPE");
                if (kind == u"FULLTEXT" || kind == u"SPATIAL")
                    index.cannotCarry = kind + QStringLiteral(" index");
                else if (!isNull(rs, "SUB_PART"))
                    index.cannotCarry = QStringLiteral("an index on the first %1 characters of %2")
                                            .arg(text(rs, "SUB_PART"), text(rs, "COLUMN_NAME"));
            });
    // MySQL's own index for a foreign key goes by the key's name; the key
    // brings one with it wherever it goes.
    for (const QString& name : order)
        if (std::none_of(s.foreignKeys.begin(), s.foreignKeys.end(), [&](const ForeignKeyStructure& k) { return k.name == name; }))
            s.indexes.push_back(byName[name]);
}

// A composite key's columns come in their order within the key.
QString ruleOf(const QString& rule) { return rule == u"NO ACTION" ? QStringLiteral("RESTRICT") : rule; }

void readForeignKeys(Connection& mysql, TableStructure& s, Yield* whileWaiting) {
    eachRow(mysql,
            QStringLiteral("SELECT k.CONSTRAINT_NAME, k.COLUMN_NAME, k.REFERENCED_TABLE_SCHEMA = DATABASE() AS SAME_DATABASE, "
                           "k.REFERENCED_TABLE_NAME, k.REFERENCED_COLUMN_NAME, r.UPDATE_RULE, r.DELETE_RULE "
                           "FROM information_schema.KEY_COLUMN_USAGE k JOIN information_schema.REFERENTIAL_CONSTRAINTS r "
                           "ON r.CONSTRAINT_SCHEMA = k.CONSTRAINT_SCHEMA AND r.TABLE_NAME = k.TABLE_NAME "
                           "AND r.CONSTRAINT_NAME = k.CONSTRAINT_NAME") +
                whereTable(s.name, "k.") +
                QStringLiteral(" AND k.REFERENCED_TABLE_NAME IS NOT NULL ORDER BY k.CONSTRAINT_NAME, k.ORDINAL_POSITION"),
            whileWaiting, [&](const Recordset& rs) {
                const QString name = text(rs, "CONSTRAINT_NAME");
                if (text(rs, "SAME_DATABASE") != u"1") {
                    if (!s.cannotCarry.contains(QStringLiteral("foreign key %1 to another database").arg(name)))
                        s.cannotCarry << QStringLiteral("foreign key %1 to another database").arg(name);
                    return;
                }
                if (s.foreignKeys.empty() || s.foreignKeys.back().name != name)
                    s.foreignKeys.push_back({name, {}, text(rs, "REFERENCED_TABLE_NAME"), {}, ruleOf(text(rs, "DELETE_RULE")),
                                             ruleOf(text(rs, "UPDATE_RULE"))});
                s.foreignKeys.back().columns << text(rs, "COLUMN_NAME");
                s.foreignKeys.back().referencedColumns << text(rs, "REFERENCED_COLUMN_NAME");
            });
}

void readTableComment(Connection& mysql, TableStructure& s, Yield* whileWaiting) {
    eachRow(mysql, QStringLiteral("SELECT TABLE_COMMENT FROM information_schema.TABLES") + whereTable(s.name), whileWaiting,
            [&](const Recordset& rs) { s.comment = text(rs, "TABLE_COMMENT"); });
}

}

QStringList readShortenedIndexes(Connection& mysql, const QString& table, Yield* whileWaiting) {
    QStringList shortened;
    eachRow(mysql,
            QStringLiteral("SELECT INDEX_NAME, COLUMN_NAME, SUB_PART FROM information_schema.STATISTICS") + whereTable(table) +
                QStringLiteral(" AND SUB_PART IS NOT NULL ORDER BY INDEX_NAME, SEQ_IN_INDEX"),
            whileWaiting, [&](const Recordset& rs) {
                shortened << QStringLiteral("index %1: only the first %2 characters of %3")
                                 .arg(text(rs, "INDEX_NAME"), text(rs, "SUB_PART"), text(rs, "COLUMN_NAME"));
            });
    return shortened;
}

TableStructure readMySqlStructure(Connection& mysql, const QString& table, Yield* whileWaiting) {
    TableStructure s;
    s.name = table;
    readColumns(mysql, s, whileWaiting);
    readForeignKeys(mysql, s, whileWaiting);
    readIndexes(mysql, s, whileWaiting);
    readTableComment(mysql, s, whileWaiting);
    return s;
}

}
