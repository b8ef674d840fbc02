#pragma once
#include <QString>
#include <QStringList>
#include <vector>

namespace tw {

// A column's type as either database declares it, reduced to what the
// other side needs to choose its nearest type.
struct SqlType {
    enum class Kind { Integer, Decimal, Real, Double, Date, Time, DateTime, Text, Bytes, Bit, Other };
    Kind kind = Kind::Other;
    int bytes = 4;            // an integer's size: 1, 2, 3, 4 or 8
    bool isUnsigned = false;
    int precision = 0;        // DECIMAL's digits; BIT's bits
    int scale = 0;            // DECIMAL's digits after the point; TIME's and DATETIME's fraction digits
    qint64 length = 0;        // characters of text, bytes of a byte string; 0 for a long one
    bool fixed = false;       // CHAR, BINARY
    QString declared;         // the source's own words: "enum('a','b')", "long nvarchar"
};

struct ColumnDefault {
    enum class Kind { None, Literal, CurrentTimestamp, CurrentDate, Expression };
    Kind kind = Kind::None;
    QString text;  // a literal's value (unquoted), or an expression as the source writes it
};

struct ColumnStructure {
    QString name;
    SqlType type;
    bool nullable = true;
    ColumnDefault defaultValue;
    bool autoIncrement = false;
    bool updatesToNow = false;  // set to the current time by every UPDATE
    QString comment;
};

struct IndexStructure {
    QString name;
    bool unique = false;
    QStringList columns;  // in the index's order
    QString cannotCarry;  // why the other side cannot have it; empty when it can
};

struct ForeignKeyStructure {
    QString name;
    QStringList columns;
    QString referencedTable;
    QStringList referencedColumns;
    QString onDelete = QStringLiteral("RESTRICT");  // CASCADE, SET NULL, SET DEFAULT, RESTRICT
    QString onUpdate = QStringLiteral("RESTRICT");
};

// What a source table is besides its rows, as its catalogue tells it.
struct TableStructure {
    QString name;
    std::vector<ColumnStructure> columns;  // in the table's order
    QStringList primaryKey;                // in the key's order
    std::vector<IndexStructure> indexes;   // unique and secondary, the primary key not among them
    std::vector<ForeignKeyStructure> foreignKeys;
    QString comment;
    QStringList cannotCarry;  // what the source has that no target keeps: "FULLTEXT index ft_title"
};

}
