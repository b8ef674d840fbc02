#include "schema/StructureStatements.h"
#include "schema/SqlText.h"
#include "schema/TargetTypes.h"
#include <QRegularExpression>
#include <algorithm>

namespace tw {

namespace {
using Dialect = StructureTarget::Dialect;

QChar quoteOf(const StructureTarget& t) { return t.dialect == Dialect::MySql ? u'`' : u'"'; }

QString nameList(const QStringList& names, QChar quote) {
    QStringList quoted;
    for (const QString& n : names)
        quoted << quotedName(n, quote);
    return u'(' + quoted.join(QStringLiteral(", ")) + u')';
}

bool numericKind(SqlType::Kind k) {
    return k == SqlType::Kind::Integer || k == SqlType::Kind::Decimal || k == SqlType::Kind::Real ||
           k == SqlType::Kind::Double || k == SqlType::Kind::Bit;
}

bool temporalType(const QString& type) {
    return type.startsWith(QLatin1String("DATETIME")) || type.startsWith(QLatin1String("TIMESTAMP"));
}

// What a column of this MySQL type takes of the 65,535 bytes a row holds
// besides its long columns.
qint64 mySqlRowBytes(const QString& type) {
    static const QRegularExpression sized(QStringLiteral("^(VARBINARY|VARCHAR|BINARY|CHAR)\\((\\d+)\\)$"));
    const QRegularExpressionMatch m = sized.match(type);
    if (!m.hasMatch())
        return 16;
    const qint64 n = m.captured(2).toLongLong();
    return m.captured(1).endsWith(QLatin1String("CHAR")) ? n * 4 + 2 : n + 2;
}

// MySQL refuses a table whose short columns take more than a row holds:
// the widest variable ones become long until the row fits.
void fitMySqlRow(QStringList& types, const TableStructure& s, QStringList& changed) {
    constexpr qint64 rowLimit = 65535;
    auto total = [&] {
        qint64 bytes = 0;
        for (const QString& t : types)
            bytes += mySqlRowBytes(t);
        return bytes;
    };
    while (total() > rowLimit) {
        qsizetype widest = -1;
        for (qsizetype j = 0; j < types.size(); ++j)
            if (types[j].startsWith(QLatin1String("VAR")) && (widest < 0 || mySqlRowBytes(types[j]) > mySqlRowBytes(types[widest])))
                widest = j;
        if (widest < 0)
            return;
        const QString was = types[widest];
        types[widest] = was.startsWith(QLatin1String("VARCHAR")) ? QStringLiteral("LONGTEXT") : QStringLiteral("LONGBLOB");
        changed << QStringLiteral("%1 %2 became %3 to fit MySQL's row").arg(s.columns[size_t(widest)].name, was, types[widest]);
    }
}

class TableWriter {
public:
    TableWriter(const TableStructure& s, const QString& into, const StructureTarget& target, const QStringList& fallback)
        : s(s), into(into), t(target), q(quoteOf(target)), mySql(target.dialect == Dialect::MySql), fallback(fallback) {}

    TargetTable write() {
        chooseTypes();
        QStringList definitions;
        for (size_t j = 0; j < s.columns.size(); ++j)
            definitions << column(s.columns[j], out.columnTypes[qsizetype(j)]);
        if (!s.primaryKey.isEmpty()) {
            definitions << QStringLiteral("PRIMARY KEY ") + nameList(s.primaryKey, q);
            out.kept << QStringLiteral("primary key");
        }
        out.createTable = QStringLiteral("CREATE TABLE ") + quotedName(into, q) + u'(' + definitions.join(QStringLiteral(", ")) + u')';
        if (defaults > 0)
            out.kept << QStringLiteral("%1 default%2").arg(defaults).arg(defaults == 1 ? "" : "s");
        if (autoIncrements > 0)
            out.kept << QStringLiteral("auto-increment");
        comments();
        indexes();
        for (const QString& what : s.cannotCarry)
            out.leftOut << what;
        return out;
    }

private:
    void chooseTypes() {
        for (size_t j = 0; j < s.columns.size(); ++j) {
            const ColumnStructure& c = s.columns[j];
            TargetType type = mySql ? mySqlTypeFor(c.type) : iAnywhereTypeFor(c.type);
            if (type.text.isEmpty()) {
                type.text = j < size_t(fallback.size()) ? fallback[qsizetype(j)] : QStringLiteral("LONG VARCHAR");
                type.changed = QStringLiteral("%1 has no counterpart: %2").arg(c.type.declared, type.text);
            }
            if (!type.changed.isEmpty())
                out.changed << c.name + u' ' + type.changed;
            out.columnTypes << type.text;
        }
        if (mySql)
            fitMySqlRow(out.columnTypes, s, out.changed);
    }

    QString column(const ColumnStructure& c, const QString& type) {
        QString d = quotedName(c.name, q) + u' ' + type;
        if (!c.nullable)
            d += QStringLiteral(" NOT NULL");
        else if (type == u"BIT")
            d += QStringLiteral(" NULL");  // iAnywhere's BIT refuses NULL unless told
        if (c.autoIncrement && autoIncrementFits(c, type)) {
            d += mySql ? QStringLiteral(" AUTO_INCREMENT") : QStringLiteral(" DEFAULT AUTOINCREMENT");
            ++autoIncrements;
        } else {
            d += defaultClause(c, type);
        }
        if (mySql && !c.comment.isEmpty())
            d += QStringLiteral(" COMMENT ") + sqlString(c.comment, t.backslashEscapes);
        return d;
    }

    // MySQL takes one AUTO_INCREMENT, on an integer that begins a key.
    bool autoIncrementFits(const ColumnStructure& c, const QString& type) {
        const bool integer = type.contains(QLatin1String("INT"));
        if (!mySql && (integer || type.startsWith(QLatin1String("NUMERIC"))))
            return true;
        if (mySql && integer && autoIncrements == 0 && !s.primaryKey.isEmpty() && s.primaryKey.first() == c.name)
            return true;
        out.leftOut << QStringLiteral("the auto-increment of %1: %2").arg(c.name, mySql ? QStringLiteral("MySQL takes one, on an integer that begins the primary key")
                                                                                       : QStringLiteral("it is no integer"));
        return false;
    }

    QString defaultClause(const ColumnStructure& c, const QString& type) {
        using DK = ColumnDefault::Kind;
        const ColumnDefault& v = c.defaultValue;
        QString clause;
        switch (v.kind) {
        case DK::None:
            if (c.updatesToNow)
                out.leftOut << QStringLiteral("the update time of %1: %2").arg(c.name, QStringLiteral("iAnywhere sets it only with DEFAULT TIMESTAMP"));
            return {};
        case DK::Literal:
            clause = numericKind(c.type.kind) && !type.startsWith(QLatin1String("VARCHAR")) ? v.text : sqlString(v.text, t.backslashEscapes);
            break;
        case DK::CurrentTimestamp:
            if (!temporalType(type)) {
                out.leftOut << QStringLiteral("the default of %1: the current time in a %2 column").arg(c.name, type);
                return {};
            }
            if (mySql) {
                const QString now = c.type.scale > 0 && type.contains(u'(') ? QStringLiteral("CURRENT_TIMESTAMP(%1)").arg(c.type.scale)
                                                                          : QStringLiteral("CURRENT_TIMESTAMP");
                clause = c.updatesToNow ? now + QStringLiteral(" ON UPDATE ") + now : now;
            } else {
                clause = c.updatesToNow ? QStringLiteral("TIMESTAMP") : QStringLiteral("CURRENT TIMESTAMP");
            }
            break;
        case DK::CurrentDate: clause = mySql ? QStringLiteral("(CURRENT_DATE)") : QStringLiteral("CURRENT DATE"); break;
        case DK::Expression:
            out.leftOut << QStringLiteral("the default of %1: %2 has no counterpart").arg(c.name, v.text);
            return {};
        }
        if (c.updatesToNow && v.kind != DK::CurrentTimestamp)
            out.leftOut << QStringLiteral("the update time of %1: %2").arg(c.name, QStringLiteral("iAnywhere sets it only with DEFAULT TIMESTAMP"));
        ++defaults;
        return QStringLiteral(" DEFAULT ") + clause;
    }

    void comments() {
        int count = 0;
        if (!s.comment.isEmpty()) {
            ++count;
            if (mySql)
                out.createTable += QStringLiteral(" COMMENT=") + sqlString(s.comment, t.backslashEscapes);
            else
                out.afterCreate << QStringLiteral("COMMENT ON TABLE ") + quotedName(into, q) + QStringLiteral(" IS ") +
                                       sqlString(s.comment, t.backslashEscapes);
        }
        for (const ColumnStructure& c : s.columns) {
            if (c.comment.isEmpty())
                continue;
            ++count;
            if (!mySql)
                out.afterCreate << QStringLiteral("COMMENT ON COLUMN ") + quotedName(into, q) + u'.' + quotedName(c.name, q) +
                                       QStringLiteral(" IS ") + sqlString(c.comment, t.backslashEscapes);
        }
        if (count > 0)
            out.kept << QStringLiteral("%1 comment%2").arg(count).arg(count == 1 ? "" : "s");
    }

    void indexes() {
        for (const IndexStructure& index : s.indexes) {
            if (!index.cannotCarry.isEmpty()) {
                out.leftOut << QStringLiteral("index %1: %2").arg(index.name, index.cannotCarry);
                continue;
            }
            const auto longColumn = std::find_if(index.columns.begin(), index.columns.end(), [&](const QString& name) {
                const qsizetype j = columnIndex(name);
                return j >= 0 && !(mySql ? indexableMySqlType(out.columnTypes[j]) : indexableIAnywhereType(out.columnTypes[j]));
            });
            if (longColumn != index.columns.end()) {
                out.leftOut << QStringLiteral("index %1: %2 is a long column, which the target does not index").arg(index.name, *longColumn);
                continue;
            }
            out.afterRows.push_back({(index.unique ? QStringLiteral("unique index ") : QStringLiteral("index ")) + index.name,
                                     QStringLiteral("CREATE ") + (index.unique ? QStringLiteral("UNIQUE ") : QString()) +
                                         QStringLiteral("INDEX ") + quotedName(index.name, q) + QStringLiteral(" ON ") +
                                         quotedName(into, q) + u' ' + nameList(index.columns, q)});
        }
    }

    qsizetype columnIndex(const QString& name) const {
        for (size_t j = 0; j < s.columns.size(); ++j)
            if (s.columns[j].name.compare(name, Qt::CaseInsensitive) == 0)
                return qsizetype(j);
        return -1;
    }

    const TableStructure& s;
    const QString into;
    const StructureTarget t;
    const QChar q;
    const bool mySql;
    const QStringList& fallback;
    TargetTable out;
    int defaults = 0, autoIncrements = 0;
};
}

TargetTable targetTable(const TableStructure& source, const QString& into, const StructureTarget& target,
                        const QStringList& fallbackTypes) {
    return TableWriter(source, into, target, fallbackTypes).write();
}

QString foreignKeyStatement(const QString& table, const ForeignKeyStructure& key, const StructureTarget& target) {
    const QChar q = quoteOf(target);
    return QStringLiteral("ALTER TABLE ") + quotedName(table, q) + QStringLiteral(" ADD CONSTRAINT ") + quotedName(key.name, q) +
           QStringLiteral(" FOREIGN KEY ") + nameList(key.columns, q) + QStringLiteral(" REFERENCES ") +
           quotedName(key.referencedTable, q) + u' ' + nameList(key.referencedColumns, q) + QStringLiteral(" ON UPDATE ") +
           key.onUpdate + QStringLiteral(" ON DELETE ") + key.onDelete;
}

}
