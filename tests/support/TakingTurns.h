#pragma once
#include <QString>
#include <QStringList>
#include <vector>

namespace twtest {

// Tables whose values and NULLs take turns row after row, in every column
// type of one side, for the faults a reader shows only after a NULL.

// How a value held in the database is written as text by the database
// itself, for comparing apart from the reading under test.
enum class HeldAs { Text, Number, Double, Bit, Bytes };

struct TypedColumn {
    const char* name;
    const char* type;
    const char* value;
    const char* other;
    HeldAs held;
};

// Every MySQL column type and every iAnywhere one.
extern const std::vector<TypedColumn> mySqlColumns;
extern const std::vector<TypedColumn> iAnywhereColumns;

// Value, NULL, other value, NULL, value, value, NULL, value: a value after
// each kind of neighbour.
inline constexpr int turnRows = 8;
bool isNullTurn(int row);

// The CREATE TABLE (with a leading id column) and the INSERTs of the table.
QString createTurns(const QString& quotedTable, const std::vector<TypedColumn>& columns, const QString& tail = {});
QStringList insertTurns(const QString& quotedTable, const std::vector<TypedColumn>& columns);

// The server's own text of a column's values, row by row in id order; NULL
// as nullText. MySQL writes it in SQL; the stand-in's file is read with
// SQLite itself, apart from the driver.
QString mySqlHeldText(const TypedColumn& c);  // the expression, for a SELECT
std::vector<QStringList> standinHolds(const QString& filePath, const QString& table,
                                      const std::vector<TypedColumn>& columns);

// Whether two held texts are one value: numbers by value, a date and its
// midnight, zero fractions of a second, BIT as 1/0 or True/False alike.
bool sameHeldValue(const QString& a, const QString& b);

}
