#pragma once
#include "schema/TableStructure.h"
#include <vector>

namespace tw {

// The database a structure is written for.
struct StructureTarget {
    enum class Dialect { MySql, IAnywhere } dialect;
    bool backslashEscapes;  // string literals read backslash escapes
};

// A statement the copy sends after the rows, and what it makes.
struct LaterStatement {
    QString what;  // "index idx_name"
    QString sql;
};

// A source table as the target creates it.
struct TargetTable {
    QString createTable;     // columns with their types, NOT NULL, defaults, auto-increment; the primary key
    QStringList columnTypes;  // each source column's type in the target, in the source's order
    QStringList afterCreate;  // comments, where the target sets them by statements of their own
    std::vector<LaterStatement> afterRows;  // unique and secondary indexes
    QStringList kept;    // what CREATE TABLE carries: "primary key", "3 defaults"
    QStringList leftOut;  // what cannot be carried, and why
    QStringList changed;  // types that are not the source's own: "year became SMALLINT"
};

// fallbackTypes: each column's type without this option, for a source type
// the target has no counterpart for.
TargetTable targetTable(const TableStructure& source, const QString& into, const StructureTarget& target,
                        const QStringList& fallbackTypes);

QString foreignKeyStatement(const QString& table, const ForeignKeyStructure& key, const StructureTarget& target);

}
