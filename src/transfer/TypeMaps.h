#pragma once
#include "connect/Field.h"
#include "transfer/Literals.h"
#include <QString>
#include <vector>

namespace tw {

// A target column's type text and how its values are written.
struct ColumnType {
    QString text;
    ValueForm form = ValueForm::Quoted;
    bool operator==(const ColumnType&) const = default;
};

// The type maps: the first substring of the lower-cased ADO type name that
// the type key contains decides the column's kind; within its kind a
// column is widened where the plain type would lose values.
ColumnType iAnywhereColumnType(const QString& typeKey, const Field& field);
ColumnType mySqlColumnType(const QString& typeKey, const Field& field);

// MySQL refuses a table whose short columns take more than an InnoDB row
// holds: the widest VARBINARY columns become BLOBs until the row fits.
void fitMySqlRow(std::vector<ColumnType>& types);

// The type key of a field: its lower-cased ADO type name, empty when the
// code has no name.
QString typeKeyOf(const Field& field);

}
